// The event parser: one event line into its calling line, called extension and duration.
#pragma once

#include <cstdint>

#include "analysis/line_index.h"

// What parse_event finds wrong with an event line; the value is the code the parse error
// message prints, and the README's table of parse errors has a row for each.
enum ParseError : int32_t {
    kParsed = 0,                     // nothing wrong
    kNoEventMarker = 1,              // neither event marker, each with the blank after it
    kNoCallingLineForm = 2,          // a calling line neither named with its intro nor prefixed
    kBadPrefixedLineNumber = 3,      // no valid number after the calling line's prefix
    kBadNamedLineNumber = 4,         // no valid number after the calling line's intro
    kNoSeparatorAfterCaller = 5,     // the separator does not follow the calling line at once
    kNoCalledExtensionForm = 6,      // a called extension neither named nor prefixed
    kBadPrefixedExtensionNumber = 7, // no valid number after the called extension's prefix
    kBadNamedExtensionNumber = 8,    // no valid number after the called extension's intro
    kBadMinutes = 9,                 // "[M:S]": no valid minutes, or no ':' after them
    kBadSeconds = 10,                // "[M:S]": no valid seconds, or no ']' after them
    kBadTenths = 11,                 // "[S.Ss]": no valid number, or no 's' after it
    kLastParseError = kBadTenths,
};

// One event as read from a line. line_id is 0 when the line names no calling line.
// The names point into the line, untrimmed, as they stand there.
struct ParsedEvent {
    int32_t line_id;
    int32_t extension_id;
    int64_t duration;  // tenths of a second
    const char* line_name;
    int32_t line_name_length;
    const char* extension_name;
    int32_t extension_name_length;
};

// Reads the event of line (cleaned, indexed, its keywords found) into event (owned by the
// caller; every field is set anew). Returns kParsed, or the parse error with event partly
// filled. Changes nothing else.
ParseError parse_event(const IndexedLine& line, ParsedEvent* event);

// Prints the error code, the line's number and its raw text (as read, before cleaning), then
// ends the process with exit code 1; no report is written.
[[noreturn]] void parse_error_exit(ParseError code, uint64_t line_number, const char* raw);
