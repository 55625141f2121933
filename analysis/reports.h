// The three report files written next to the input after the line loop.
#pragma once

#include <cstdint>

// Room of a report file name: the base name, its pattern and the NUL, so it is never cut.
inline constexpr int32_t kReportNameSize = 1024 + 32;

// A duration in tenths of a second as the nearest tenth of a minute, half up, at least 1.
int64_t report_minutes(int64_t total);

// The combined report: for the second parties, then the first parties, a title, a header,
// one aligned row per counted identifier, a rule and the totals. Announces the file.
void write_summary_report();

// One row per counted second party: identifier, name, count, minutes. Announces the file.
void write_second_list();

// One row per counted first party: identifier, name, count, minutes. Announces the file.
void write_first_list();
