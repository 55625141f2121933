// The buffered reader: lines with CR dropped and long lines split, reads across the 64 KiB
// refill, and the end of input.
#include <string>

#include "reader_support.h"

namespace {

TEST(ReadLine, SplitsLinesDropsCarriageReturnsAndEndsWithMinusOne) {
    std::string long_line(1500, 'c'), full_line(1023, 'd');
    struct Row {
        const char* what;
        std::string content;
        Lines lines;
    } rows[] = {
        {"empty file", "", {}},
        {"one character", "a", {"a"}},
        {"no final LF", "ab\nz", {"ab", "z"}},
        {"final LF", "a\n", {"a"}},
        {"two LFs make an empty line", "a\n\nb\n", {"a", "", "b"}},
        {"only LFs", "\n\n", {"", ""}},
        {"CR anywhere", "a\rb\n\rc\r\n", {"ab", "c"}},
        {"last line of CRs", "a\n\r\r\r", {"a"}},
        {"only CRs", "\r\r\r\r", {}},
        {"1500 characters", long_line + "\n", {long_line.substr(0, 1023), long_line.substr(1023)}},
        {"exactly 1023", full_line + "\nx", {full_line, "", "x"}},
        {"1022 and CR", full_line.substr(1) + "\r\n", {full_line.substr(1)}},
        {"NUL inside", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
        {"bytes above 127", "\x80\xff\n", {"\x80\xff"}},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ReaderOnFile in("read-line-" + std::to_string(n++), row.content);
        EXPECT_EQ(in.lines(1024), row.lines);
    }
}

TEST(ReadLine, SmallSizesSplitEveryLine) {
    ReaderOnFile in("read-small", "abc\nd\n");
    EXPECT_EQ(in.lines(2), (Lines{"a", "b", "c", "", "d", ""}));
}

TEST(ReadLine, SizeOneGivesAnEmptyLineAndReadsNothing) {
    ReaderOnFile in("read-size-one", "abc\n");
    char line[4] = "xyz";
    EXPECT_EQ(read_line(in.reader.get(), line, 1), 0);
    EXPECT_EQ(std::string(line, 4), std::string("\0yz\0", 4));
    EXPECT_EQ(in.reader->fill, 0);
    EXPECT_EQ(in.lines(1024), (Lines{"abc"}));
}

TEST(ReadLine, EndOfInputLeavesTheLineAlone) {
    ReaderOnFile in("read-end", "only\n");
    char line[16];
    std::fill(line, line + sizeof line, 'x');
    EXPECT_EQ(read_line(in.reader.get(), line, sizeof line), 4);
    EXPECT_EQ(std::string(line, 5), std::string("only\0", 5));
    EXPECT_EQ(std::string(line + 5, line + 16), std::string(11, 'x'));
    EXPECT_EQ(read_line(in.reader.get(), line, sizeof line), -1);
    EXPECT_EQ(read_line(in.reader.get(), line, sizeof line), -1);
    EXPECT_EQ(std::string(line, 5), std::string("only\0", 5));
}

TEST(ReadLine, CutLineLeavesTheBytesAfterItsNulAlone) {
    ReaderOnFile in("read-canary", std::string(20, 'l') + "\n");
    char line[32];
    std::fill(line, line + sizeof line, 'x');
    EXPECT_EQ(read_line(in.reader.get(), line, 8), 7);
    EXPECT_EQ(std::string(line, 8), std::string("lllllll\0", 8));
    EXPECT_EQ(std::string(line + 8, line + 32), std::string(24, 'x'));
}

TEST(ReadLine, LinesStraddleTheRefillBoundaries) {
    const size_t buffer = kReaderBufferSize;
    struct Row {
        const char* what;
        size_t line_start;  // where the crafted line starts
        int length;
        const char* end;
    } rows[] = {
        {"LF is the last byte of a buffer", buffer - 11, 10, "\n"},
        {"LF is the first byte of the next buffer", buffer - 10, 10, "\n"},
        {"CR and LF on both sides", buffer - 11, 10, "\r\n"},
        {"line across the boundary", buffer - 300, 600, "\n"},
        {"line across the second boundary", 2 * buffer - 1, 900, "\r\n"},
        {"line of 1500 across the boundary", buffer - 700, 1500, "\n"},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Straddle s;
        s.fill_to(row.line_start);
        s.add(row.length, row.end);
        s.add(50, "\n");
        if (row.length > 1023) {
            std::string cut = s.lines[s.lines.size() - 2];
            s.lines[s.lines.size() - 2] = cut.substr(0, 1023);
            s.lines.insert(s.lines.end() - 1, cut.substr(1023));
        }
        ReaderOnFile in("read-straddle-" + std::to_string(n++), s.content);
        EXPECT_EQ(in.lines(1024), s.lines);
    }
}

TEST(ReaderRead, ServesRequestsLargerThanTheBuffer) {
    std::string content;
    for (int i = 0; i < 200000; ++i) content += static_cast<char>(i * 7 % 251);
    ReaderOnFile in("reader-large", content);
    std::vector<char> out(150000, 'x');
    EXPECT_EQ(reader_read(in.reader.get(), out.data(), 10), 10);
    EXPECT_EQ(reader_read(in.reader.get(), out.data() + 10, 0), 0);
    EXPECT_EQ(reader_read(in.reader.get(), out.data() + 10, 149990), 149990);
    EXPECT_EQ(std::string(out.begin(), out.end()), content.substr(0, 150000));
    EXPECT_EQ(reader_read(in.reader.get(), out.data(), 100000), 50000);
    EXPECT_EQ(std::string(out.data(), 50000), content.substr(150000));
    EXPECT_EQ(reader_read(in.reader.get(), out.data(), 100), 0);
    EXPECT_EQ(reader_read(in.reader.get(), out.data(), 100), 0);
}

TEST(ReaderRead, NegativeCountDeliversNothingAndKeepsTheBuffer) {
    ReaderOnFile in("reader-negative", "abcdef");
    char out[8] = {};
    EXPECT_EQ(reader_read(in.reader.get(), out, 2), 2);
    EXPECT_EQ(reader_read(in.reader.get(), out, -5), 0);
    EXPECT_EQ(reader_read(in.reader.get(), out, 8), 4);
    EXPECT_EQ(std::string(out, 4), "cdef");
}

TEST(ReaderRead, ContinuesFromTheHandlesPosition) {
    ReaderOnFile in("reader-position", "skip\nrest\n");
    char skipped[5];
    EXPECT_EQ(read_raw(in.handle, skipped, 5), 5);
    EXPECT_EQ(reader_init(in.reader.get(), in.handle), 0);
    EXPECT_EQ(in.lines(1024), (Lines{"rest"}));
}

}  // namespace
