// Process exit, the process priority and the system's version.
#pragma once

#include <cstdint>

// Ends the process with code; never returns.
[[noreturn]] void process_exit(int32_t code);

// Set the priority class of this process; each returns SetPriorityClass's success flag.
int32_t set_priority_normal();
int32_t set_priority_high();
int32_t set_priority_low();

// The GetVersion value packed as family, major, minor, (v >> 24) & 0x7F, high byte first.
uint32_t windows_version_code();
