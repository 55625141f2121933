// Selects the input log: splits the command line, opens the log (a regular disk file, named
// exactly as typed) and derives the base name; tells whether the log changed while read.
#include "analysis/input.h"

#include "analysis/path_checks.h"
#include "analysis/command_line.h"
#include "analysis/compressed.h"
#include "analysis/options.h"
#include "analysis/tally.h"
#include "literals.h"
#include "platform/files.h"
#include "platform/output.h"
#include "platform/process.h"
#include "platform/reasons.h"
#include "text/text.h"

HANDLE input_handle;
char input_path[kLineSize];
char base_name[kLineSize];

namespace {

char arguments_work[kCommandLineSize];

// Size and last write of the log when it was opened; valid only when taken.
BY_HANDLE_FILE_INFORMATION input_at_open;
bool input_at_open_taken;

bool is_wide_blank(WCHAR c) { return c <= 0xFF && is_blank(static_cast<char>(c)); }

// The arguments of a wide command line, split off as program_name_end splits the narrow one.
const WCHAR* wide_arguments(const WCHAR* line) {
    if (*line != '"') {
        while (*line && !is_wide_blank(*line)) ++line;
        return line;
    }
    for (++line; *line && *line != '"'; ++line) {
    }
    return *line ? line + 1 : line;
}

// GetCommandLineA maps a character outside the ANSI code page to a look-alike or '?', which
// may name another file than the one typed: only arguments with an exact form are taken. The
// conversion fails, leaving the flag clear, only in a code page that takes no used-default
// flag (UTF-8), where every character has its exact form.
bool arguments_are_exact() {
    BOOL used_default = 0;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide_arguments(GetCommandLineW()), -1,
                        nullptr, 0, nullptr, &used_default);
    return !used_default;
}

bool same_stamp(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.nFileSizeLow == b.nFileSizeLow && a.nFileSizeHigh == b.nFileSizeHigh &&
           a.ftLastWriteTime.dwLowDateTime == b.ftLastWriteTime.dwLowDateTime &&
           a.ftLastWriteTime.dwHighDateTime == b.ftLastWriteTime.dwHighDateTime;
}

}  // namespace

void usage_exit() {
    print(kUsageText);
    process_exit(1);
}

char* take_input_path(char* arguments) {
    trim_leading(arguments);
    trim_trailing(arguments);
    if (arguments[0] == '"') text_copy(arguments, arguments + 1);
    int32_t length = text_length(arguments);
    if (length > 0 && arguments[length - 1] == '"') arguments[length - 1] = 0;
    return arguments;
}

// A dot that starts the file name (".hidden") belongs to the name, not to an extension.
void make_base_name(const char* path, char* out) {
    text_copy(out, path);
    const char* separator = last_separator(out);
    char* file = out + (separator ? separator - out + 1 : 0);
    char* dot = nullptr;
    for (char* p = file; *p; ++p)
        if (*p == '.' && p != file) dot = p;
    if (dot) *dot = 0;
    text_upper(file);
}

int32_t path_from_arguments(char* arguments, char* path) {
    const char* taken = take_input_path(after_end_of_options(arguments));
    if (!taken[0] || text_length(taken) > kLineSize - 1) return 1;
    text_copy(path, taken);
    return 0;
}

// A compressed log read as text gives a few lines of garbage and plausible empty reports.
void refuse_compressed_input() {
    const char* compression = compression_of_log(input_handle, input_path);
    if (!compression) return;
    print(kCompressedFmt, input_path, compression);
    usage_exit();
}

// A device (nul.log, com1.log, /dev/zero), a pipe or a FIFO is no log: it may give no line,
// an endless stream or block for good, and its reports would land beside it.
void select_input() {
    if (!arguments_are_exact()) {
        print(kPathNotExactText);
        usage_exit();
    }
    split_command_line(nullptr, nullptr, arguments_work);
    if (path_from_arguments(arguments_work, input_path) != 0) usage_exit();
    if (!path_names_kept(input_path)) {
        print(kPathNameDroppedText);
        usage_exit();
    }
    if (open_file(input_path, kOpenRead, &input_handle) != 0) {
        char reason[kReasonSize];
        print(kCannotOpenFmt, input_path, system_reason(file_error(input_path), reason));
        usage_exit();
    }
    if (GetFileType(input_handle) != FILE_TYPE_DISK) {
        print(kNotAFileFmt, input_path);
        usage_exit();
    }
    refuse_compressed_input();
    input_at_open_taken = GetFileInformationByHandle(input_handle, &input_at_open) != 0;
    make_base_name(input_path, base_name);
    name_arena_init();
    print(kReadingFmt, input_path);
}

// Windows holds the log exclusively, but a POSIX lock is only advisory: a writer may append
// to or cut the log under the line loop, and the reports then no longer match it.
bool input_changed() {
    if (!input_at_open_taken) return false;
    BY_HANDLE_FILE_INFORMATION now;
    return !GetFileInformationByHandle(input_handle, &now) || !same_stamp(now, input_at_open);
}

void warn_if_input_changed() {
    if (input_changed()) print(kLogChangedFmt, input_path);
}

// A line cut short or shifted by a writer reads as malformed though the log holds it intact.
void warn_if_input_changed_at_parse_error() {
    if (input_changed()) print(kLogChangedAtErrorFmt, input_path);
}
