// The event parser: one event line into its two parties and its duration, fed to the tallies.
#pragma once

#include <cstdint>

#include "analysis/scan.h"

// One event as read from a line. The first identifier is 0 when the line names no caller.
struct ParsedEvent {
    int32_t first_id;
    int32_t second_id;
    int64_t duration;             // tenths of a second
    char first_name[kLineSize];   // untrimmed, as it stands in the line
    char second_name[kLineSize];
};

// Reads the event of line into event (owned by the caller; every field is set anew).
// Returns 0, or the parse error code 1..11 and event partly filled.
int32_t parse_event(const char* line, ParsedEvent* event);

// Parses cleaned_line and tallies its first party, then its second party, both with the
// event's duration. A malformed line ends the process through parse_error_exit.
void parse_event_line();

// Prints the error code, the line number and the raw line, then ends the process with exit
// code 1; no report is written. The fuzz build alone (LOGTALLY_PARSE_ERROR_RETURNS) returns
// after the message, so that one process can read many logs.
#ifdef LOGTALLY_PARSE_ERROR_RETURNS
void parse_error_exit(int32_t code);
#else
[[noreturn]] void parse_error_exit(int32_t code);
#endif
