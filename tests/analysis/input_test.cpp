// Tests of the command-line split, the path taken from the arguments and the base name.
#include <gtest/gtest.h>

#include <string>

#include "analysis/input.h"

namespace {

struct TextCase {
    std::string input;
    std::string expected;
};

TEST(MakeBaseName, CutsTheExtensionAndUppercasesOnlyTheFileName) {
    const std::string longest = std::string(1019, 'a') + ".log";
    const TextCase cases[] = {
        {"", ""},
        {"a", "A"},
        {"pbx", "PBX"},
        {"C:\\logs\\day one.txt", "C:\\logs\\DAY ONE"},
        {"x.y.log", "X.Y"},
        {"dir.old\\log", "dir.old\\LOG"},
        {"/home/me/pbx.log", "/home/me/PBX"},
        {"logs.d/sub\\Name.Log", "logs.d/sub\\NAME"},
        {"logs/.profile", "logs/"},
        {"logs.d/", "logs.d/"},
        {"caf\xE9.log", "CAF\xE9"},
        {longest, std::string(1019, 'A')},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.input);
        char out[kLineSize];
        make_base_name(c.input.c_str(), out);
        EXPECT_EQ(c.expected, out);
    }
}

TEST(TakeInputPath, TrimsBlanksThenEachQuoteOnItsOwn) {
    const TextCase cases[] = {
        {"", ""},
        {"\"", ""},
        {"\"\"", ""},
        {"   ", ""},
        {"  \"\"  ", ""},
        {"  \"C:\\logs\\day one.txt\"  ", "C:\\logs\\day one.txt"},
        {" day one.txt", "day one.txt"},
        {"\"open.log", "open.log"},
        {"close.log\"", "close.log"},
        {"\t\"x\" \r\n", "x"},
        {"\" spaced \"", " spaced "},
        {"\"a\" \"b\"", "a\" \"b"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.input);
        char text[kLineSize] = {};
        c.input.copy(text, kLineSize - 1);
        EXPECT_EQ(c.expected, take_input_path(text));
    }
}

TEST(SplitCommandText, GivesTheArgumentsTextWithItsBlanks) {
    struct Case {
        std::string command_line;
        std::string arguments;
        int32_t status;
    };
    const std::string longest = std::string(1022, 'a');
    const Case cases[] = {
        {"", "", 0},
        {"p", "", 0},
        {"logtally.exe pbx.log", " pbx.log", 0},
        {"\"C:\\Program Files\\lt.exe\"  \"day one.txt\"  ", "  \"day one.txt\"  ", 0},
        {"\"\" x", " x", 0},
        {"\"unclosed name x", "", 0},
        {" leading", " leading", 0},
        {"lt\tpbx.log", "\tpbx.log", 0},
        {"lt " + longest, " " + longest, 0},
        {"lt " + longest + "b", " " + longest, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command_line.substr(0, 40));
        char arguments[kLineSize];
        EXPECT_EQ(c.status, split_command_text(c.command_line.c_str(), nullptr, nullptr,
                                               arguments));
        EXPECT_EQ(c.arguments, arguments);
    }
}

TEST(SplitCommandText, NamesTheProgramAndItsDirectoryFromTheFullPath) {
    char directory[kProgramPathSize];
    char program[kProgramPathSize];
    char arguments[kLineSize];
    EXPECT_EQ(0, split_command_text("\"tools\\lt one.exe\" x.log", directory, program,
                                    arguments));
    EXPECT_STREQ("lt one.exe", program);
    EXPECT_STREQ(" x.log", arguments);
    const std::string dir = directory;
    ASSERT_GT(dir.size(), 6u);
    EXPECT_EQ("tools\\", dir.substr(dir.size() - 6));
}

}  // namespace
