// The three report files written next to the input after the line loop.
#pragma once

#include <cstdint>

// A duration in tenths of a second as the nearest tenth of a minute, half up, at least 1.
int64_t report_minutes(int64_t total);

// Writes the combined report (for the called extensions, then the calling lines: a title, a
// header, one aligned row per counted identifier, a rule and the totals) and the two lists
// (one tab-separated row per counted identifier: identifier, name, count, minutes), each into
// its temporary file of the report set (open_report_set), then replaces the old reports
// with the set and announces each on the console.
void write_reports();

// name as a tab-separated field, in field (kLineSize bytes) when it had to change: a tab or
// CR inside a name would split or end the row, so each becomes a blank. Returns name itself
// when nothing changes, else field (cut at kLineSize - 1 characters).
const char* list_field(const char* name, char* field);
