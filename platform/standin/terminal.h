// The terminal settings the stand-in's SetConsoleMode found, put back when the process ends.
#pragma once

namespace standin {

// Records the settings of the terminal on fd before the stand-in first changes them (later
// calls record nothing while that terminal stays open) and arranges for SIGINT, SIGQUIT,
// SIGTERM and SIGHUP, where they still take their default action, to put them back first.
void remember_terminal(int fd);

// Puts the recorded settings back, when the descriptor still names the same terminal.
// Async-signal-safe: it runs in ExitProcess and in signal handlers.
void restore_terminal();

}  // namespace standin
