#!/usr/bin/env bash
# Builds logtally natively and as a 32-bit Windows program and runs all tests of both builds,
# then the native suite again under AddressSanitizer and UBSan, then a fuzzing smoke run.
#
# Installs missing Debian packages when run as root. When the cross toolchain or Wine cannot
# be had, the native tests still run and the skipped win32 suite is reported loudly; under
# CI=true a skipped win32 suite is a failure. A fuzz stage skipped for want of clang is
# treated the same way. FUZZ_SECONDS sets the time per fuzz target (default 60; 0 skips the
# fuzz stage).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

jobs=${JOBS:-2}
fuzz_seconds=${FUZZ_SECONDS:-60}

run_preset() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$jobs"
    ctest --preset "$1"
}

need_packages "${native_packages[@]}" "${e2e_packages[@]}"
echo "=== native build and tests"
run_preset native

if need_packages "${win32_packages[@]}"; then
    prepare_wine
    echo "=== win32 build and tests (under Wine)"
    run_preset win32
    echo "=== packages: Debian package and Windows ZIP"
    bash tests/package/check_packages.sh
else
    echo "!!! WIN32 TESTS SKIPPED: the mingw-w64 cross compiler or Wine is not installed !!!" >&2
    if [ "${CI:-}" = "true" ]; then
        echo "a skipped win32 suite fails CI" >&2
        exit 1
    fi
fi

echo "=== native build and tests under AddressSanitizer and UBSan (native-asan)"
run_preset native-asan

if [ "$fuzz_seconds" -gt 0 ]; then
    if need_packages "${fuzz_packages[@]}"; then
        echo "=== fuzzing smoke run: each libFuzzer target for $fuzz_seconds s (fuzz/run.sh)"
        bash fuzz/run.sh "$fuzz_seconds"
    else
        echo "!!! FUZZING SKIPPED: clang or its sanitizer runtimes are not installed !!!" >&2
        if [ "${CI:-}" = "true" ]; then
            echo "a skipped fuzz stage fails CI" >&2
            exit 1
        fi
    fi
fi
# Reached only when every stage that ran passed: a stage skipped outside CI was announced
# above and does not make the run fail.
exit 0
