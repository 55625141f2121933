// The writers: LF translation, the doubling of console output, cutting, and the short write.
#include "platform/output.h"

#include <string>

#include "literals.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform_support.h"

namespace {

// Creates the scratch file for writing; closes it when the test is done with it.
struct OpenScratch {
    ScratchFile file;
    HANDLE handle;
    explicit OpenScratch(const std::string& tag)
        : file(tag), handle(system_open(file.name(), GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS)) {
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    }
    std::string close_and_read() {
        CloseHandle(handle);
        return file.read();
    }
};

// Points the console writers at other handles for one test.
struct ConsoleSwap {
    HANDLE output = std_output, error = std_error;
    int32_t differ = std_kinds_differ;
    ConsoleSwap(HANDLE out, HANDLE err, int32_t kinds_differ) {
        std_output = out;
        std_error = err;
        std_kinds_differ = kinds_differ;
    }
    ~ConsoleSwap() {
        std_output = output;
        std_error = error;
        std_kinds_differ = differ;
    }
};

TEST(WriteText, TranslatesLineFeedsOnly) {
    struct Row {
        TextArg text;
        std::string expected;
    } rows[] = {
        {"", ""},
        {"a", "a"},
        {"a\nb", "a\r\nb"},
        {"a\r\nb", "a\r\r\nb"},
        {"\n\n", "\r\n\r\n"},
        {"\nab\n", "\r\nab\r\n"},
        {10, "\r\n"},
        {0, ""},
        {'q', "q"},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        OpenScratch file("write-text-" + std::to_string(n++));
        EXPECT_EQ(write_text(file.handle, row.text), 0);
        EXPECT_EQ(file.close_and_read(), row.expected);
    }
}

TEST(WriteText, LongTextGoesOutWhole) {
    std::string line(70000, 'L');
    std::string text = line + "\n" + line;
    OpenScratch file("write-long");
    EXPECT_EQ(write_text(file.handle, text.c_str()), 0);
    EXPECT_EQ(file.close_and_read(), line + "\r\n" + line);
}

TEST(Print, WritesEachLineToOutputThenErrorWhenKindsDiffer) {
    // One file behind both handles shows the order of the writes.
    OpenScratch file("print-order");
    ConsoleSwap swap(file.handle, file.handle, 1);
    EXPECT_EQ(print("x\n%u\n", 42u), 0);
    EXPECT_EQ(file.close_and_read(), "xx\r\n\r\n4242\r\n\r\n");
}

TEST(Print, WritesOnlyToOutputWhenKindsAreEqual) {
    OpenScratch file("print-single");
    ConsoleSwap swap(file.handle, file.handle, 0);
    EXPECT_EQ(print("x\n\ny"), 0);
    EXPECT_EQ(write_std_text(10), 0);
    EXPECT_EQ(write_std_text(""), 0);
    EXPECT_EQ(file.close_and_read(), "x\r\n\r\ny\r\n");
}

TEST(Print, CutsTheFormattedTextAt2047Characters) {
    struct Row {
        int length;
        int written;
    } rows[] = {{2046, 2046}, {2047, 2047}, {2048, 2047}, {5000, 2047}};
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.length);
        std::string text(row.length, 'p');
        OpenScratch file("print-cut-" + std::to_string(n++));
        {
            ConsoleSwap swap(file.handle, file.handle, 0);
            EXPECT_EQ(print("%s", text.c_str()), 0);
        }
        EXPECT_EQ(print_to(file.handle, "%s", text.c_str()), 0);
        EXPECT_EQ(file.close_and_read(), text.substr(0, row.written) + text.substr(0, row.written));
    }
}

TEST(WriteRaw, ReportsTheCountWrittenOnceTheSwitchIsCleared) {
    ScratchFile file("raw-short", "content");
    HANDLE read_only = system_open(file.name(), GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(read_only, INVALID_HANDLE_VALUE);
    write_fails_hard = 0;
    EXPECT_EQ(write_raw(read_only, "abc", 3), 0);
    EXPECT_EQ(write_text(read_only, "a\nb"), 1);
    EXPECT_EQ(print_to(read_only, "%u", 5u), 1);
    {
        ConsoleSwap swap(read_only, read_only, 1);
        EXPECT_EQ(print("z"), 1);
    }
    write_fails_hard = 1;
    CloseHandle(read_only);
    EXPECT_EQ(file.read(), "content");
}

TEST(WriteRaw, ZeroCountIsNoShortWrite) {
    OpenScratch file("raw-zero");
    EXPECT_EQ(write_raw(file.handle, "abc", 0), 0);
    EXPECT_EQ(write_fails_hard, 1);
    EXPECT_EQ(file.close_and_read(), "");
}

const char kShortData[] = "abc";

void write_to_read_only(const char* name) {
    init_console();
    HANDLE handle;
    open_file(name, kOpenRead, &handle);
    write_text(handle, kShortData);
    process_exit(0);
}

TEST(WriteRaw, FirstShortWriteIsFatalAndNamesTheFile) {
    use_fresh_death_test_processes();
    ScratchFile file("raw-fatal", "content");
    std::string message = short_write_message(3, file.name(), kReasonDeniedText);
    EXPECT_EXIT(write_to_read_only(file.name()), testing::ExitedWithCode(1),
                ShortWriteFatal(as_captured(message)));
}

void write_after_clearing(const char* name) {
    init_console();
    write_fails_hard = 0;
    HANDLE handle = system_open(name, GENERIC_READ, OPEN_EXISTING);
    process_exit(write_raw(handle, kShortData, 3) == 0 && write_text(handle, "a\n") == 1 ? 0 : 2);
}

TEST(WriteRaw, ShortWriteAfterTheSwitchIsClearedIsSilent) {
    use_fresh_death_test_processes();
    ScratchFile file("raw-silent", "content");
    EXPECT_EXIT(write_after_clearing(file.name()), testing::ExitedWithCode(0), Exactly(""));
}

}  // namespace
