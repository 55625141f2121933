// The names of the report files and of their temporary files, and the room they take.
#pragma once

#include <cstdint>

#include "literals.h"
#include "text/limits.h"

// What each file-name pattern adds to the base name: its text without the "%s" the base
// takes. The temporary name's "%08x%u" becomes 8 hex digits that tell runs apart and the
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

// The name of the temporary file of report index (0, 1, 2) for base and a run's unique part
// (run_unique_part), into out (kReportNameSize bytes). It is as long as the longest report
// name, so when it can be created, every report name fits the folder's file system; it ends
// in no report's pattern.
void temp_report_name(const char* base, uint32_t unique, int32_t index, char* out);
