#!/bin/bash
# Times logtally, natively and the win32 build under Wine, next to wc -l on the same logs read
# from the page cache, with the peak resident memory of each; then the all-identifiers log,
# whose reports list every number of both roles. Not part of the test suite.
#
# Usage: bench/run_bench.sh [SIZE_MIB]
#   SIZE_MIB   size of the stable-name and the changing-name log (default 1024)
# The logs are made once by bench/gen_log.py in $BENCH_DIR (default /tmp/logtally-bench) and
# reused; the reports land next to them. BENCH_RUNS (default 3) runs are made of each
# program and the fastest is shown; the all-identifiers log is timed best of 5. A build that
# is missing (build/native/logtally, build/win32/logtally.exe) is skipped with a note.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
size_mib=${1:-1024}
runs=${BENCH_RUNS:-3}
dir=${BENCH_DIR:-/tmp/logtally-bench}
native=$root/build/native/logtally
win32=$root/build/win32/logtally.exe
mkdir -p "$dir"

# make_log NAME GEN_ARGS...: writes $dir/NAME with gen_log.py unless it is there already.
make_log() {
  local name=$1
  shift
  if [ ! -s "$dir/$name" ]; then
    echo "writing $dir/$name ..."
    python3 "$root/bench/gen_log.py" "$@"
  fi
  cat "$dir/$name" > /dev/null   # into the page cache
}

# timed COMMAND...: runs it in $dir with its output discarded; prints "seconds peak-RSS-KiB",
# the wall time to the millisecond.
timed() {
  local start end
  start=$(date +%s%N)
  (cd "$dir" && /usr/bin/time -o "$dir/time.out" -f %M "$@" > /dev/null 2>&1) || true
  end=$(date +%s%N)
  printf '%d.%03d %s\n' $(( (end - start) / 1000000000 )) $(( (end - start) / 1000000 % 1000 )) \
    "$(tail -1 "$dir/time.out")"
}

# best N COMMAND...: the fastest of N runs, with that run's peak RSS.
best() {
  local n=$1
  shift
  for ((i = 0; i < n; i++)); do timed "$@"; done | sort -n | head -1
}

wine_cmd=(env WINEDEBUG=-all wine "$win32")
if [ -x "$win32" ] && command -v wine > /dev/null; then
  # Start the Wine server first, so that no run pays for it.
  (cd "$dir" && "${wine_cmd[@]}" > /dev/null 2>&1 || true)
  have_wine=1
else
  have_wine=0
fi

# row LABEL SECONDS KIB BYTES WC_SECONDS: time, MB/s, speed as a share of wc -l's, peak RSS.
row() {
  awk -v l="$1" -v s="$2" -v k="$3" -v b="$4" -v w="$5" 'BEGIN {
    if (s <= 0) s = 0.001
    printf "  %-18s %9.3f %10.1f %9.3f %8d KiB\n", l, s, b / 1e6 / s, w / s, k }'
}

# table LOG: a row each for wc -l, logtally natively and logtally under Wine.
table() {
  local log=$1 bytes wc_s kib
  bytes=$(stat -c %s "$dir/$log")
  printf '%s: %d bytes, %d lines\n' "$dir/$log" "$bytes" "$(wc -l < "$dir/$log")"
  printf '  %-18s %9s %10s %9s %12s\n' program seconds MB/s "vs wc -l" "peak RSS"
  read -r wc_s kib < <(best "$runs" wc -l "$log")
  row "wc -l" "$wc_s" "$kib" "$bytes" "$wc_s"
  local native_s=0 wine_s=0
  if [ -x "$native" ]; then
    read -r native_s kib < <(best "$runs" "$native" "$log")
    row "logtally native" "$native_s" "$kib" "$bytes" "$wc_s"
  else
    echo "  (no native build: $native)"
  fi
  if [ $have_wine = 1 ]; then
    read -r wine_s kib < <(best "$runs" "${wine_cmd[@]}" "$log")
    row "logtally Wine" "$wine_s" "$kib" "$bytes" "$wc_s"
  else
    echo "  (no win32 build or no Wine: $win32)"
  fi
  if [ "$native_s" != 0 ] && [ "$wine_s" != 0 ]; then
    awk -v n="$native_s" -v w="$wine_s" 'BEGIN { printf "  Wine speed / native speed: %.2f\n", n / w }'
  fi
}

make_log "stable-$size_mib.log" "$dir/stable-$size_mib.log" "$size_mib"
make_log "changing-$size_mib.log" --changing "$dir/changing-$size_mib.log" "$size_mib"
make_log allids.log --all-ids "$dir/allids.log"

echo "== stable names: every number keeps its name"
table "stable-$size_mib.log"
echo "== changing names: a number's name changes on almost every event"
table "changing-$size_mib.log"

echo "== all identifiers: 65,535 events, every calling line and called extension, best of 5"
if [ -x "$native" ]; then
  read -r s _ < <(best 5 "$native" allids.log)
  printf '  %-18s %9s s\n' "logtally native" "$s"
  if ! command -v strace > /dev/null; then
    source "$root/scripts/packages.sh"
    need_packages strace || true
  fi
  if command -v strace > /dev/null; then
    (cd "$dir" && strace -f -c -e trace=write -o "$dir/strace.out" "$native" allids.log \
       > /dev/null 2>&1) || true
    calls=$(awk '$NF == "write" { print $4 }' "$dir/strace.out")
    printf '  %-18s %9s\n' "native write calls" "${calls:-?}"
  else
    echo "  (write calls not counted: strace is not installed)"
  fi
fi
if [ $have_wine = 1 ]; then
  read -r s _ < <(best 5 "${wine_cmd[@]}" allids.log)
  printf '  %-18s %9s s\n' "logtally Wine" "$s"
fi
