// The command line: the program's name and directory, and the arguments text after them.
#include "analysis/command_line.h"

#include "platform/win_api.h"
#include "text/text.h"

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

// The last folder separator of path, or null.
const char* last_separator(const char* path) {
    const char* last = nullptr;
    for (const char* p = path; *p; ++p)
        if (is_folder_separator(*p)) last = p;
    return last;
}

void split_command_text(const char* command_line, char* directory_out, char* program_name_out,
                        char* arguments_out) {
    text_copy_n(command_work, command_line, kCommandLineSize - 1);
    char* split = program_name_end(command_work);
    if (arguments_out) text_copy(arguments_out, split);
    if (!directory_out && !program_name_out) return;
    *split = 0;
    split_program_path(command_work, directory_out, program_name_out);
}

void split_command_line(char* directory_out, char* program_name_out, char* arguments_out) {
    split_command_text(GetCommandLineA(), directory_out, program_name_out, arguments_out);
}
