// The line loop: reads the log once and cleans, checks and classifies every line.
#pragma once

#include <cstdint>

#include "platform/win_api.h"
#include "text/limits.h"

// What classify_line finds in a line, named for the keyword that decides it. The values are
// fixed; 6 is not used.
enum LineKind : int32_t {
    kNoKeywordLine = 0,
    kClockAdjustedLine = 1,
    kNotCountedLine = 2,
    kVoiceMailLine = 3,
    kConferenceBridgeLine = 4,
    kEventLine = 5,  // a call or conference that ended: the only kind that is parsed
    kAlarmLine = 7,
    kCallSetupLine = 8,
    kOperatorLoginLine = 9,
};

// A line on its way through the loop: the text as read (quoted by a parse error) and the
// cleaned text every later step works on. Both are NUL-terminated with kSearchSlack bytes of
// storage after the NUL; clean is raw itself when cleaning changed nothing.
struct ScanLine {
    const char* raw;
    const char* clean;
    int32_t clean_length;
    uint64_t number;  // the first line of the log is number 1
};

// The last line that carried a timestamp, kept by reference, and where its timestamp word
// stands in it. A one-digit hour compares as if a '0' stood in front of it.
struct TimeOrder {
    const char* line;      // its cleaned text; "" at the start
    int32_t stamp_start;   // the word's offset in line
    int32_t stamp_length;  // 0 when the last line read carried no timestamp
    bool padded;           // the word's second character is ':'
};

// Reads input from its current position to its end, hands event lines to the parser, then
// prints how many lines were read and returns that count. A parse error ends the process.
uint64_t scan_log(HANDLE input);

// The cleaned form of raw (length characters): raw itself when neither pattern occurs, else a
// copy in spare (kLineBufferSize bytes, owned by the caller) with the patterns removed until
// none is left. *clean_length gets the result's length.
const char* clean_line(const char* raw, int32_t length, char* spare, int32_t* clean_length);

// Warns when the leading timestamp of line sorts before order's and keeps it, with the line,
// for the next line; a line without a timestamp forgets the previous stamp. The line must stay
// readable while order refers to it. Returns 1 when the warning was printed, else 0.
int32_t check_timestamp_order(TimeOrder* order, const char* line, int32_t length);

// The kind of line (length characters, searchable storage), by the first keyword found in a
// fixed order.
LineKind classify_line(const char* line, int32_t length);
