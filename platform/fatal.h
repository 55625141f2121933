// The fatal exit: a message on standard error, the clean-up the moment needs, exit code 1.
#pragma once

#include <cstdint>

#include "text/format.h"

// Writes the fatal head, the formatted message (cut at 4095 characters) and the fatal tail to
// standard error alone, then ends the process with exit code 1.
[[noreturn]] void fatal_error_args(const char* format, FormatArgs args);

// Sets what fatal_error runs after its message and before the tail (null: nothing): the
// clean-up that the program's state needs at that moment, such as files only half made. It
// runs once; fatal_error clears it before the call.
void set_fatal_cleanup(void (*cleanup)());

template <class... A>
[[noreturn]] inline void fatal_error(const char* format, A... args) {
    format_detail::with_words([&](FormatArgs a) -> int32_t { fatal_error_args(format, a); },
                              args...);
    __builtin_unreachable();
}
