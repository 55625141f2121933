// The three reports as a set: named after the log, locked against other runs of the same
// set, made as temporary files before the log is read, and moved over the old reports
// together once they are written.
#pragma once

#include <cstdint>

#include "platform/win_api.h"

inline constexpr int32_t kReportCount = 3;

// How long a run waits for another run that writes the same reports.
inline constexpr uint32_t kLockWaitMs = 3000;

// How many temporary names a report tries before it gives up: a file left behind (a run
// that was killed, a log of that name) takes one.
inline constexpr int32_t kTempAttempts = 8;

// Names the reports after base_name, refuses a log that is one of them, takes the set's
// lock and creates the three temporary files, so that a folder where no report can be made
// ends the run before the log is read. When another run holds the lock past kLockWaitMs it
// says so and ends the process with exit code 1; any other failure is fatal, naming the
// report and saying that no report was replaced. From here on every way out of the run
// before the moves deletes the temporary files.
void open_report_set(HANDLE log);

// The name of report k (0: combined, 1: called extensions, 2: calling lines), in static
// storage.
const char* report_name(int32_t k);

// Holds the set for writing report k (a console event waits until finish_report_file) and
// returns the handle of its temporary file, open for writing and registered under the
// report's name so that a short write names the report.
HANDLE start_report_file(int32_t k);

// Hands the temporary file of report k to the disk, closes it and lets the set go; a failure
// is fatal.
void finish_report_file(int32_t k);

// Once all three are finished: checks that each report name can be replaced (fatal, no
// report replaced, when one cannot), then moves the three over the old reports in order,
// the folder synced after the last, and lets the lock go; a console event waits until all
// three are in place. A move that fails after others ends the process with a message saying
// which reports are new.
void replace_report_set(HANDLE log);

// Creates the temporary file of report index (0, 1, 2) for base where nothing has its name,
// trying up to kTempAttempts names (run_unique_part of each attempt); the name tried last
// goes to name_out (kReportNameSize bytes). Returns create_new_file's status of the last try
// (kNameTaken when every name was taken).
int32_t create_temp_file(const char* base, int32_t index, char* name_out, HANDLE* handle_out);
