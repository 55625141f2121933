// The three report files written next to the input after the line loop, replaced as a set.
#pragma once

#include <cstdint>

#include "literals.h"
#include "text/limits.h"

// What each file-name pattern adds to the base name: its text without the "%s" the base
// takes. The temporary name's "%08x%u" becomes the process id's 8 hex digits and the
// report's one-digit number.
inline constexpr int32_t kBaseDirective = 2;
inline constexpr int32_t kSummaryNameExtra = kSummaryFileNameFmtLength - kBaseDirective;
inline constexpr int32_t kSecondListNameExtra = kSecondListFileNameFmtLength - kBaseDirective;
inline constexpr int32_t kFirstListNameExtra = kFirstListFileNameFmtLength - kBaseDirective;
inline constexpr int32_t kTempNameExtra = kTempFileNameFmtLength - kBaseDirective - 6 + 8 + 1;

// Room of a report or temporary file name: the base name (kLineSize - 1 characters at most),
// the longest pattern's text and the NUL, so no name is ever cut. The calling-line list has
// the longest report pattern; the temporary name is as long.
inline constexpr int32_t kReportNameSize = kLineSize + kFirstListNameExtra;
static_assert(kReportNameSize >= kLineSize + kSummaryNameExtra &&
                  kReportNameSize >= kLineSize + kSecondListNameExtra &&
                  kReportNameSize >= kLineSize + kTempNameExtra,
              "a report or temporary file name would not fit kReportNameSize");

// A duration in tenths of a second as the nearest tenth of a minute, half up, at least 1.
int64_t report_minutes(int64_t total);

// Writes the combined report (for the called extensions, then the calling lines: a title, a
// header, one aligned row per counted identifier, a rule and the totals) and the two lists
// (one tab-separated row per counted identifier: identifier, name, count, minutes), each into
// a temporary file beside the input. Only when all three are written and closed do they
// replace the reports of that name, in that order; then each is announced on the console.
// A failure before the first replacement deletes the temporary files, leaves every old
// report as it was and ends the process (fatal message); a replacement that fails after
// others ends it with a message that says which reports are new and which are not.
void write_reports();

// name as a tab-separated field, in field (kLineSize bytes) when it had to change: a tab or
// CR inside a name would split or end the row, so each becomes a blank. Returns name itself
// when nothing changes, else field (cut at kLineSize - 1 characters).
const char* list_field(const char* name, char* field);

// The name of the temporary file of report index (0, 1, 2) for base and process, into out
// (kReportNameSize bytes). It is as long as the longest report name, so when it can be
// created, every report name fits the folder's file system; it ends in no report's pattern.
void temp_report_name(const char* base, uint32_t process, int32_t index, char* out);
