// How a process of the stand-in ends: what the system does for it on the way out, and the end
// by a signal's default action.
#pragma once

namespace standin {

// What the system does for a process that ends in a way that runs code: the terminal gets
// back its settings, the files opened to be deleted on close go. Async-signal-safe.
void process_ending();

// process_ending, then the signal's default action, which ends the process (the shell sees
// it killed by the signal). Async-signal-safe; callable from any thread.
[[noreturn]] void end_by_signal(int signal);

// Ends the process by the last console signal that SetConsoleCtrlHandler's thread took
// (SIGINT when none came): what ExitProcess(CONTROL_C_EXIT) does here.
[[noreturn]] void end_by_console_signal();

}  // namespace standin
