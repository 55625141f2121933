// Tests of line cleaning, the timestamp-order check and line classification.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/classify.h"
#include "analysis/clean.h"
#include "analysis/timestamp.h"
#include "literals.h"
#include "platform/output.h"
#include "support/texts.h"

namespace {

// A line in storage that reaches as far past its end as the searches may read, as every
// line the loop hands over does, indexed as the loop indexes it.
struct Line {
    char text[kLineBufferSize] = {};
    int32_t length;
    LineIndex index;
    IndexedLine indexed;
    explicit Line(const std::string& bytes) {
        bytes.copy(text, kLineSize - 1);
        length = static_cast<int32_t>(bytes.size() < kLineSize ? bytes.size() : kLineSize - 1);
        indexed = index_line(text, length, &index);
    }
};

// The timestamp of a line as a reader of the log takes it: the first word of a line with at
// least five characters and ':' at index 3, with '0' in front when its second character is
// ':'; false for a line without one.
bool padded_stamp(const std::string& line, std::string* stamp) {
    if (line.size() < 5 || line[3] != ':') return false;
    auto blank = [](char c) { return c == ' ' || (c >= 9 && c <= 13); };
    size_t start = 0;
    while (blank(line[start])) ++start;
    size_t end = start;
    while (end < line.size() && !blank(line[end])) ++end;
    *stamp = line.substr(start, end - start);
    if (stamp->size() > 1 && (*stamp)[1] == ':') stamp->insert(0, "0");
    return true;
}

// Sends what the program prints to a scratch file for as long as it lives.
class PrintedText {
  public:
    PrintedText() : saved_(std_output), saved_differ_(std_kinds_differ) {
        std::remove(kName);
        std_output = CreateFileA(kName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        std_kinds_differ = 0;
    }
    ~PrintedText() {
        CloseHandle(std_output);
        std_output = saved_;
        std_kinds_differ = saved_differ_;
        std::remove(kName);
    }
    PrintedText(const PrintedText&) = delete;
    PrintedText& operator=(const PrintedText&) = delete;

    std::string text() const { return read_file(kName); }

  private:
    static constexpr const char* kName = "scan-printed.tmp";
    HANDLE saved_;
    int32_t saved_differ_;
};

TEST(CleanLine, RemovesBothPatternsUntilNoneIsLeft) {
    struct Case {
        std::string raw;
        std::string clean;
    };
    std::string repeated;
    for (int i = 0; i < 146; ++i) repeated += "(VIP) (";
    const Case cases[] = {
        {"", ""},
        {"(", "("},
        {"(VIP) (", "("},
        {"(vip) (ext 1)", "(vip) (ext 1)"},
        {"Carol (VIP) (ext 305)", "Carol (ext 305)"},
        {"Dan (home) (ext 7)", "Dan (ext 7)"},
        {"x (VIP) (VIP) (ext 5)", "x (ext 5)"},
        {"(VIP) (a) (VIP) (b)", "(a) (b)"},
        {"Al (home) (VIP) (ext 9)", "Al (ext 9)"},
        {repeated + "x", std::string(146, '(') + "x"},
        // Each pattern's search starts at its first place in the raw line, or where the
        // removals before it may have moved or formed one.
        {"(home) (x (VIP) (y", "(x (y"},
        {"(VIP) (x (home) (y", "(x (y"},
        {"(VIP) (home) (z", "(z"},
        {"(home) (VIP) (z", "(z"},
        {"a (VIP) (VIP) (home) (home) (q", "a (q"},
        {"(hom(VIP) (e) (r", "(hom(e) (r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw.substr(0, 40));
        auto raw = std::make_unique<Line>(c.raw);
        auto spare = std::make_unique<CleanedLine>();
        const IndexedLine* clean = clean_line(&raw->indexed, spare.get());
        EXPECT_EQ(c.clean, clean->text);
        EXPECT_EQ(static_cast<int32_t>(c.clean.size()), clean->length);
        EXPECT_EQ(c.raw, raw->text);
        // A line without a pattern is its own cleaned form: nothing is copied.
        if (c.clean == c.raw) EXPECT_EQ(&raw->indexed, clean);
        // The cleaned line's keywords are where a search finds them.
        EXPECT_EQ(0u, clean->found.present & kPatternBits);
        auto again = std::make_unique<Line>(c.clean);
        EXPECT_EQ(again->indexed.found.present, clean->found.present);
        for (uint32_t k = clean->found.present; k; k &= k - 1)
            EXPECT_EQ(again->indexed.found.at[__builtin_ctz(k)],
                      clean->found.at[__builtin_ctz(k)]);
    }
}

// Each case runs its lines in turn from an empty previous timestamp; warned lists the
// check's result for each line.
TEST(CheckTimestampOrder, WarnsWhenTheLeadingTimestampRunsBackwards) {
    struct Case {
        std::vector<std::string> lines;
        std::vector<int32_t> warned;
    };
    const std::string bs(1019, 'b'), cs(1019, 'c');
    const Case cases[] = {
        {{" 23:59:00 a", "  9:05:00 b"}, {0, 1}},
        {{" 23:59:00 a", " 9:05:00 b"}, {0, 0}},
        {{" 23:59:00 a", "12:00:00 b", " 01:00:00 c"}, {0, 0, 0}},
        {{" 10:00:00 a", "no timestamp", " 09:00:00 c"}, {0, 0, 0}},
        {{" 10:00:00 a", " 10:00:00 b"}, {0, 0}},
        {{" 10:00:01 a", " 10:00:00 b"}, {0, 1}},
        {{" 10:01", " 10:0"}, {0, 1}},
        {{" 10:01", " 10:", " 10:00"}, {0, 0, 0}},
        {{" 10:00\xE9", " 10:00z"}, {0, 1}},
        {{"1:2:" + cs, "1:2:" + bs}, {0, 1}},
        // a stamp of more than eight characters after one of its first eight, and before
        {{"  9:05:00", "  9:05:00x", "  9:05:00"}, {0, 0, 1}},
        {{" 10:00:00", " 10:00:001", " 10:00:00"}, {0, 0, 1}},
        {{"  9:05:00b", "  9:05:00a", "  9:05:00a"}, {0, 1, 0}},
        {{"  9:05:00xy", "  9:05:00 a", "  9:05:00\x01"}, {0, 1, 0}},
        // the same first sixteen bytes, but the stamp ends sooner
        {{" 10:00:00 a", " 10:00:00"}, {0, 0}},
        {{" 10:01 x", " 10:0"}, {0, 1}},
        {{"\t\t9:59:59 a", " 10:00:00 b", "\t\t9:59:59 c"}, {0, 0, 1}},
        {{"a c:dd", "a\tb:cc", "   :9", "   ::"}, {0, 0, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines[0].substr(0, 20) + " | " + c.lines[1].substr(0, 20));
        auto order = std::make_unique<TimeOrder>();
        time_order_init(order.get(), nullptr);
        for (size_t i = 0; i < c.lines.size(); ++i) {
            auto line = std::make_unique<Line>(c.lines[i]);
            EXPECT_EQ(c.warned[i], check_timestamp_order(order.get(), line->text, line->length))
                << "line " << i + 1;
        }
    }
}

// Stamps in every place the check finds them: after blanks of each kind, words that end
// before index 3 or at the line's end, at most and more than eight characters once padded,
// keys that agree in their first eight, bytes above 0x7F.
std::vector<std::string> stamp_lines() {
    const std::string leads[] = {"", " ", "  ", "   ", "\t\t", " \v", "\f "};
    const std::string words[] = {
        "9:05:00",   "9:05:0",    "9:05:00x",   "9:05:00y",   "9:05:00xx", "09:05:00",
        "09:05:00x", "10:00:00",  "10:00:001",  "10:00:002",  "1:2:",      "1:2:3:4:5",
        ":",         "::",        ":9",         "a",          "abc:d",     "10:00\xE9",
        "10:00z",    "9:05:00\x01", "9:05:00" + std::string(20, 'x'),
    };
    const std::string rests[] = {"", " Call ended: ext 1", "\tb:cc", " 10:00:00"};
    std::vector<std::string> lines = {"x", "no timestamp", "12:00:00 a", " 10:", "    "};
    for (const std::string& lead : leads)
        for (const std::string& word : words)
            for (const std::string& rest : rests) lines.push_back(lead + word + rest);
    return lines;
}

// Lines in random order, each written over the one before in the same storage as the loop
// does, whose bytes stay after its NUL: the check agrees with comparing the padded words,
// and each warning quotes the last line with a timestamp as it was.
TEST(CheckTimestampOrder, AgreesWithComparingTheZeroPaddedWords) {
    const std::vector<std::string> lines = stamp_lines();
    auto order = std::make_unique<TimeOrder>();
    time_order_init(order.get(), nullptr);
    auto storage = std::make_unique<Line>("");
    std::string previous_line, previous_stamp, expected_text;
    uint32_t seed = 1;
    PrintedText printed;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const std::string& line = lines[(seed >> 8) % lines.size()];
        line.copy(storage->text, line.size());
        storage->text[line.size()] = 0;
        std::string stamp;
        int32_t expected = 0;
        if (padded_stamp(line, &stamp)) {
            expected = !previous_stamp.empty() && stamp < previous_stamp;
            if (expected) expected_text += expanded(kTimeBackwardsFmt, previous_line.c_str(),
                                                    line.c_str());
            previous_line = line;
        }
        previous_stamp = stamp;
        ASSERT_EQ(expected, check_timestamp_order(order.get(), storage->text,
                                                  static_cast<int32_t>(line.size())))
            << "line " << i << ": " << line << " after " << previous_line;
    }
    EXPECT_EQ(expected_text, printed.text());
}

// The line kept for the warning is a copy: the caller's line storage is free for the next.
TEST(CheckTimestampOrder, KeepsACopyOfTheLine) {
    auto order = std::make_unique<TimeOrder>();
    time_order_init(order.get(), nullptr);
    const std::string longest = "1:2:" + std::string(1019, 'x');
    for (const std::string& text : {std::string("  9:05:00 Call ended: ext 1"), longest}) {
        auto line = std::make_unique<Line>(text);
        check_timestamp_order(order.get(), line->text, line->length);
        line->text[4] = 'X';
        EXPECT_EQ(text, order->pin.text);
    }
    auto none = std::make_unique<Line>("x");
    check_timestamp_order(order.get(), none->text, none->length);
    EXPECT_EQ(longest, order->pin.text);
}

TEST(ClassifyLine, ReturnsTheKindOfTheFirstKeywordInOrder) {
    struct Case {
        std::string line;
        LineKind kind;
    };
    const Case cases[] = {
        {"", kNoKeywordLine},
        {"x", kNoKeywordLine},
        {"  9:05:12 Call ended: Alice (line 1) -> ext 2 [1:30]", kEventLine},
        {"Conf ended: ext 3", kEventLine},
        {"Call ended:", kEventLine},
        {"call ended: ext 3", kNoKeywordLine},
        {"System clock adjusted by admin. Call ended: ext 1", kClockAdjustedLine},
        {"Call ended: ext 1 Conference bridge opened", kConferenceBridgeLine},
        {"Call ended: ext 1 (voice mail)", kVoiceMailLine},
        {"Call ended: ext 1 (not counted)", kNotCountedLine},
        {"(not counted) (voice mail)", kVoiceMailLine},
        {"Alarm Call setup", kCallSetupLine},
        {"Operator login: Alarm", kAlarmLine},
        {"Operator login: Eve", kOperatorLoginLine},
        // keywords across the sixteen-byte blocks the scan reads, and at the line's end
        {"0123456789abcdeAlarm", kAlarmLine},
        {std::string(1018, 'x') + "Alarm", kAlarmLine},
        {std::string(1019, 'x') + "Alar", kNoKeywordLine},
        {"Alar", kNoKeywordLine},
        {"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAlarm", kAlarmLine},
        {"CCCCCCCCCCCCCCCCCCCCCCCCCCall ended: ext 1 Conf", kEventLine},
        // a first occurrence that is not a keyword does not hide a later one
        {"(voice mai (not counted) (voice mail)", kVoiceMailLine},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        auto line = std::make_unique<Line>(c.line);
        EXPECT_EQ(c.kind, classify_line(line->indexed));
    }
}

}  // namespace
