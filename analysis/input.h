// Input selection: the log path from the command line, the opened log and the report base name.
#pragma once

#include <cstdint>

#include "platform/win_api.h"
#include "text/limits.h"

// The opened input log; the line loop reads it and nothing closes it.
extern HANDLE input_handle;
// The log path as the user gave it, without blanks and quotes around it.
extern char input_path[kLineSize];
// The input's folder as given and its file name without extension, upper-cased; the report
// files are named from it.
extern char base_name[kLineSize];

// Prints the usage line and ends the process with exit code 1.
[[noreturn]] void usage_exit();

// Turns an arguments text into the path it names, in place: blanks around it go, then an
// opening and a closing double quote, each on its own. Returns arguments (possibly "").
char* take_input_path(char* arguments);

// The path of an arguments text (changed in place by take_input_path) into path (kLineSize
// bytes): 0, or 1 with path untouched when it is empty or longer than kLineSize - 1
// characters (the blanks and quotes around it do not count). A leading "--" ends the options
// and is not part of the path.
int32_t path_from_arguments(char* arguments, char* path);

// Writes to out (kLineSize bytes, path at most kLineSize - 1 characters) the path without
// the extension of its last component, that component upper-cased; the folder part stays.
// The extension starts at the component's last dot, unless that dot is its first character.
void make_base_name(const char* path, char* out);

// Reads the path from the command line, opens the log, names the reports and takes the name
// arena; announces the log. An argument that is missing, over-long or holds a character
// without an exact ANSI form, a path with a name the system would change (path_names_kept),
// and a log that cannot be opened, is no regular disk file or is compressed, end the process
// with the usage line (exit code 1).
void select_input();

// Refuses the opened log with the usage line (exit code 1) when its first bytes carry the
// signature of a compressed file; the log is then read from its start.
void refuse_compressed_input();

// Whether the log's size or last-write time differ from what they were when it was opened;
// false when they could not be taken at the open.
bool input_changed();

// After the line loop: warns on the console when the log changed while it was read.
void warn_if_input_changed();

// After a parse error's message: warns when the log changed while it was read, since the
// change may have made an intact line read as malformed.
void warn_if_input_changed_at_parse_error();
