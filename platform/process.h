// Process exit, the fatal exit, the page allocator and the process priority.
#pragma once

#include <cstdint>

#include "text/format.h"

// Ends the process with code; never returns.
[[noreturn]] void process_exit(int32_t code);

// Writes the fatal head, the formatted message (cut at 4095 characters) and the fatal tail to
// standard error alone, then ends the process with exit code 1.
[[noreturn]] void fatal_error_args(const char* format, FormatArgs args);

// Sets what fatal_error runs after its message and before the tail (null: nothing): the
// clean-up that the program's state needs at that moment, such as files only half made. It
// runs once; fatal_error clears it before the call.
void set_fatal_cleanup(void (*cleanup)());

template <class... A>
[[noreturn]] inline void fatal_error(const char* format, A... args) {
    format_detail::with_words([&](FormatArgs a) -> int { fatal_error_args(format, a); },
                              args...);
    __builtin_unreachable();
}

// Committed, zero-filled, read-write memory of at least size bytes, in whole pages. Retries
// after 500, 1000 and 2000 ms; the fourth failure ends the process through fatal_error.
// Never returns null.
void* page_alloc(uint32_t size);

// Gives a region from page_alloc back to the system; 1 when the system refused (the region
// then stays), else 0.
int32_t page_free(void* region);

// Set the priority class of this process; each returns SetPriorityClass's success flag.
int32_t set_priority_normal();
int32_t set_priority_high();
int32_t set_priority_low();

// The GetVersion value packed as family, major, minor, (v >> 24) & 0x7F, high byte first.
uint32_t windows_version_code();
