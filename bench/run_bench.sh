#!/bin/bash
# Times logtally on a large synthetic log read from the page cache, next to wc -l on the
# same file, and reports logtally's peak resident memory. Not part of the test suite.
#
# Usage: bench/run_bench.sh [SIZE_MIB] [LOGTALLY...]
#   SIZE_MIB   size of the log (default 1024); it is made once in $BENCH_DIR
#              (default /tmp/logtally-bench) and reused while its size matches
#   LOGTALLY   the command that runs logtally (default build/native/logtally); for the
#              win32 build: env WINEDEBUG=-all wine build/win32/logtally.exe
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
size_mib=${1:-1024}
shift || true
if [ $# -gt 0 ]; then command=("$@"); else command=("$root/build/native/logtally"); fi
dir=${BENCH_DIR:-/tmp/logtally-bench}
log=$dir/bench.log
mkdir -p "$dir"

if [ ! -f "$log" ] || [ "$(stat -c %s "$log")" -gt $((size_mib * 1048576)) ] ||
   [ "$(stat -c %s "$log")" -lt $((size_mib * 1048576 - 4096)) ]; then
  echo "writing a ${size_mib} MiB log to $log ..."
  python3 "$root/bench/gen_log.py" "$log" "$size_mib"
fi
bytes=$(stat -c %s "$log")
cat "$log" > /dev/null   # into the page cache

# Runs its arguments in $dir; prints "seconds peak-RSS-KiB" of the last of three runs.
measure() {
  local out
  for _ in 1 2 3; do
    out=$(cd "$dir" && /usr/bin/time -f "%e %M" "$@" 2>&1 >/dev/null | tail -1)
  done
  echo "$out"
}
rate() { awk -v b="$bytes" -v s="$1" 'BEGIN { if (s > 0) printf "%.1f", b / 1e6 / s; else print "inf" }'; }

read -r wc_s wc_kib < <(measure wc -l bench.log)
read -r lt_s lt_kib < <(measure "${command[@]}" bench.log)
lines=$(wc -l < "$log")
printf 'log: %s, %d bytes, %d lines\n' "$log" "$bytes" "$lines"
printf '%-10s %8s s %10s MB/s %10s KiB peak RSS\n' "wc -l" "$wc_s" "$(rate "$wc_s")" "$wc_kib"
printf '%-10s %8s s %10s MB/s %10s KiB peak RSS\n' "logtally" "$lt_s" "$(rate "$lt_s")" "$lt_kib"
