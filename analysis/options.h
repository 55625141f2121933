// The command line's options: the help, the version and "--", the end of the options.
#pragma once

// What an arguments text asks for.
enum class Request {
    kAnalysis,  // a log path, or nothing: the analysis of a log
    kHelp,      // --help or -h (and /? on Windows)
    kVersion,   // --version or -V
};

// The request of an arguments text as split_command_text gives it (blanks and quotes around
// it allowed): an option only when the whole text is one, so "-x.log" or "-h x" is a path.
Request request_of(const char* arguments);

// Where the path of an arguments text starts: after a leading "--" that stands alone or
// before a blank, and the blanks after it; else at the text itself (then the path is the
// whole text). Returns a position inside arguments, which is not changed.
char* after_end_of_options(char* arguments);

// When the process's command line asks for the help or the version, writes it to standard
// output alone and ends the process with exit code 0; otherwise returns.
void answer_help_or_version();
