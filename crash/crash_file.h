// The crash file: a copy of the report that never follows a link and never overwrites a
// file that is not an earlier crash report.
#pragma once

#include "crash/crash.h"

// Room of a crash file's name and of its fallback name, with the NUL.
inline constexpr int32_t kCrashNameSize = 512;

// Writes the report of values into a file named name (at most kCrashNameSize - 10
// characters) and returns the name written, in static storage or name itself. Where name
// holds nothing, the file is created; where it holds an earlier crash report, the new report
// replaces it as a name (written beside it first, then moved over it); where it holds
// anything else (a link, a folder, a file of the user's), that stays as it is and the report
// goes to a name of its own beside it, name with "-" and 8 hex digits before its extension.
// Returns null when no file could be made; while create_fails_hard is 1, that first
// failure instead ends the process with the fatal message of create_file.
const char* write_crash_file(const char* name, const CrashValues& values);
