#!/bin/bash
# Times logtally, natively and the win32 build under Wine, next to wc -l on the same logs read
# from the page cache, with the peak resident memory of each: a stable-name log, and a
# changing-name log with LF and with CR LF line ends. Then the instructions a line costs, the
# time at 64 MiB, 256 MiB and the full size, and the all-identifiers log, whose reports list
# every number of both roles, with the native run's writes and the time its syncs of the
# reports take. Not part of the test suite.
#
# Usage: bench/run_bench.sh [SIZE_MIB]
#   SIZE_MIB   size of the logs (default 1024)
# The logs are made once by bench/gen_log.py in $BENCH_DIR (default /tmp/logtally-bench) and
# reused; the reports land next to them. BENCH_RUNS (default 3) runs are made of each
# program and the fastest is shown; the all-identifiers log is timed best of 5. BENCH_BASE
# names the root of another checkout whose builds are timed in the same run, each of its
# runs right after the same run of this one, so that the machine's drift touches both alike;
# the last column is then this build's speed over that one's, of the fastest runs and as
# the median of the pairs of runs. BENCH_CALLGRIND=0 skips the instruction counts. A build
# that is missing (build/native/logtally, build/win32/logtally.exe) is skipped with a note.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
size_mib=${1:-1024}
runs=${BENCH_RUNS:-3}
dir=${BENCH_DIR:-/tmp/logtally-bench}
base=${BENCH_BASE:-}
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

# slice NAME FROM MIB: the first MIB mebibytes of log FROM, cut after a whole line.
slice() {
  if [ ! -s "$dir/$1" ]; then
    head -c $(($3 * 1024 * 1024)) "$dir/$2" | sed '$d' > "$dir/$1"
  fi
  cat "$dir/$1" > /dev/null
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

# best_pair N A -- B: the fastest of N runs of command A and of command B, run in turn;
# prints "A-seconds A-KiB B-seconds B-KiB RATIO", RATIO being the median over the N pairs of
# B's time over A's: runs next to each other share the machine's state of the moment, so
# the median of their ratios drifts less than the ratio of the two fastest. Without B, only
# A's two figures.
best_pair() {
  local n=$1 a=() b=() i
  shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do a+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  b=("$@")
  for ((i = 0; i < n; i++)); do
    timed "${a[@]}" >> "$dir/runs.a"
    [ ${#b[@]} -gt 0 ] && timed "${b[@]}" >> "$dir/runs.b"
  done
  printf '%s' "$(sort -n "$dir/runs.a" | head -1)"
  if [ ${#b[@]} -gt 0 ]; then
    printf ' %s ' "$(sort -n "$dir/runs.b" | head -1)"
    paste -d ' ' "$dir/runs.a" "$dir/runs.b" | awk '{ print $3 / ($1 > 0 ? $1 : 0.001) }' |
      sort -g | awk '{ r[NR] = $1 }
        END { printf "%.3f", NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2 }'
  fi
  echo
  rm -f "$dir/runs.a" "$dir/runs.b"
}

wine_run="env WINEDEBUG=-all wine"
native=$root/build/native/logtally
win32=$root/build/win32/logtally.exe
base_native=${base:+$base/build/native/logtally}
base_win32=${base:+$base/build/win32/logtally.exe}
have() { [ -n "$1" ] && [ -x "$1" ]; }
have_wine=0
if have "$win32" && command -v wine > /dev/null; then
  # Start the Wine server first, so that no run pays for it.
  (cd "$dir" && $wine_run "$win32" > /dev/null 2>&1 || true)
  have_wine=1
fi

# row LABEL SECONDS KIB BYTES WC_SECONDS [BASE_SECONDS PAIRS_RATIO]: time, MB/s, speed as a
# share of wc -l's, peak RSS, and the speed over the base build's: of the fastest runs, and
# the median of the runs taken in pairs.
row() {
  awk -v l="$1" -v s="$2" -v k="$3" -v b="$4" -v w="$5" -v o="${6:-0}" -v p="${7:-0}" 'BEGIN {
    if (s <= 0) s = 0.001
    printf "  %-22s %9.3f %10.1f %9.3f %8d KiB", l, s, b / 1e6 / s, w / s, k
    if (o > 0) printf "   x%.2f (pairs x%.2f)", o / s, p
    printf "\n" }'
}

# program LABEL LOG BYTES WC_SECONDS PROGRAM BASE_PROGRAM [WINE]: the rows of one program and
# of its base build, timed in turn.
program() {
  local label=$1 log=$2 bytes=$3 wc_s=$4 exe=$5 base_exe=$6 runner=${7:-} s kib bs bkib pairs
  if have "$base_exe"; then
    read -r s kib bs bkib pairs < <(best_pair "$runs" $runner "$exe" "$log" -- \
      $runner "$base_exe" "$log")
    row "$label" "$s" "$kib" "$bytes" "$wc_s" "$bs" "$pairs"
    row "$label (base)" "$bs" "$bkib" "$bytes" "$wc_s"
  else
    read -r s kib < <(best_pair "$runs" $runner "$exe" "$log")
    row "$label" "$s" "$kib" "$bytes" "$wc_s"
  fi
  echo "$s" > "$dir/last.$label"
}

# table LOG: rows for wc -l, logtally natively and logtally under Wine.
table() {
  local log=$1 bytes wc_s kib
  # Read again right before its runs: the logs together may outgrow the page cache, and a
  # page read from the disk in a run would time the disk.
  cat "$dir/$log" > /dev/null
  bytes=$(stat -c %s "$dir/$log")
  printf '%s: %d bytes, %d lines\n' "$dir/$log" "$bytes" "$(wc -l < "$dir/$log")"
  printf '  %-22s %9s %10s %9s %12s\n' program seconds MB/s "vs wc -l" "peak RSS"
  read -r wc_s kib < <(best_pair "$runs" wc -l "$log")
  row "wc -l" "$wc_s" "$kib" "$bytes" "$wc_s"
  if have "$native"; then
    program "logtally native" "$log" "$bytes" "$wc_s" "$native" "$base_native"
  else
    echo "  (no native build: $native)"
  fi
  if [ $have_wine = 1 ]; then
    program "logtally Wine" "$log" "$bytes" "$wc_s" "$win32" "$base_win32" "$wine_run"
  else
    echo "  (no win32 build or no Wine: $win32)"
  fi
  if have "$native" && [ $have_wine = 1 ]; then
    awk -v n="$(cat "$dir/last.logtally native")" -v w="$(cat "$dir/last.logtally Wine")" \
      'BEGIN { printf "  Wine speed / native speed: %.2f\n", n / w }'
  fi
}

# per_line EXE LOG10 LOG20: the instructions a line costs, counted by callgrind: the
# difference between a 10 and a 20 MiB slice over the difference of their lines, which
# leaves out what a run costs once (start, reports).
per_line() {
  local exe=$1 a b
  a=$(cd "$dir" && valgrind --tool=callgrind --callgrind-out-file=/dev/null "$exe" "$2" 2>&1 |
        awk '/refs:/ { gsub(",", "", $4); print $4 }')
  b=$(cd "$dir" && valgrind --tool=callgrind --callgrind-out-file=/dev/null "$exe" "$3" 2>&1 |
        awk '/refs:/ { gsub(",", "", $4); print $4 }')
  echo $(( (b - a) / ($(wc -l < "$dir/$3") - $(wc -l < "$dir/$2")) ))
}

make_log "stable-$size_mib.log" "$dir/stable-$size_mib.log" "$size_mib"
make_log "changing-$size_mib.log" --changing "$dir/changing-$size_mib.log" "$size_mib"
make_log "changing-crlf-$size_mib.log" --changing --crlf "$dir/changing-crlf-$size_mib.log" \
  "$size_mib"
make_log allids.log --all-ids "$dir/allids.log"

echo "== stable names: every number keeps its name"
table "stable-$size_mib.log"
echo "== changing names: a number's name changes on almost every event"
table "changing-$size_mib.log"
echo "== changing names, CR LF line ends"
table "changing-crlf-$size_mib.log"

if [ "${BENCH_CALLGRIND:-1}" != 0 ] && command -v valgrind > /dev/null && have "$native"; then
  echo "== instructions a line (callgrind, 10 and 20 MiB slices of the changing-name logs)"
  for ends in "" crlf-; do
    slice "changing-${ends}10.log" "changing-$ends$size_mib.log" 10
    slice "changing-${ends}20.log" "changing-$ends$size_mib.log" 20
    label=LF
    [ -n "$ends" ] && label="CR LF"
    printf '  %-6s native %5d' "$label" \
      "$(per_line "$native" "changing-${ends}10.log" "changing-${ends}20.log")"
    if have "$base_native"; then
      printf ', base %5d' "$(per_line "$base_native" "changing-${ends}10.log" "changing-${ends}20.log")"
    fi
    echo
  done
fi

if have "$native"; then
  echo "== time against size, changing names, native"
  for mib in 64 256; do
    [ "$mib" -lt "$size_mib" ] && slice "changing-$mib.log" "changing-$size_mib.log" "$mib"
  done
  for mib in $(printf '%s\n' 64 256 "$size_mib" | awk -v m="$size_mib" '$1 <= m' | sort -nu); do
    log=changing-$mib.log
    cat "$dir/$log" > /dev/null
    read -r s _ < <(best_pair "$runs" "$native" "$log")
    awk -v l="$log" -v s="$s" -v n="$(wc -l < "$dir/$log")" \
      'BEGIN { printf "  %-24s %8.3f s %8.1f ns a line\n", l, s, s * 1e9 / n }'
  done
fi

echo "== all identifiers: 65,535 events, every calling line and called extension, best of 5"
if have "$native"; then
  read -r s _ < <(best_pair 5 "$native" allids.log)
  printf '  %-18s %9s s\n' "logtally native" "$s"
  if ! command -v strace > /dev/null; then
    source "$root/scripts/packages.sh"
    need_packages strace || true
  fi
  if command -v strace > /dev/null; then
    # -w: the wall time each call took, which for a sync is the wait for the disk.
    (cd "$dir" && strace -f -c -w -e trace=write,fsync -o "$dir/strace.out" "$native" \
       allids.log > /dev/null 2>&1) || true
    calls=$(awk '$NF == "write" { print $4 }' "$dir/strace.out")
    printf '  %-18s %9s\n' "native write calls" "${calls:-?}"
    # The syncs that make the reports outlive a power loss: three reports and their folder.
    awk '$NF == "fsync" { printf "  %-18s %9s, %.1f ms\n", "native fsync calls", $4, $2 * 1000 }' \
      "$dir/strace.out"
  else
    echo "  (write calls not counted: strace is not installed)"
  fi
fi
if [ $have_wine = 1 ]; then
  read -r s _ < <(best_pair 5 $wine_run "$win32" allids.log)
  printf '  %-18s %9s s\n' "logtally Wine" "$s"
fi
