// Process exit, the unique part of a run's file names, the process priority and the
// system's version.
#pragma once

#include <cstdint>

// Deletes the files the run was making and has not moved into place (discard_files), then
// ends the process with code; never returns.
[[noreturn]] void process_exit(int32_t code);

// The most attempts that unique_part tells apart.
inline constexpr int32_t kUniqueAttempts = 16;

// A value that tells this run's files from another's: the process id for attempt 0, then for
// each further attempt (below kUniqueAttempts) one made of it, the start and the attempt,
// different for each attempt.
uint32_t unique_part(uint32_t process, uint32_t start, int32_t attempt);

// unique_part of this process, with the tick count of its first call as the start.
uint32_t run_unique_part(int32_t attempt);

// Set the priority class of this process; each returns SetPriorityClass's success flag.
int32_t set_priority_normal();
int32_t set_priority_high();
int32_t set_priority_low();

// The GetVersion value packed as family, major, minor, (v >> 24) & 0x7F, high byte first.
uint32_t windows_version_code();
