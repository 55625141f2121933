// Cleaning: the two tag patterns taken out of a line before anything else looks at it.
#pragma once

#include <cstdint>

#include "analysis/line_index.h"

// Where a cleaned line is made, owned by the caller.
struct CleanedLine {
    char text[kLineBufferSize];
    LineIndex index;
    IndexedLine line;
};

// The way of clean_line for a line that holds a pattern: spare's line.
const IndexedLine* clean_copy(const IndexedLine* raw, CleanedLine* spare);

// The cleaned form of raw (indexed, its keywords found): raw itself when it holds neither
// pattern, else spare's line, a copy with every occurrence of the first pattern, then of the
// second, losing all but its last character until none is left, indexed, with its keywords.
inline const IndexedLine* clean_line(const IndexedLine* raw, CleanedLine* spare) {
    return raw->found.present & kPatternBits ? clean_copy(raw, spare) : raw;
}
