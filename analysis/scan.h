// The line loop: reads the log once, line by line, from cleaning to the tallies.
#pragma once

#include <cstdint>

#include "analysis/line_index.h"
#include "platform/win_api.h"

// Reads input from its current position to its end: cleans every line, checks its timestamp
// order, and parses and tallies every event line; then prints how many lines were read and
// returns that count. A parse error ends the process.
uint64_t scan_log(HANDLE input);

// The loop's step for an event line (cleaned, indexed, its keywords found): parses it and
// tallies its calling line, then its called extension, both with the event's duration. A
// malformed line ends the process through parse_error_exit with number and raw, its text as
// read.
void parse_event_line(const IndexedLine& line, uint64_t number, const char* raw);
