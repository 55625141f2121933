#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for the given seconds (default 60), starting from
# its checked-in corpus and its kept regression inputs.
#
# First every input kept in fuzz/regressions/TARGET is replayed once (libFuzzer runs each file
# given as an argument once); any failure stops the script. Then each target fuzzes with a
# 10 s limit per input, so a hang counts as a failure too. A failing input is saved as
# fuzz/findings/TARGET-crash-... (or -timeout-, -oom-) for a regression test.
set -euo pipefail
shopt -s nullglob
cd "$(dirname "$0")/.."
seconds=${1:-60}
echo "building the fuzz targets (clang, libFuzzer, ASan and UBSan)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${JOBS:-2}" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p fuzz/findings
total=0
ran=0
for target in build/fuzz/fuzz/*_fuzz; do
    name=$(basename "$target")
    kept=(fuzz/regressions/"$name"/*)
    if [ ${#kept[@]} -gt 0 ]; then
        if ! "$target" "${kept[@]}" > "$work/$name.replay" 2>&1; then
            tail -40 "$work/$name.replay"
            echo "$name: a kept regression input fails again" >&2
            exit 1
        fi
    fi
    mkdir -p "$work/$name"
    cp -r "fuzz/corpus/$name/." "$work/$name/"
    for input in "${kept[@]}"; do cp "$input" "$work/$name/"; done
    if ! "$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
            -artifact_prefix="fuzz/findings/$name-" "$work/$name" > "$work/$name.log" 2>&1; then
        tail -40 "$work/$name.log"
        echo "$name: fuzzing found a failure; the input is in fuzz/findings/" >&2
        exit 1
    fi
    runs=$(grep -m1 'stat::number_of_executed_units' "$work/$name.log" | awk '{print $2}')
    total=$((total + runs))
    ran=$((ran + 1))
    echo "$name: ${#kept[@]} kept inputs replayed; $runs executions in $seconds s, no failure"
done
# A build that made no target (a changed option, a moved folder) must not pass as a clean run.
if [ "$ran" -eq 0 ]; then
    echo "no fuzz target was built in build/fuzz/fuzz: nothing was fuzzed" >&2
    exit 1
fi
echo "all $ran targets: $total executions, no failure"
