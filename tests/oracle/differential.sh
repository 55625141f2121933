#!/bin/bash
# Runs logtally and logtally_oracle, the frozen reference pipeline, on every hostile log that
# hostile_logs.py writes and on a few command lines, and fails when their standard output,
# standard error, exit code or the files next to the log differ in any byte.
#
# Usage: differential.sh LOGTALLY ORACLE [EMULATOR...]
#   EMULATOR   the command that runs both programs (under Wine for the win32 build)
# DIFFERENTIAL_SEED (default 1) makes other logs; DIFFERENTIAL_KEEP=1 keeps the scratch folder
# of a failing run. The logs are made in a temporary folder and removed afterwards.
set -u
here=$(cd "$(dirname "$0")" && pwd)
product=$(realpath -e "$1") && oracle=$(realpath -e "$2") || exit 1
shift 2
emulator=("$@")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/logtally-differential.XXXXXX")
logs=$scratch/logs
python3 "$here/hostile_logs.py" "$here/../../text/literals.txt" "$logs" \
  "${DIFFERENTIAL_SEED:-1}" || { echo "the log generator failed"; rm -rf "$scratch"; exit 1; }

# run PROGRAM DIR PIPED ARGS...: runs PROGRAM in DIR/work. With PIPED=1 standard output is a
# pipe and standard error a file, so the console messages go to both.
run() {
  local program=$1 dir=$2 piped=$3
  shift 3
  if [ "$piped" = 1 ]; then
    (cd "$dir/work" && "${emulator[@]}" "$program" "$@" < /dev/null 2> "$dir/stderr" |
       cat > "$dir/stdout"; echo "${PIPESTATUS[0]}" > "$dir/exit")
  else
    (cd "$dir/work" && "${emulator[@]}" "$program" "$@" < /dev/null > "$dir/stdout" \
       2> "$dir/stderr")
    echo $? > "$dir/exit"
  fi
}

# compare CASE: 0 when both programs did the same, byte for byte; else shows the differences.
compare() {
  local a=$scratch/$1/product b=$scratch/$1/oracle same=0 stream
  for stream in stdout stderr exit; do
    if ! cmp -s "$b/$stream" "$a/$stream"; then
      echo "--- $1: $stream differs (reference, then logtally; CR shown as ^M):"
      diff <(cat -A "$b/$stream") <(cat -A "$a/$stream") | head -20
      same=1
    fi
  done
  if ! diff -r "$b/work" "$a/work" > "$scratch/$1/files.diff"; then
    echo "--- $1: the files next to the log differ (reference, then logtally):"
    head -30 "$scratch/$1/files.diff"
    same=1
  fi
  return $same
}

# check CASE PIPED FILES... -- ARGS...: places FILES (from the log folder, "NAME=AS" to rename)
# in a work folder for each program, runs both with ARGS and compares; sets oracle_exit.
cases=0
failed=0
check() {
  local name=$1 piped=$2 program file
  shift 2
  for program in product oracle; do
    mkdir -p "$scratch/$name/$program/work"
  done
  while [ "$1" != -- ]; do
    file=$1
    shift
    for program in product oracle; do
      mkdir -p "$(dirname "$scratch/$name/$program/work/${file#*=}")"
      ln "$logs/${file%%=*}" "$scratch/$name/$program/work/${file#*=}"
    done
  done
  shift
  run "$product" "$scratch/$name/product" "$piped" "$@"
  run "$oracle" "$scratch/$name/oracle" "$piped" "$@"
  oracle_exit=$(cat "$scratch/$name/oracle/exit")
  cases=$((cases + 1))
  if compare "$name"; then
    rm -rf "${scratch:?}/$name"
  else
    failed=$((failed + 1))
  fi
}

# Every log, run as it comes; a log made to stop at a parse error must do so in the reference
# too, or the generator no longer makes what this test is meant to cover.
while read -r name expected; do
  check "$name" $((cases % 2)) "$name.log" -- "$name.log"
  if [ "$oracle_exit" != "$expected" ]; then
    echo "--- $name: the reference exits with $oracle_exit, the log was made for $expected"
    failed=$((failed + 1))
  fi
done < "$logs/manifest"

# Input selection: no argument, a missing log, quotes and blanks, a dotted folder.
check no-argument 0 --
check missing-log 1 -- missing.log
check quoted-blanks 0 "mixed-00.log=day one.v2.log" -- '  "day one.v2.log"  '
check dotted-folder 1 "mixed-01.log=sub.dir/inner" -- sub.dir/inner

echo "$cases cases, $failed failed"
if [ $failed -gt 0 ] && [ "${DIFFERENTIAL_KEEP:-0}" = 1 ]; then
  echo "scratch folder kept: $scratch"
else
  rm -rf "$scratch"
fi
[ $failed = 0 ]
