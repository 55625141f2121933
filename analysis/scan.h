// The line loop: reads the log once and cleans, checks and classifies every line.
#pragma once

#include <cstdint>

// Room of a line buffer: 1023 characters and the NUL.
inline constexpr int32_t kLineSize = 1024;

// Room of a timestamp word: a whole line, one '0' put in front of a one-digit hour, the NUL.
inline constexpr int32_t kStampSize = kLineSize + 1;

// The line as read, without CR and LF; the event parser quotes it in its error message.
extern char raw_line[kLineSize];
// The line after cleaning: every later step works on it.
extern char cleaned_line[kLineSize];
// The zero-padded leading timestamp of the last line that carried one, or "".
extern char previous_stamp[kStampSize];
// The cleaned text of the last line that carried a timestamp, or "".
extern char previous_line[kLineSize];
// Lines read so far; the first line is number 1.
extern uint64_t line_counter;

// What classify_line finds in a line; 0 is a line without any keyword, 6 never occurs.
typedef int32_t LineKind;
inline constexpr LineKind kEventLine = 5;

// Reads the input log from its current position to its end, hands event lines to the
// parser, then prints how many lines were read. A parse error ends the process instead.
void scan_log();

// Copies raw_line into cleaned_line and removes the two fixed patterns until none is left.
void clean_line();

// Warns when the leading timestamp of cleaned_line sorts before the previous one and keeps
// it for the next line; a line without a timestamp forgets the previous one. Returns 1 when
// the warning was printed, else 0.
int32_t check_timestamp_order();

// The kind of cleaned_line, by the first keyword found in a fixed order.
LineKind classify_line();
