// Selects the input log: splits the command line, opens the log and derives the base name.
#include "analysis/input.h"

#include "analysis/tally.h"
#include "literals.h"
#include "platform/files.h"
#include "platform/output.h"
#include "platform/process.h"
#include "text/text.h"

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

// The last '\' or '/' of path, or null.
const char* last_separator(const char* path) {
    const char* last = nullptr;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') last = p;
    return last;
}

// Full path of the program into a 261-byte buffer; "" when the system cannot give it.
void full_program_path(const char* name, char* out) {
    out[0] = 0;
    DWORD length = GetFullPathNameA(name, kProgramPathSize - 1, out, nullptr);
    if (length == 0 || length >= kProgramPathSize - 1) out[0] = 0;
}

void split_program_path(const char* name, char* directory_out, char* program_name_out) {
    char full[kProgramPathSize];
    full_program_path(name, full);
    const char* separator = last_separator(full);
    const char* file = separator ? separator + 1 : full;
    if (program_name_out) text_copy(program_name_out, file);
    if (directory_out) text_copy_n(directory_out, full, static_cast<int32_t>(file - full));
}

}  // namespace

int32_t split_command_text(const char* command_line, char* directory_out,
                           char* program_name_out, char* arguments_out) {
    text_copy_n(command_work, command_line, kCommandLineSize - 1);
    char* split = program_name_end(command_work);
    int32_t status = 0;
    if (arguments_out) {
        status = text_length(split) > kLineSize - 1;
        text_copy_n(arguments_out, split, kLineSize - 1);
    }
    if (!directory_out && !program_name_out) return status;
    *split = 0;
    split_program_path(command_work, directory_out, program_name_out);
    return status;
}

int32_t split_command_line(char* directory_out, char* program_name_out, char* arguments_out) {
    return split_command_text(GetCommandLineA(), directory_out, program_name_out,
                              arguments_out);
}

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

void select_input() {
    if (split_command_line(nullptr, nullptr, input_path) != 0) usage_exit();
    take_input_path(input_path);
    if (!input_path[0]) usage_exit();
    if (open_file(input_path, 0, &input_handle) != 0) {
        print(kCannotOpenFmt, input_path);
        usage_exit();
    }
    make_base_name(input_path, base_name);
    name_arena_init();
    print(kReadingFmt, input_path);
}
