// Tests of the command line's options and the end of the options.
#include <gtest/gtest.h>

#include <string>

#include "analysis/input.h"
#include "analysis/options.h"

namespace {

// Only a whole text that is exactly an option is one; quotes around it do not protect it
// (natively the shell has removed them before), "--" does.
TEST(RequestOf, TakesOnlyWholeOptions) {
    struct Case {
        const char* arguments;
        Request request;
    } cases[] = {
        {"", Request::kAnalysis},
        {" --help", Request::kHelp},
        {" -h ", Request::kHelp},
        {" \"--help\"", Request::kHelp},
        {" --version", Request::kVersion},
        {"\t-V", Request::kVersion},
        {" /?", kSlashSwitches ? Request::kHelp : Request::kAnalysis},
        {" -x.log", Request::kAnalysis},
        {" -h x", Request::kAnalysis},
        {" -H", Request::kAnalysis},
        {" -v", Request::kAnalysis},
        {" --helpx", Request::kAnalysis},
        {" -", Request::kAnalysis},
        {" -- --help", Request::kAnalysis},
        {" --", Request::kAnalysis},
        {" pbx.log", Request::kAnalysis},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(c.request, request_of(c.arguments));
    }
}

// "--" as the first word ends the options, and what follows is the path, unquoted as ever.
TEST(PathFromArguments, StartsAfterTheEndOfTheOptions) {
    struct Case {
        const char* arguments;
        const char* path;  // "" when refused
    } cases[] = {
        {" -- --help", "--help"},
        {"  --   x.log  ", "x.log"},
        {" -- \"day one.log\"", "day one.log"},
        {" -- \"\"x.log\"\"", "\"x.log\""},
        {" --", ""},
        {" -- ", ""},
        {" --x.log", "--x.log"},
        {" \"-- x.log\"", "-- x.log"},
        {" -x.log", "-x.log"},
        {" a -- b", "a -- b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        char arguments[kLineSize];
        std::string(c.arguments).copy(arguments, kLineSize - 1);
        arguments[std::string(c.arguments).size()] = 0;
        char path[kLineSize] = "untouched";
        EXPECT_EQ(c.path[0] ? 0 : 1, path_from_arguments(arguments, path));
        EXPECT_STREQ(c.path[0] ? c.path : "untouched", path);
    }
}

}  // namespace
