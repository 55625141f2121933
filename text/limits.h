// Sizes of the texts a log line passes through, shared by the reader and the analysis.
#pragma once

#include <cstdint>

#include "text/bytes.h"

// Room of a line: 1023 characters and the NUL. A longer line is read as several.
inline constexpr int32_t kLineSize = 1024;

// Room of a timestamp word: a whole line, one '0' put in front of a one-digit hour, the NUL.
inline constexpr int32_t kStampSize = kLineSize + 1;

// Room of a line buffer the byte searches run over: a line and their read-ahead.
inline constexpr int32_t kLineBufferSize = kLineSize + kSearchSlack;
