// The report set: its names, its lock, its temporary files and their replacement of the old
// reports, which no other run and no console event can cut in two.
#include "analysis/report_set.h"

#include "analysis/input.h"
#include "analysis/report_names.h"
#include "literals.h"
#include "platform/fatal.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/interrupts.h"
#include "platform/output.h"
#include "platform/process.h"
#include "platform/reasons.h"
#include "platform/run_lock.h"
#include "text/text.h"

namespace {

constexpr int32_t kLongestReport = 2;  // the calling-line list has the longest pattern
constexpr int32_t kLockNameExtra = kLockFileNameFmtLength - kBaseDirective;
static_assert(kLockNameExtra <= kFirstListNameExtra,
              "the lock name must fit wherever the longest report name does");
static_assert(kTempAttempts <= kUniqueAttempts, "every attempt must try another name");
static_assert(4 * kReportNameSize + kMixedReportSetFmtLength + kReasonSize <= kFatalMessageSize,
              "the message of a mixed set must hold four report names uncut");

const char* const kNameFormats[kReportCount] = {kSummaryFileNameFmt, kSecondListFileNameFmt,
                                                kFirstListFileNameFmt};

char final_names[kReportCount][kReportNameSize];
char temp_names[kReportCount][kReportNameSize];
char lock_name[kReportNameSize];
HANDLE lock_file = INVALID_HANDLE_VALUE;
// Used and changed only while the files are held (or moved), so that the console-event
// handler, which may run discard_temp_files on its own thread, never meets the program in them.
HANDLE temp_files[kReportCount] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE,
                                   INVALID_HANDLE_VALUE};
int32_t temp_made[kReportCount];

// The lock goes when its handle is closed. Closed here, not left to the end of the process,
// so that it is gone when the process is: Wine closes a dead process's handles a moment later.
void release_lock() {
    if (lock_file == INVALID_HANDLE_VALUE) return;
    close_file(lock_file);
    lock_file = INVALID_HANDLE_VALUE;
}

// Deletes the temporary files that exist (made by this run and not moved), each closed first
// so that it is gone at once, and lets the lock go.
void discard_temp_files() {
    for (int32_t k = 0; k < kReportCount; ++k) {
        if (temp_files[k] != INVALID_HANDLE_VALUE) close_file(temp_files[k]);
        temp_files[k] = INVALID_HANDLE_VALUE;
        if (!temp_made[k]) continue;
        temp_made[k] = 0;
        delete_file(temp_names[k]);
    }
    release_lock();
}

// Run by fatal_error while the set is temporary: nothing old has been touched yet.
void discard_and_say_so() {
    discard_files();
    write_text(std_error, kNoReportReplacedText);
}

[[noreturn]] void cannot_replace(int32_t k, uint32_t code) {
    char reason[kReasonSize];
    fatal_error(kCannotReplaceFmt, final_names[k], system_reason(code, reason));
}

// A log reached under a report's name (a hard or symbolic link) would be replaced by its own
// report.
void refuse_log_as_report(HANDLE log) {
    for (int32_t k = 0; k < kReportCount; ++k)
        if (same_file(final_names[k], log)) cannot_replace(k, kErrorIsTheLog);
}

// The system's reason for a failed creation of name (status not 0): a name too long for
// the file system ends the run here, naming the longest report.
uint32_t creation_error(int32_t status, const char* name) {
    if (status == kNameTooLong) fatal_error(kReportNameTooLongFmt, final_names[kLongestReport]);
    return status == kNameTaken ? ERROR_FILE_EXISTS : file_error(name);
}

void take_lock() {
    int32_t status = take_lock_file(lock_name, kLockWaitMs, &lock_file);
    if (status == 0) return;
    if (status == kLockHeld) {
        print(kReportsBusyFmt, base_name);
        process_exit(1);
    }
    uint32_t code = creation_error(status, lock_name);
    char reason[kReasonSize];
    fatal_error(kLockFailedFmt, base_name, lock_name, system_reason(code, reason));
}

// Called with the files held: the name is recorded before an event may delete it.
void make_temp_file(int32_t k) {
    int32_t status = create_temp_file(base_name, k, temp_names[k], &temp_files[k]);
    if (status != 0) {
        uint32_t code = creation_error(status, temp_names[k]);
        char reason[kReasonSize];
        fatal_error(kCannotCreateReportFmt, final_names[k], temp_names[k],
                    system_reason(code, reason));
    }
    temp_made[k] = 1;
    register_handle_name(temp_files[k], final_names[k]);
}

// Reports before `failed` are new, the others keep what they were; their temporary files go
// with the process (process_exit). code is the move's error, taken before anything else.
[[noreturn]] void mixed_set_exit(int32_t failed, uint32_t code) {
    const char* state[kReportCount];
    for (int32_t k = 0; k < kReportCount; ++k)
        state[k] = k < failed ? kReportNewText : kReportOldText;
    char reason[kReasonSize];
    fatal_error(kMixedReportSetFmt, final_names[failed], system_reason(code, reason), state[0],
                final_names[0], state[1], final_names[1], state[2], final_names[2]);
}

// The last move syncs the folder, which holds all three: the set reaches the disk together.
void move_into_place(int32_t k) {
    bool last = k == kReportCount - 1;
    int32_t status = last ? move_file_synced(temp_names[k], final_names[k])
                          : move_file(temp_names[k], final_names[k]);
    if (status != 0) mixed_set_exit(k, GetLastError());
    temp_made[k] = 0;
}

}  // namespace

int32_t create_temp_file(const char* base, int32_t index, char* name_out, HANDLE* handle_out) {
    int32_t status = kNameTaken;
    for (int32_t attempt = 0; attempt < kTempAttempts && status == kNameTaken; ++attempt) {
        temp_report_name(base, run_unique_part(attempt), index, name_out);
        status = create_new_file(name_out, handle_out);
    }
    return status;
}

void open_report_set(HANDLE log) {
    for (int32_t k = 0; k < kReportCount; ++k)
        format_into(final_names[k], kReportNameSize, kNameFormats[k], base_name);
    format_into(lock_name, kReportNameSize, kLockFileNameFmt, base_name);
    set_fatal_cleanup(discard_and_say_so);
    refuse_log_as_report(log);
    take_lock();
    begin_files(discard_temp_files);
    for (int32_t k = 0; k < kReportCount; ++k) {
        if (k > 0) hold_files();
        make_temp_file(k);
        release_files();
    }
}

const char* report_name(int32_t k) { return final_names[k]; }

HANDLE start_report_file(int32_t k) {
    hold_files();
    return temp_files[k];
}

void finish_report_file(int32_t k) {
    char reason[kReasonSize];
    if (flush_file(temp_files[k]) != 0)
        fatal_error(kReportCloseFailedFmt, final_names[k], system_reason(GetLastError(), reason));
    HANDLE file = temp_files[k];
    temp_files[k] = INVALID_HANDLE_VALUE;
    if (close_file(file) != 0)
        fatal_error(kReportCloseFailedFmt, final_names[k], system_reason(GetLastError(), reason));
    release_files();
}

void replace_report_set(HANDLE log) {
    refuse_log_as_report(log);
    for (int32_t k = 0; k < kReportCount; ++k)
        if (uint32_t code = check_replaceable(final_names[k])) cannot_replace(k, code);
    set_fatal_cleanup(nullptr);
    begin_moves();
    for (int32_t k = 0; k < kReportCount; ++k) move_into_place(k);
    end_moves();
    release_lock();
}
