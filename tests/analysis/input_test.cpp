// Tests of the command-line split, the path taken from the arguments and the base name.
#include <gtest/gtest.h>

#include <string>

#include "analysis/command_line.h"
#include "analysis/input.h"

namespace {

struct TextCase {
    std::string input;
    std::string expected;
};

// Windows separates folders with '\' and '/', the native build with '/' alone.
#ifdef _WIN32
#define NATIVE_OR_WINDOWS(native, windows) windows
#else
#define NATIVE_OR_WINDOWS(native, windows) native
#endif

TEST(MakeBaseName, CutsTheExtensionAndUppercasesOnlyTheFileName) {
    const std::string longest = std::string(1019, 'a') + ".log";
    const TextCase cases[] = {
        {"", ""},
        {"a", "A"},
        {"pbx", "PBX"},
        {"x.y.log", "X.Y"},
        {"/home/me/pbx.log", "/home/me/PBX"},
        {"logs.d/", "logs.d/"},
        {"caf\xE9.log", "CAF\xE9"},
        {longest, std::string(1019, 'A')},
        // a dot that starts the file name starts no extension
        {".hidden", ".HIDDEN"},
        {"logs/.profile", "logs/.PROFILE"},
        {"logs/.pbx.log", "logs/.PBX"},
        // the backslash
        {"C:\\logs\\day one.txt", NATIVE_OR_WINDOWS("C:\\LOGS\\DAY ONE", "C:\\logs\\DAY ONE")},
        {"dir.old\\log", NATIVE_OR_WINDOWS("DIR", "dir.old\\LOG")},
        {"back\\slash.log", NATIVE_OR_WINDOWS("BACK\\SLASH", "back\\SLASH")},
        {"logs.d/sub\\Name.Log", NATIVE_OR_WINDOWS("logs.d/SUB\\NAME", "logs.d/sub\\NAME")},
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
    const std::string longest = std::string(kCommandLineSize - 4, 'a');
    const TextCase cases[] = {
        {"", ""},
        {"p", ""},
        {"logtally.exe pbx.log", " pbx.log"},
        {"\"C:\\Program Files\\lt.exe\"  \"day one.txt\"  ", "  \"day one.txt\"  "},
        {"\"\" x", " x"},
        {"\"unclosed name x", ""},
        {" leading", " leading"},
        {"lt\tpbx.log", "\tpbx.log"},
        {"lt " + longest, " " + longest},
        {"lt " + longest + "bc", " " + longest},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.input.substr(0, 40));
        static char arguments[kCommandLineSize];
        split_command_text(c.input.c_str(), nullptr, nullptr, arguments);
        EXPECT_EQ(c.expected, arguments);
    }
}

// The limit holds for the path: blanks and quotes around it do not count.
TEST(PathFromArguments, TakesPathsOfUpTo1023Characters) {
    struct Case {
        std::string arguments;
        std::string path;  // "" when refused
    };
    const std::string longest = std::string(kLineSize - 1, 'p');
    const Case cases[] = {
        {"", ""},
        {" \"\" ", ""},
        {" a", "a"},
        {" \"day one.log\"", "day one.log"},
        {" " + longest, longest},
        {" \"" + longest + "\"", longest},
        {"  \t\"" + longest + "\"  ", longest},
        {" " + longest + "p", ""},
        {" \"" + longest + "p\"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.substr(0, 40) + " ... " + std::to_string(c.arguments.size()));
        static char arguments[kCommandLineSize];
        char path[kLineSize] = "untouched";
        size_t length = c.arguments.copy(arguments, kCommandLineSize - 1);
        arguments[length] = 0;
        EXPECT_EQ(c.path.empty() ? 1 : 0, path_from_arguments(arguments, path));
        EXPECT_EQ(c.path.empty() ? "untouched" : c.path, path);
    }
}

TEST(SplitCommandText, NamesTheProgramAndItsDirectoryFromTheFullPath) {
    char directory[kProgramPathSize];
    char program[kProgramPathSize];
    char arguments[kLineSize];
    split_command_text("\"tools/lt one.exe\" x.log", directory, program, arguments);
    EXPECT_STREQ("lt one.exe", program);
    EXPECT_STREQ(" x.log", arguments);
    const std::string dir = directory;
    ASSERT_GT(dir.size(), 6u);
    EXPECT_EQ(NATIVE_OR_WINDOWS("tools/", "tools\\"), dir.substr(dir.size() - 6));
}

}  // namespace
