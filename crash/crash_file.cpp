// The crash file, created only where nothing is, with a fallback name beside a file that is
// not an earlier crash report.
#include "crash/crash_file.h"

#include "literals.h"
#include "platform/fatal.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/reasons.h"
#include "text/text.h"

namespace {

// Fallback names tried beside a taken name; a run gives each another unique part.
constexpr int32_t kFallbackAttempts = 4;
static_assert(kFallbackAttempts <= kUniqueAttempts, "every attempt must try another name");

// The report's first line as a file holds it: its LF written as CR LF.
constexpr int32_t kHeadInFileSize = kCrashHeadTextLength + 1;

char fallback[kCrashNameSize];
char stem[kCrashNameSize];

// An earlier crash report starts with the report's first line.
bool holds_crash_report(const char* name) {
    char head[kHeadInFileSize + 1];
    text_copy(head, decode_literal(kCrashHeadText));
    head[kCrashHeadTextLength - 1] = '\r';
    head[kCrashHeadTextLength] = '\n';
    head[kHeadInFileSize] = 0;
    return file_begins_with(name, head, kHeadInFileSize) == 1;
}

// name with the unique part of attempt before the extension of its last component.
void fallback_name(const char* name, int32_t attempt) {
    text_copy_n(stem, name, kCrashNameSize - 1);
    const char* extension = "";
    for (char* p = stem; *p; ++p) {
        if (is_folder_separator(*p)) extension = "";
        if (*p == '.') extension = p;
    }
    static char kept_extension[kCrashNameSize];
    text_copy(kept_extension, extension);
    if (*extension) stem[extension - stem] = 0;
    format_into(fallback, kCrashNameSize, kCrashFallbackNameFmt, stem, run_unique_part(attempt),
                kept_extension);
}

int32_t create_fallback(const char* name, HANDLE* file) {
    int32_t status = kNameTaken;
    for (int32_t attempt = 0; attempt < kFallbackAttempts && status == kNameTaken; ++attempt) {
        fallback_name(name, attempt);
        status = create_new_file(fallback, file);
    }
    return status;
}

// As create_file does with its switch: the first failed creation of the process is fatal.
const char* creation_failed(const char* tried) {
    uint32_t code = file_error(tried);
    if (create_fails_hard == 1) {
        create_fails_hard = 0;
        char reason[kReasonSize];
        fatal_error(kCreateFailedFmt, tried, system_reason(code, reason));
    }
    return nullptr;
}

}  // namespace

const char* write_crash_file(const char* name, const CrashValues& values) {
    HANDLE file;
    int32_t status = create_new_file(name, &file);
    if (status == 0) {
        write_crash_report(file, values);
        close_file(file);
        return name;
    }
    if (status != kNameTaken) return creation_failed(name);
    bool replaces = holds_crash_report(name);
    if (create_fallback(name, &file) != 0) return creation_failed(fallback);
    write_crash_report(file, values);
    close_file(file);
    if (replaces && move_file(fallback, name) == 0) return name;
    return fallback;
}
