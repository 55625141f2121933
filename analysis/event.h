// The event parser: one event line into its calling line, called extension and duration, fed
// to the tallies.
#pragma once

#include <cstdint>

#include "analysis/scan.h"

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

// Where each event marker can first stand in a line: the first position of the keyword the
// marker starts with, or null when that keyword is absent (and so is the marker). The line
// itself for both is always right, only slower.
struct MarkerHints {
    const char* call;
    const char* conf;
};

// Reads the event of line (length characters, NUL-terminated, with kSearchSlack bytes of
// storage after it) into event (owned by the caller; every field is set anew). Returns kParsed,
// or the parse error and event partly filled.
ParseError parse_event(const char* line, int32_t length, MarkerHints hints, ParsedEvent* event);

// Parses line's cleaned text and tallies its calling line, then its called extension, both with
// the event's duration. A malformed line ends the process through parse_error_exit. The
// tallies may wait for the next event lines: flush_events makes them complete.
void parse_event_line(const ScanLine& line, MarkerHints hints);

// Tallies every event parse_event_line still holds, in the order of their lines.
void flush_events();

// Prints the error code, the line's number and its raw text, then ends the process with exit
// code 1; no report is written. The fuzz build alone (LOGTALLY_PARSE_ERROR_RETURNS) returns
// after the message, so that one process can read many logs.
#ifdef LOGTALLY_PARSE_ERROR_RETURNS
void parse_error_exit(ParseError code, const ScanLine& line);
#else
[[noreturn]] void parse_error_exit(ParseError code, const ScanLine& line);
#endif
