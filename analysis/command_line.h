// The command line: the program's name and directory, and the arguments text after them.
#pragma once

#include <cstdint>

// Room of the program's directory and name as split_command_line gives them.
inline constexpr int32_t kProgramPathSize = 261;
// Room of the work copy of the command line: the longest one the system builds, and the NUL.
inline constexpr int32_t kCommandLineSize = 32768;

// Splits command_line (cut at kCommandLineSize - 1 characters) into the program's directory
// with its trailing separator and the program's name (each kProgramPathSize bytes, from the
// full path of the program) and the arguments text with its leading blanks
// (kCommandLineSize bytes: never cut further). Any output may be null (not wanted).
void split_command_text(const char* command_line, char* directory_out, char* program_name_out,
                        char* arguments_out);

// split_command_text on the process's own command line (GetCommandLineA).
void split_command_line(char* directory_out, char* program_name_out, char* arguments_out);

// The last folder separator of path, or null.
const char* last_separator(const char* path);
