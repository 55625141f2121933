// Reads the options of the command line and answers the help and the version.
#include "analysis/options.h"

#include "analysis/command_line.h"
#include "literals.h"
#include "platform/output.h"
#include "platform/process.h"
#include "text/text.h"

namespace {

struct Option {
    const char* text;
    Request request;
    bool slash_switch;  // a Windows switch: natively "/?" names a file
};

const Option kOptions[] = {
    {kHelpOptionText, Request::kHelp, false},
    {kHelpShortOptionText, Request::kHelp, false},
    {kHelpSlashOptionText, Request::kHelp, true},
    {kVersionOptionText, Request::kVersion, false},
    {kVersionShortOptionText, Request::kVersion, false},
};

char arguments_work[kCommandLineSize];

// The text between the blanks around arguments, less an opening and then a closing quote,
// each on its own: what take_input_path would leave of it.
struct Bare {
    const char* start;
    int32_t length;
};

Bare bare_text(const char* arguments) {
    const char* start = skip_blanks(arguments);
    const char* end = start + text_length(start);
    while (end > start && is_blank(end[-1])) --end;
    if (end > start && *start == '"') ++start;
    if (end > start && end[-1] == '"') --end;
    return Bare{start, static_cast<int32_t>(end - start)};
}

bool is_option(const Bare& bare, const char* option) {
    return bare.length == text_length(option) && text_compare_n(bare.start, option, bare.length) == 0;
}

}  // namespace

Request request_of(const char* arguments) {
    Bare bare = bare_text(arguments);
    if (bare.length == 0) return Request::kAnalysis;
    for (const Option& option : kOptions) {
        if (option.slash_switch && !kSlashSwitches) continue;
        if (is_option(bare, option.text)) return option.request;
    }
    return Request::kAnalysis;
}

char* after_end_of_options(char* arguments) {
    char* start = skip_blanks(arguments);
    if (text_compare_n(start, kEndOfOptionsText, kEndOfOptionsTextLength) != 0) return arguments;
    char after = start[kEndOfOptionsTextLength];
    if (after != 0 && !is_blank(after)) return arguments;
    return skip_blanks(start + kEndOfOptionsTextLength);
}

// Standard output alone: the help piped into a pager must not run over the terminal too.
void answer_help_or_version() {
    split_command_line(nullptr, nullptr, arguments_work);
    Request request = request_of(arguments_work);
    if (request == Request::kAnalysis) return;
    print_to(std_output, request == Request::kHelp ? kHelpText : kVersionText);
    process_exit(0);
}
