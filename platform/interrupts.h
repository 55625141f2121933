// Ctrl+C, Ctrl+Break and a closing console (natively SIGINT, SIGTERM and SIGHUP): the run
// ends at once and leaves none of the files it was making behind; only while they are being
// moved into place does an event wait, until all of them are.
//
// The system runs the handler on a thread of its own while the program goes on, so the files
// pass between the two through one state. The program holds them for each step in which it
// uses them (making a file and recording its name, writing one); between such steps they are
// at risk, and an event deletes them through the program's discard function; once the moves
// begin, an event waits for their end and then ends the process.
#pragma once

#include <cstdint>

#include "platform/win_api.h"

// Installs the handler. Until begin_files, an event ends the process at once.
void install_interrupt_handler();

// The program starts making files that discard deletes: exactly those made so far and not
// moved yet. discard may run on the handler's thread. The files are held until
// release_files.
void begin_files(void (*discard)());

// Holds the files for one step that must not be cut; release_files puts them at risk again.
// When an event deleted them meanwhile, the process is ending: hold_files does not return.
void hold_files();
void release_files();

// The moves begin: an event from now on waits for end_moves, which ends the process as the
// event would when one came. begin_moves does not return when an event deleted the files.
void begin_moves();
void end_moves();

// Deletes the files not yet moved, unless an event does: for the program's own ways out
// (process_exit, a fatal error, a crash). Returns once they are gone.
void discard_files();

// The handler the system calls with the event; it never returns: it ends the process with
// CONTROL_C_EXIT (natively: by the signal), once the files are safe.
BOOL WINAPI end_on_console_event(DWORD event);
