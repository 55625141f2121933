// The program's spine: the process entry and the main sequence.
#pragma once

#include <cstdint>

// Prepares the console, runs the main sequence and ends the process with its result.
[[noreturn]] void program_entry();

// Banner, crash handler, input selection, the line loop and the three reports; returns 0.
// Every failure inside ends the process with exit code 1 before it returns.
int32_t main_sequence();
