// The program's spine: the process entry and the main sequence.
#pragma once

#include <cstdint>

// Prepares the console, runs the main sequence and ends the process with its result.
[[noreturn]] void program_entry();

// The help or the version when asked for (exit code 0), else banner, crash and console-event
// handlers, input selection, the report set made ready, the line loop and the three reports;
// returns 0.
// Every failure inside ends the process with exit code 1 before it returns.
int32_t main_sequence();
