// Formatted output of the crash filter, expanded in static storage instead of on the stack.
//
// After a stack overflow the system leaves the filter about 2 KB of stack, too little for
// print_to's 2 KB buffer; the filter runs once, so one static line serves every message.
#pragma once

#include <cstdint>

#include "platform/win_api.h"
#include "text/format.h"

// Expands format with args into the static line (cut at 511 characters) and writes it to
// handle with write_text; returns write_text's status.
int32_t crash_print_args(HANDLE handle, const char* format, FormatArgs args);

template <class... A>
inline int32_t crash_print(HANDLE handle, const char* format, A... args) {
    return format_detail::with_words(
        [&](FormatArgs a) { return crash_print_args(handle, format, a); }, args...);
}
