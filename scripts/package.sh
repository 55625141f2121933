#!/usr/bin/env bash
# Builds the Debian package (native build) and the Windows ZIP (win32 build) with CPack.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in native win32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target logtally -j "${JOBS:-2}" >/dev/null
    (cd "build/$preset" && cpack >/dev/null)
done
ls build/native/logtally_*.deb build/win32/logtally-*-win32.zip
