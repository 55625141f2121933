#!/bin/bash
# Runs logtally on one end-to-end case and compares what it did with what the case expects.
#
# Usage: run_case.sh CASE_DIR COMMAND...   (COMMAND runs logtally, possibly under an emulator)
#
# A case folder holds:
#   in/      the files logtally starts with (a log, folders); copied into a scratch folder,
#            where logtally runs, so input paths are relative and the same on every build
#   args     the arguments, one a line (none when empty)
#   stdout, stderr, exit   the expected console output, byte for byte, and exit code
#   out/     the files logtally must add next to the input, byte for byte; no other file
#            may appear or change
# Set LOGTALLY_E2E_KEEP=1 to keep the scratch folder of a failing case.
set -u
case_dir=$1
shift
scratch=$(mktemp -d)
mkdir "$scratch/work" "$scratch/expected"
if [ -d "$case_dir/in" ]; then
  cp -RL "$case_dir/in/." "$scratch/work/"
  cp -RL "$case_dir/in/." "$scratch/expected/"
fi
[ -d "$case_dir/out" ] && cp -R "$case_dir/out/." "$scratch/expected/"

args=()
while IFS= read -r line || [ -n "$line" ]; do args+=("$line"); done < "$case_dir/args"
(cd "$scratch/work" && "$@" "${args[@]}" < /dev/null > "$scratch/stdout" 2> "$scratch/stderr")
echo $? > "$scratch/exit"

failed=0
for stream in stdout stderr exit; do
  if ! cmp -s "$case_dir/$stream" "$scratch/$stream"; then
    echo "--- $stream differs (expected, then actual; CR shown as ^M):"
    diff <(cat -A "$case_dir/$stream") <(cat -A "$scratch/$stream") | head -40
    failed=1
  fi
done
if ! diff -r "$scratch/expected" "$scratch/work" > "$scratch/files.diff"; then
  echo "--- files next to the input differ from the expected ones:"
  head -60 "$scratch/files.diff"
  failed=1
fi

if [ $failed = 1 ] && [ "${LOGTALLY_E2E_KEEP:-0}" = 1 ]; then
  echo "scratch folder kept: $scratch"
else
  rm -rf "$scratch"
fi
exit $failed
