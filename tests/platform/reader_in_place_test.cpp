// Lines handed out in place: the same lines read_line gives on the same bytes, each with the
// slack the byte searches need, and a pinned line that still reads the same after the reads
// that follow it, refills included.
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "reader_support.h"

namespace {

const size_t kBuffer = kReaderBufferSize;

// The bytes of storage after the NUL of a line the reader handed out, or -1 when the line
// lies in none of the reader's arrays.
int64_t room_after(const LineReader& reader, const LineView& line) {
    struct Region {
        const char* start;
        size_t size;
    };
    const Region regions[] = {
        {reader.buffer, sizeof reader.buffer},
        {reader.assembled, sizeof reader.assembled},
    };
    for (const Region& region : regions)
        if (line.text >= region.start && line.text < region.start + region.size)
            return region.start + region.size - (line.text + line.length + 1);
    return -1;
}

// The next line as a line scanner hands it to the reader: the first line stop found byte by
// byte.
int32_t next_in_place(LineReader* reader, LinePin* pin, LineView* line) {
    if (reader->cursor == reader->fill && !reader_refill(reader, pin)) return -1;
    int32_t stop = reader->cursor;
    while (stop < reader->fill && reader->buffer[stop] != '\n' && reader->buffer[stop] != '\r' &&
           reader->buffer[stop] != 0)
        ++stop;
    return reader_next_line(reader, pin, stop, line);
}

// The lines as read_line(reader, ..., kLineSize) stores them, each cut at its first NUL:
// what reader_next_line must hand out.
Lines copied_lines(const std::string& tag, const std::string& content) {
    ReaderOnFile in(tag + "-copied", content);
    Lines lines = in.lines(kLineSize);
    for (std::string& line : lines) line = line.substr(0, line.find('\0'));
    return lines;
}

// Reads content in place to the end. With pin_previous, each line is pinned while the next
// one is read (as the timestamp check pins the line before), and must still read the same
// then.
Lines in_place_lines(const std::string& tag, const std::string& content, bool pin_previous) {
    ReaderOnFile in(tag + "-in-place", content);
    auto pin = std::make_unique<LinePin>();
    pin->text = nullptr;
    std::string pinned_text;
    Lines lines;
    LineView line;
    while (next_in_place(in.reader.get(), pin.get(), &line) == 0) {
        EXPECT_EQ(line.text[line.length], '\0');
        EXPECT_GE(room_after(*in.reader, line), kSearchSlack);
        if (pin->text) EXPECT_EQ(std::string(pin->text), pinned_text) << "line " << lines.size();
        lines.emplace_back(line.text, line.length);
        if (pin_previous) {
            pin_line(pin.get(), in.reader.get(), line.text, line.length);
            pinned_text = lines.back();
        }
    }
    return lines;
}

struct Case {
    std::string what;
    std::string content;
};

// A tag for the scratch files of a case.
std::string tag_of(int n) { return "in-place-" + std::to_string(n); }

// Long lines around the 1023 characters of a line's room, ended in every way.
std::vector<Case> long_line_cases() {
    std::vector<Case> cases;
    for (int length : {1022, 1023, 1024, 1025}) {
        std::string line(length, 'L');
        std::string name = std::to_string(length) + " characters";
        cases.push_back({name + " and LF", line + "\nnext\n"});
        cases.push_back({name + " and CR LF", line + "\r\nnext\n"});
        cases.push_back({name + " at the end without LF", "first\n" + line});
        std::string head = line.substr(0, 500), tail = line.substr(500);
        cases.push_back({name + " with a CR inside", head + "\r" + tail + "\n"});
        head = line.substr(0, 1022), tail = line.substr(1022);
        cases.push_back({name + ", NUL at 1022", head + '\0' + tail + "\n"});
    }
    return cases;
}

// Content of more than one buffer with a crafted line at start (line ends as given), lines of
// 50 characters after it.
std::string around_refill(size_t start, int length, const std::string& end) {
    Straddle s;
    s.fill_to(start);
    s.add(length, end);
    s.add(50, "\n");
    s.add(50, "\n");
    return s.content;
}

std::vector<Case> refill_cases() {
    Straddle exact, exact_no_lf, one_more;
    exact.fill_to(kBuffer);
    exact_no_lf.fill_to(kBuffer - 20);
    exact_no_lf.add(20, "");
    one_more.fill_to(kBuffer);
    one_more.add(1, "");
    return {
        {"LF is the last byte of a buffer", around_refill(kBuffer - 11, 10, "\n")},
        {"LF is the first byte of the next buffer", around_refill(kBuffer - 10, 10, "\n")},
        {"CR last of a buffer, LF first of the next", around_refill(kBuffer - 11, 10, "\r\n")},
        {"line across the boundary", around_refill(kBuffer - 300, 600, "\n")},
        {"line with CR across the boundary", around_refill(kBuffer - 300, 600, "\r\n")},
        {"1022 characters ending at the boundary", around_refill(kBuffer - 1023, 1022, "\n")},
        {"1023 characters ending at the boundary", around_refill(kBuffer - 1024, 1023, "\n")},
        {"1023 characters across the boundary", around_refill(kBuffer - 500, 1023, "\n")},
        {"1500 characters across the boundary", around_refill(kBuffer - 700, 1500, "\n")},
        {"NUL line across the boundary", around_refill(kBuffer - 3, 0, std::string("ab\0cd\n", 6))},
        {"line across the second boundary", around_refill(2 * kBuffer - 1, 900, "\r\n")},
        {"content of exactly one buffer", exact.content},
        {"one buffer, last line without LF", exact_no_lf.content},
        {"one byte past one buffer", one_more.content},
        {"last line without LF after the boundary", around_refill(kBuffer - 5, 10, "") + "end"},
    };
}

TEST(ReadLineInPlace, HandsOutTheLinesReadLineGives) {
    std::vector<Case> cases = {
        // empty and short
        {"empty file", ""},
        {"one character", "a"},
        {"only LFs", "\n\n\n"},
        {"last line without LF", "ab\ncd"},
        {"bytes above 127", "\x80\xff\x85\n\xa0\n"},
        // CR anywhere
        {"CR inside, first and last", "a\rb\n\rc\r\n"},
        {"CR-only lines", "\r\n\r\n\r\r\n"},
        {"last line of CRs", "a\n\r\r"},
        {"CR at the end without LF", "ab\r"},
        {"lines with and without CR in turn", "a\r\nb\nc\r\nd\ne\r\n"},
        // NUL inside a line: the line ends there for the caller
        {"NUL inside", std::string("a\0b\n", 4)},
        {"NUL first", std::string("\0ab\ncd\n", 7)},
        {"NUL alone", std::string("\0\n\0", 3)},
        {"NUL and CR", std::string("a\r\0b\r\nc\n", 8)},
    };
    std::vector<Case> long_lines = long_line_cases(), refills = refill_cases();
    cases.insert(cases.end(), long_lines.begin(), long_lines.end());
    // The first line of a file comes with the first refill and is always assembled: each case
    // runs again behind a first line, so that its lines meet the in-place path too.
    for (size_t k = 0, count = cases.size(); k < count; ++k)
        cases.push_back({cases[k].what + ", behind a first line", "first\n" + cases[k].content});
    cases.insert(cases.end(), refills.begin(), refills.end());
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Lines expected = copied_lines(tag_of(n), c.content);
        EXPECT_EQ(in_place_lines(tag_of(n), c.content, false), expected);
        EXPECT_EQ(in_place_lines(tag_of(n), c.content, true), expected);
        ++n;
    }
}

// A few hundred KB of lines of random lengths (now and then near 1023) over bytes that steer
// the reader: CR, NUL, high bytes, and every way of ending a line.
std::string random_log(uint32_t seed, size_t size) {
    std::mt19937 engine(seed);
    auto below = [&](uint32_t k) { return static_cast<int>(engine() % k); };
    static const char kPlain[] = "abc (-:\t\x85";
    static const char* const kEnds[] = {"\n", "\n", "\n", "\r\n", "\r\r\n", "\n\r"};
    std::string log;
    while (log.size() < size) {
        int length = below(20) == 0 ? 1000 + below(40) : below(90);
        for (int i = 0; i < length; ++i) {
            int pick = below(400);
            log += pick == 0 ? '\0' : pick < 10 ? '\r' : kPlain[pick % (sizeof kPlain - 1)];
        }
        log += kEnds[below(6)];
    }
    if (below(2)) log += "last line without LF";
    return log;
}

TEST(ReadLineInPlace, AgreesWithReadLineOnRandomLogs) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::string log = random_log(seed, 150000 + 50000 * seed);
        std::string tag = "in-place-random-" + std::to_string(seed);
        Lines expected = copied_lines(tag, log);
        EXPECT_EQ(in_place_lines(tag, log, false), expected);
        EXPECT_EQ(in_place_lines(tag, log, true), expected);
    }
}

// A line ended by LF, or by CR LF as a log written on Windows has it, stays in the buffer;
// a CR elsewhere, a NUL or the end of input without LF makes it assembled.
TEST(ReadLineInPlace, LinesEndedByLfOrCrLfStayInTheBufferOthersAreAssembled) {
    const char content[] = "first\r\nplain\nwith CR\rinside\nCR LF\r\nCR CR LF\r\r\nnul\0x\nlast";
    ReaderOnFile in("in-place-where", std::string(content, sizeof content - 1));
    const LineReader& reader = *in.reader;
    auto in_buffer = [&](const LineView& line) {
        return line.text >= reader.buffer && line.text < reader.buffer + sizeof reader.buffer;
    };
    struct Row {
        const char* text;
        bool in_buffer;
    } rows[] = {{"first", true},  {"plain", true},    {"with CRinside", false}, {"CR LF", true},
                {"CR CR LF", false}, {"nul", false}, {"last", false}};
    auto pin = std::make_unique<LinePin>();
    pin->text = nullptr;
    LineView line;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        ASSERT_EQ(next_in_place(in.reader.get(), pin.get(), &line), 0);
        EXPECT_STREQ(line.text, row.text);
        EXPECT_EQ(in_buffer(line), row.in_buffer);
    }
    EXPECT_EQ(next_in_place(in.reader.get(), pin.get(), &line), -1);
    EXPECT_EQ(next_in_place(in.reader.get(), pin.get(), &line), -1);
}

// One line pinned from where it is read to the end of three buffers of content, while plain
// lines and lines with CR follow it.
TEST(LinePin, APinnedLineReadsTheSameToTheEnd) {
    struct Row {
        const char* what;
        size_t start;  // where the held line starts
        int length;
        const char* end;
    } rows[] = {
        {"an empty line first", 0, 0, "\n"},
        {"a line with CR first", 0, 5, "\r\n"},
        {"a line in the middle of the buffer", 30000, 70, "\n"},
        {"the line that ends just before the refill", kBuffer - 41, 40, "\n"},
        {"1022 characters that end just before the refill", kBuffer - 1023, 1022, "\n"},
        {"a line with CR that ends at the refill", kBuffer - 42, 40, "\r\n"},
        {"the line cut by the refill", kBuffer - 20, 40, "\n"},
        {"the first line of the second buffer", kBuffer, 40, "\n"},
        {"the line cut by the second refill", 2 * kBuffer - 20, 40, "\n"},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Straddle s;
        s.fill_to(row.start);
        size_t held_number = s.lines.size();
        s.add(row.length, row.end);
        while (s.content.size() < 3 * kBuffer) s.add(900, s.lines.size() % 2 ? "\r\n" : "\n");

        ReaderOnFile in("hold-" + std::to_string(n++), s.content);
        auto pin = std::make_unique<LinePin>();
        pin->text = nullptr;
        LineView line;
        size_t number = 0;
        for (; next_in_place(in.reader.get(), pin.get(), &line) == 0; ++number) {
            ASSERT_LT(number, s.lines.size());
            EXPECT_EQ(std::string(line.text, line.length), s.lines[number]);
            if (number != held_number) continue;
            pin_line(pin.get(), in.reader.get(), line.text, line.length);
            // Kept where it is unless the reader assembled it.
            EXPECT_EQ(pin->text == line.text, line.text != in.reader->assembled);
        }
        EXPECT_EQ(number, s.lines.size());
        ASSERT_NE(pin->text, nullptr);
        EXPECT_EQ(std::string(pin->text), s.lines[held_number]);
    }
}

}  // namespace

namespace {

// The cut flag of each line: set only on a full line whose line goes on, however the rest
// is ended, so that the scanner warns once for every line longer than the room.
TEST(ReadLineInPlace, MarksALineThatGoesOnAsCut) {
    const std::string full(kLineSize - 1, 'x');
    struct Row {
        std::string what;
        std::string content;
        std::vector<int32_t> cut;  // the flag of each line handed out, in order
    };
    const Row rows[] = {
        {"a short line", "short\n", {0}},
        {"a full line and its LF", full + "\nnext\n", {0, 0, 0}},
        {"a full line, CRs and its LF", full + "\r\r\nnext\n", {0, 0, 0}},
        {"a full line at the end", full, {0}},
        {"a full line, then CRs only", full + "\r\r", {0}},
        {"one character more", full + "y\n", {1, 0}},
        {"one character more behind a CR", full + "\ry\n", {1, 0}},
        {"two lines' worth and more", full + full + "z\n", {1, 1, 0}},
        {"exactly two lines' worth", full + full + "\n", {1, 0, 0}},
        {"a NUL goes on too", full + std::string(1, '\0') + "\n", {1, 0}},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        // Behind a first line as well, so that the full line meets the in-place path.
        for (const std::string& first : {std::string(), std::string("first\n")}) {
            ReaderOnFile in("cut-" + std::to_string(n++), first + row.content);
            LineView line;
            if (!first.empty()) ASSERT_EQ(0, next_in_place(in.reader.get(), nullptr, &line));
            std::vector<int32_t> cut;
            while (next_in_place(in.reader.get(), nullptr, &line) == 0) cut.push_back(line.cut);
            EXPECT_EQ(row.cut, cut);
        }
    }
}

}  // namespace
