#!/usr/bin/env bash
# Builds logtally natively and analyses the bundled sample log; the reports land beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh

need_packages "${native_packages[@]}"
cmake --preset native >/dev/null
cmake --build --preset native --target logtally -j "${JOBS:-2}" >/dev/null
echo "\$ build/native/logtally examples/sample.log"
status=0
build/native/logtally examples/sample.log || status=$?
echo "(exit code $status)"
for report in examples/SAMPLE-*.txt; do
    [ -e "$report" ] || continue
    echo
    echo "--- $report"
    tr -d '\r' < "$report"
done
exit "$status"
