// Input selection: the log path from the command line, the opened log and the report base name.
#pragma once

#include <cstdint>

#include "platform/win_api.h"
#include "text/limits.h"

// Room of the program's directory and name as split_command_line gives them.
inline constexpr int32_t kProgramPathSize = 261;
// Room of the work copy of the command line: the longest one the system builds, and the NUL.
inline constexpr int32_t kCommandLineSize = 32768;

// The opened input log; the line loop reads it and nothing closes it.
extern HANDLE input_handle;
// The log path as the user gave it, without blanks and quotes around it.
extern char input_path[kLineSize];
// The input's folder as given and its file name without extension, upper-cased; the report
// files are named from it.
extern char base_name[kLineSize];

// Splits command_line (cut at kCommandLineSize - 1 characters) into the program's directory
// with its trailing separator and the program's name (each kProgramPathSize bytes, from the
// full path of the program) and the arguments text with its leading blanks
// (kCommandLineSize bytes: never cut further). Any output may be null (not wanted).
void split_command_text(const char* command_line, char* directory_out, char* program_name_out,
                        char* arguments_out);

// split_command_text on the process's own command line (GetCommandLineA).
void split_command_line(char* directory_out, char* program_name_out, char* arguments_out);

// Prints the usage line and ends the process with exit code 1.
[[noreturn]] void usage_exit();

// Turns an arguments text into the path it names, in place: blanks around it go, then an
// opening and a closing double quote, each on its own. Returns arguments (possibly "").
char* take_input_path(char* arguments);

// The path of an arguments text (changed in place by take_input_path) into path (kLineSize
// bytes): 0, or 1 with path untouched when it is empty or longer than kLineSize - 1
// characters (the blanks and quotes around it do not count).
int32_t path_from_arguments(char* arguments, char* path);

// Writes to out (kLineSize bytes, path at most kLineSize - 1 characters) the path without
// the extension of its last component, that component upper-cased; the folder part stays.
// The extension starts at the component's last dot, unless that dot is its first character.
void make_base_name(const char* path, char* out);

// Reads the path from the command line, opens the log, names the reports and takes the name
// arena; announces the log. An argument that is missing, over-long or holds a character
// without an exact ANSI form, and a log that cannot be opened or is no regular disk file, end
// the process with the usage line (exit code 1).
void select_input();

// After the line loop: warns on the console when the log's size or last-write time differ
// from what they were when it was opened.
void warn_if_input_changed();
