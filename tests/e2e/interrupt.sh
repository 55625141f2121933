#!/bin/bash
# Sends a signal to logtally while it reads its log, once its temporary reports are made: it
# is held in a write of its warnings to a pipe nobody reads, and the first warning has been
# read. Prints the lines read and exits with logtally's status.
#
# Usage: interrupt.sh SIGNAL COMMAND...   (in a case's wrap; E2E_SCRATCH comes from
# run_case.sh). Under Wine a console event ends the process with STATUS_CONTROL_C_EXIT, of
# which the exit status keeps the low byte, 58; it is given as 130, what the native build's
# status for SIGINT is, so that both builds share the expected files.
signal=$1
shift
mkfifo "$E2E_SCRATCH/console"
# A background job of a shell without job control starts with SIGINT ignored, and logtally
# leaves an ignored signal ignored (as under nohup): the job gets the default back.
env --default-signal=INT "$@" > "$E2E_SCRATCH/console" 2>&1 &
logtally=$!
exec 3< "$E2E_SCRATCH/console"
head -n 3 <&3
# The shell's own note of how logtally ended is not part of the case.
{
  kill "-$signal" $logtally
  wait $logtally
} 2> /dev/null
status=$?
exec 3<&-
if [ "$LOGTALLY_E2E_BUILD" = win32 ] && [ $status = 58 ]; then status=130; fi
exit $status
