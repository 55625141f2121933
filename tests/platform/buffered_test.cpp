// The buffered file writer: texts straight into the free room, one write when the next text
// does not fit, the buffer never overrun, and a short write that is still fatal.
#include <string>

#include "literals.h"
#include "platform/files.h"
#include "platform/output.h"
#include "platform/process.h"
#include "platform_support.h"

namespace {

// A writer followed by bytes that must never change.
struct Canaried {
    BufferedFile file;
    unsigned char canary[64];
};

constexpr unsigned char kCanary = 0x5A;

// The file stays readable by others, so that the test can look at it while it is written.
HANDLE open_shared(const char* name) {
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(BufferedFile, WritesOnlyWhenTheNextTextDoesNotFit) {
    struct Row {
        int32_t fill;      // bytes waiting before the text
        int32_t length;    // the text's length
        int32_t written;   // bytes that went to the file at the print
        int32_t fill_after;
    } rows[] = {
        // nothing and one byte
        {0, 0, 0, 0},
        {0, 1, 0, 1},
        // the longest text that surely went in whole, and one more (it just fits the room
        // of an empty buffer), and longer ones: cut at the buffer's end
        {0, 65534, 0, 65534},
        {0, 65535, 0, 65535},
        {0, 65536, 0, 65535},
        {0, 100000, 0, 65535},
        // a text that fits behind waiting bytes, and one byte more: the buffer goes first
        {65533, 1, 0, 65534},
        {65533, 2, 65533, 2},
        {1000, 64534, 0, 65534},
        {1000, 64535, 1000, 64535},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.fill << " + " << row.length);
        ScratchFile scratch("buffered-" + std::to_string(n++));
        HANDLE handle = open_shared(scratch.name());
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        static Canaried out;
        for (unsigned char& c : out.canary) c = kCanary;
        buffered_init(&out.file, handle);
        std::string waiting(row.fill, 'w'), text(row.length, 't');
        EXPECT_EQ(buffered_print(&out.file, "%s", waiting.c_str()), 0);
        EXPECT_EQ(buffered_print(&out.file, "%s", text.c_str()), 0);
        // Compared by length and content apart, so that a failure does not print 64 KiB.
        std::string file_now = scratch.read();
        EXPECT_EQ(file_now.size(), static_cast<size_t>(row.written));
        EXPECT_TRUE(file_now == waiting.substr(0, row.written));
        EXPECT_EQ(out.file.fill, row.fill_after);
        EXPECT_EQ(buffered_flush(&out.file), 0);
        EXPECT_EQ(out.file.fill, 0);
        EXPECT_EQ(buffered_flush(&out.file), 0);
        CloseHandle(handle);
        std::string all = waiting + text, file_end = scratch.read();
        EXPECT_EQ(file_end.size(), static_cast<size_t>(row.written + row.fill_after));
        EXPECT_TRUE(file_end == all.substr(0, row.written + row.fill_after));
        for (unsigned char c : out.canary) ASSERT_EQ(c, kCanary);
    }
}

TEST(BufferedFile, WritesLineEndsAsTheFormatGivesThem) {
    ScratchFile scratch("buffered-ends");
    HANDLE handle = system_open(scratch.name(), GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    static BufferedFile out;
    buffered_init(&out, handle);
    EXPECT_EQ(buffered_print(&out, "a\r\n%u\n\r%s\r\n", 7u, "b\nc"), 0);
    EXPECT_EQ(buffered_flush(&out), 0);
    CloseHandle(handle);
    EXPECT_EQ(scratch.read(), "a\r\n7\n\rb\nc\r\n");
}

// Rows of 100 bytes: 655 fill 65500 bytes, the 656th does not fit behind them, so the
// buffer goes out in the middle of the rows, through a handle that cannot write.
constexpr int32_t kRowsInBuffer = 655;

void write_rows_to_read_only(const char* name) {
    init_console();
    HANDLE handle;
    if (open_file(name, kOpenRead, &handle) != 0) process_exit(3);
    static BufferedFile out;
    buffered_init(&out, handle);
    std::string row(98, 'r');
    for (int32_t i = 0; i <= kRowsInBuffer; ++i) buffered_print(&out, "%s\r\n", row.c_str());
    process_exit(0);
}

TEST(BufferedFile, ShortWriteInTheMiddleIsFatalAndNamesTheFile) {
    use_fresh_death_test_processes();
    ScratchFile file("buffered-fatal", "content");
    std::string message =
        short_write_message(kRowsInBuffer * 100, file.name(), kReasonDeniedText);
    EXPECT_EXIT(write_rows_to_read_only(file.name()), testing::ExitedWithCode(1),
                ShortWriteFatal(as_captured(message)));
    EXPECT_EQ(file.read(), "content");
}

}  // namespace
