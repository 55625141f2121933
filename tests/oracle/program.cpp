// The reference's spine: the process entry, the main sequence and the input selection.
#include "analysis/path_checks.h"
#include "crash/crash.h"
#include "literals.h"
#include "platform/files.h"
#include "platform/output.h"
#include "platform/process.h"
#include "platform/reasons.h"
#include "tests/oracle/oracle.h"

namespace oracle {

HANDLE input_handle;
char input_path[kLineSize];
char base_name[kLineSize];

namespace {

char command_work[kCommandLineSize];

// The program name ends at its closing quote, or at the first blank when it is not quoted.
// An unclosed quote runs to the end of the text.
char* program_name_end(char* text) {
    if (*text != '"') {
        while (*text && !is_blank(*text)) ++text;
        return text;
    }
    text_copy(text, text + 1);
    char* close = text_find(text, '"');
    if (!close) return text + text_length(text);
    text_copy(close, close + 1);
    return close;
}

const char* last_separator(const char* path) {
    const char* last = nullptr;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') last = p;
    return last;
}

// The arguments text after the program name, blanks included; 1 when it had to be cut.
int32_t command_arguments(char* arguments_out) {
    text_copy_n(command_work, GetCommandLineA(), kCommandLineSize - 1);
    char* split = program_name_end(command_work);
    int32_t status = text_length(split) > kLineSize - 1;
    text_copy_n(arguments_out, split, kLineSize - 1);
    return status;
}

[[noreturn]] void usage_exit() {
    print(kUsageText);
    process_exit(1);
}

void take_input_path(char* arguments) {
    trim_leading(arguments);
    trim_trailing(arguments);
    if (arguments[0] == '"') text_copy(arguments, arguments + 1);
    int32_t length = text_length(arguments);
    if (length > 0 && arguments[length - 1] == '"') arguments[length - 1] = 0;
}

void make_base_name(const char* path, char* out) {
    text_copy(out, path);
    const char* separator = last_separator(out);
    char* file = out + (separator ? separator - out + 1 : 0);
    char* dot = nullptr;
    for (char* p = file; *p; ++p)
        if (*p == '.') dot = p;
    if (dot) *dot = 0;
    text_upper(file);
}

}  // namespace

void program_entry() {
    init_console();
    enable_processed_input();
    process_exit(main_sequence());
}

int32_t main_sequence() {
    print(kBannerText);
    install_crash_handler(nullptr, 0, kCrashFileName, nullptr, nullptr);
    select_input();
    scan_log();
    write_summary_report();
    write_second_list();
    write_first_list();
    return 0;
}

void select_input() {
    if (command_arguments(input_path) != 0) usage_exit();
    take_input_path(input_path);
    if (!input_path[0]) usage_exit();
    // The one change since the reference was frozen: Windows names that lose their end.
    if (!path_names_kept(input_path)) {
        print(kPathNameDroppedText);
        usage_exit();
    }
    if (open_file(input_path, 0, &input_handle) != 0) {
        char reason[kReasonSize];
        print(kCannotOpenFmt, input_path, system_reason(file_error(input_path), reason));
        usage_exit();
    }
    make_base_name(input_path, base_name);
    name_arena_init();
    print(kReadingFmt, input_path);
}

}  // namespace oracle
