// The kind of a log line, by the first of the kind keywords it holds in a fixed order.
#pragma once

#include <cstdint>

#include "analysis/line_index.h"

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

// The kind of line (cleaned, indexed, its keywords found): the kind of the first keyword it
// holds in the order clock adjusted, conference bridge, voice mail, not counted, event, call
// setup, alarm, operator login; kNoKeywordLine when it holds none.
LineKind classify_line(const IndexedLine& line);
