#!/bin/bash
# Runs a command while another process (the platform driver) keeps a file open exclusively,
# or, with HOLD_HOW=hold-lock, holds FILE as a report set's lock as a run of logtally does.
#
# Usage: hold_file.sh FILE COMMAND...   (in a case's wrap; E2E_SCRATCH and
# LOGTALLY_E2E_DRIVER come from run_case.sh). Exits with the command's code, or 99 when the
# driver could not take the file.
file=$1
shift
fifo="$E2E_SCRATCH/hold.fifo"
mkfifo "$fifo"
: > "$E2E_SCRATCH/hold.out"
# The driver keeps the file until its standard input, the fifo, ends.
$LOGTALLY_E2E_DRIVER "${HOLD_HOW:-hold}" "$file" < "$fifo" > "$E2E_SCRATCH/hold.out" 2>&1 &
exec 7> "$fifo"
for _ in $(seq 600); do
  grep -qs held "$E2E_SCRATCH/hold.out" && break
  sleep 0.1
done
grep -qs held "$E2E_SCRATCH/hold.out" || { echo "the driver did not take $file" >&2; exit 99; }
"$@"
status=$?
exec 7>&-
wait
exit $status
