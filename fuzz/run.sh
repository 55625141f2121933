#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for the given seconds (default 60), starting from
# its checked-in corpus; the inputs kept in fuzz/regressions/TARGET are replayed first.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${JOBS:-2}" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in build/fuzz/fuzz/*_fuzz; do
    name=$(basename "$target")
    if [ -d "fuzz/regressions/$name" ]; then
        "$target" -runs=0 "fuzz/regressions/$name"/* >/dev/null 2>&1 \
            || { echo "$name: a kept regression input fails again" >&2; exit 1; }
    fi
    mkdir -p "$work/$name"
    cp -r "fuzz/corpus/$name/." "$work/$name/"
    "$target" -max_total_time="$seconds" -print_final_stats=1 "$work/$name" > "$work/$name.log" 2>&1 \
        || { tail -40 "$work/$name.log"; echo "$name: fuzzing found a failure" >&2; exit 1; }
    runs=$(grep -m1 'stat::number_of_executed_units' "$work/$name.log" | awk '{print $2}')
    echo "$name: $runs executions in $seconds s, no failure"
done
