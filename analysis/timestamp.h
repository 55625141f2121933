// The timestamp-order check: a warning when a line's leading timestamp sorts before the one
// of the last line that carried one.
#pragma once

#include <cstdint>

#include "platform/reader.h"

// The last line that carried a timestamp, pinned so that it outlasts the reads after it, and
// its timestamp word as it compares. A one-digit hour compares as if a '0' stood in front of
// it: the key holds that zero-padded form. Owned by the caller.
struct TimeOrder {
    LinePin pin;               // its cleaned text; "" at the start
    const LineReader* reader;  // whose buffer may hold the pinned line, or null
    // The first sixteen bytes of the pinned line, and which of them make its stamp: the word
    // and the byte that ends it. A line that has those bytes has that stamp. kNoHead when
    // the stamp is longer than eight characters or there is none: no line has all of them.
    char head[16];
    uint32_t head_used;
    // The stamp's first eight characters as a number that sorts alike: bytes from the most
    // significant down, zeros after its end. 0 when the last line read carried no timestamp,
    // which no stamp sorts before.
    uint64_t key;
    // For a stamp of more than eight characters (head_used kNoHead, key not 0): its word's
    // offset and length in the line, and whether a '0' stands in front of it.
    int32_t long_start;
    int32_t long_length;
    bool long_padded;
};

// The head_used of a stamp that no line is taken to repeat.
inline constexpr uint32_t kNoHead = 0x10000;

// Starts order with no previous timestamp, for lines read from reader (null: lines that
// never lie in a reader's buffer).
void time_order_init(TimeOrder* order, const LineReader* reader);

// Warns when the leading timestamp of line (length characters before its NUL, in line
// storage) sorts before order's and keeps it, with the line, for the next line; a line without
// a timestamp forgets the previous stamp. Returns 1 when the warning was printed, else 0.
int32_t check_timestamp_order(TimeOrder* order, const char* line, int32_t length);
