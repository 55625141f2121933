#!/usr/bin/env bash
# Builds the Debian package (native build) and the Windows ZIP (win32 build) with CPack and
# puts both in build/packages/ with their SHA256SUMS. As root it first installs what both
# builds need (the mingw-w64 cross compiler included) and names what it installs.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
need_packages "${native_packages[@]}" "${cross_packages[@]}" "${package_packages[@]}"

out=$PWD/build/packages
rm -rf "$out"
for preset in native win32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target package_files -j "${JOBS:-2}" >/dev/null
    (cd "build/$preset" && cpack -D CPACK_OUTPUT_FILE_PREFIX="$out" >/dev/null)
done
(cd "$out" && sha256sum logtally_*.deb logtally-*-win32.zip >SHA256SUMS)
ls -d build/packages/*
