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
# and, where a case needs them:
#   setup    a bash script run in an empty folder before logtally; what it makes is added to
#            the inputs (big or generated logs are made here, not checked in) and, like them,
#            must be left unchanged
#   wrap     a bash script that runs logtally, given as "$@", in the scratch folder instead of
#            this script, for a different console or a helper process; E2E_SCRATCH names a
#            folder for its own files; a wrap that exits with 77 skips the case, with the
#            reason on its standard error (logtally never exits with 77)
#   mask     a sed script applied to the actual stdout and stderr before they are compared
#            (for numbers that differ between builds, such as addresses)
#   gone     the inputs, one a line, that the program must remove (a lock left behind)
#   skip-BUILD  the reason the case cannot run on that build (native, win32): the test is
#            reported as skipped with that reason
#
# The environment gives LOGTALLY_E2E_BUILD (native or win32) and LOGTALLY_E2E_DRIVER (the
# command that runs the platform test driver of the same build).
# Set LOGTALLY_E2E_KEEP=1 to keep the scratch folder of a failing case.
set -u
case_dir=$1
shift
build=${LOGTALLY_E2E_BUILD:-native}
if [ -f "$case_dir/skip-$build" ]; then
  echo "skipped on the $build build: $(cat "$case_dir/skip-$build")"
  exit 77
fi
scratch=$(mktemp -d)
mkdir "$scratch/work" "$scratch/expected" "$scratch/gen" "$scratch/helper"
if [ -d "$case_dir/in" ]; then
  cp -RL "$case_dir/in/." "$scratch/work/"
  cp -RL "$case_dir/in/." "$scratch/expected/"
fi
if [ -f "$case_dir/setup" ]; then
  (cd "$scratch/gen" && bash "$case_dir/setup") || { echo "setup failed"; rm -rf "$scratch"; exit 1; }
  # Linked, not copied: a generated log may be 100 MB. A link in expected/ changes with its
  # twin in work/, so the comparison below cannot see a generated input the program changed
  # in place; their checksums, taken now, can.
  (cd "$scratch/gen" && find . -type f -print0 | sort -z | xargs -0 -r md5sum) > "$scratch/gen.md5"
  cp -al "$scratch/gen/." "$scratch/work/"
  cp -al "$scratch/gen/." "$scratch/expected/"
fi
[ -d "$case_dir/out" ] && cp -R --remove-destination "$case_dir/out/." "$scratch/expected/"
if [ -f "$case_dir/gone" ]; then
  while IFS= read -r name; do rm -f "$scratch/expected/$name"; done < "$case_dir/gone"
fi

args=()
while IFS= read -r line || [ -n "$line" ]; do args+=("$line"); done < "$case_dir/args"
runner=()
[ -f "$case_dir/wrap" ] && runner=(bash "$case_dir/wrap")
(cd "$scratch/work" && E2E_SCRATCH="$scratch/helper" "${runner[@]}" "$@" "${args[@]}" \
   < /dev/null > "$scratch/stdout" 2> "$scratch/stderr")
echo $? > "$scratch/exit"
if [ -f "$case_dir/wrap" ] && [ "$(cat "$scratch/exit")" = 77 ]; then
  echo "skipped: $(cat "$scratch/stderr")"
  rm -rf "$scratch"
  exit 77
fi
if [ -f "$case_dir/mask" ]; then
  for stream in stdout stderr; do
    sed -f "$case_dir/mask" "$scratch/$stream" > "$scratch/$stream.masked"
    mv "$scratch/$stream.masked" "$scratch/$stream"
  done
fi

failed=0
for stream in stdout stderr exit; do
  if ! cmp -s "$case_dir/$stream" "$scratch/$stream"; then
    echo "--- $stream differs (expected, then actual; CR shown as ^M):"
    diff <(cat -A "$case_dir/$stream") <(cat -A "$scratch/$stream") | head -40
    failed=1
  fi
done
if [ -s "$scratch/gen.md5" ] &&
   ! (cd "$scratch/work" && md5sum -c --quiet "$scratch/gen.md5") > "$scratch/gen.check" 2>&1; then
  echo "--- generated inputs the program changed or removed:"
  head -20 "$scratch/gen.check"
  failed=1
fi
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
