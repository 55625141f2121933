// The fatal exit: a message on standard error, the clean-up the moment needs, exit code 1.
#pragma once

#include <cstdint>

#include "text/format.h"

// Room of a fatal message and its NUL: enough for four names of 1036 characters (the
// longest report names) with the text around them.
inline constexpr int32_t kFatalMessageSize = 8192;

// Writes the fatal head, the formatted message (cut at kFatalMessageSize - 1 characters) and
// the fatal tail to standard error alone, through the writer of set_fatal_writer, then ends
// the process with exit code 1.
[[noreturn]] void fatal_error_args(const char* format, FormatArgs args);

// Sets how fatal_error writes a text to standard error, LF as CR LF: the output channels
// give it when they start, so that the fatal exit, which a short write of theirs reaches,
// does not call up into them. Until then a fatal error writes nothing.
void set_fatal_writer(int32_t (*writer)(const char* text));

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
