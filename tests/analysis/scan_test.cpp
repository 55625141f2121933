// Tests of line cleaning, the timestamp-order check and line classification.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/scan.h"

namespace {

// A line in storage that reaches as far past its end as the searches may read, as every
// line the loop hands over does.
struct Line {
    char text[kLineBufferSize] = {};
    int32_t length;
    explicit Line(const std::string& bytes) {
        bytes.copy(text, kLineSize - 1);
        length = static_cast<int32_t>(bytes.size() < kLineSize ? bytes.size() : kLineSize - 1);
    }
};

std::string stamp_of(const TimeOrder& order) {
    return std::string(order.padded ? "0" : "") +
           std::string(order.line + order.stamp_start, order.stamp_length);
}

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
        Line raw(c.raw);
        char spare[kLineBufferSize];
        int32_t length = -1;
        const char* clean = clean_line(raw.text, raw.length, spare, &length);
        EXPECT_EQ(c.clean, clean);
        EXPECT_EQ(static_cast<int32_t>(c.clean.size()), length);
        EXPECT_EQ(c.raw, raw.text);
        // A line without a pattern is its own cleaned form: nothing is copied.
        if (c.clean == c.raw) EXPECT_EQ(raw.text, clean);
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines[0].substr(0, 20) + " | " + c.lines[1].substr(0, 20));
        TimeOrder order{"", 0, 0, false};
        std::vector<Line> lines(c.lines.begin(), c.lines.end());
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(c.warned[i], check_timestamp_order(&order, lines[i].text, lines[i].length))
                << "line " << i + 1;
    }
}

TEST(CheckTimestampOrder, KeepsTheZeroPaddedStampAndTheLine) {
    TimeOrder order{"", 0, 0, false};
    Line first("  9:05:00 Call ended: ext 1");
    check_timestamp_order(&order, first.text, first.length);
    EXPECT_EQ("09:05:00", stamp_of(order));
    EXPECT_EQ(first.text, order.line);

    const std::string longest_text = "1:2:" + std::string(1019, 'x');
    Line longest(longest_text);
    check_timestamp_order(&order, longest.text, longest.length);
    EXPECT_EQ("0" + longest_text, stamp_of(order));
    EXPECT_EQ(longest.text, order.line);

    Line none("x");
    check_timestamp_order(&order, none.text, none.length);
    EXPECT_EQ(0, order.stamp_length);
    EXPECT_EQ(longest.text, order.line);
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
        Line line(c.line);
        EXPECT_EQ(c.kind, classify_line(line.text, line.length));
    }
}

}  // namespace
