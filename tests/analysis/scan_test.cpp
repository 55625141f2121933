// Tests of line cleaning, the timestamp-order check and line classification.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/scan.h"

namespace {

void set_text(char* buffer, int32_t size, const std::string& text) {
    ASSERT_LT(text.size(), static_cast<size_t>(size));
    text.copy(buffer, text.size());
    buffer[text.size()] = 0;
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw.substr(0, 40));
        set_text(raw_line, kLineSize, c.raw);
        clean_line();
        EXPECT_EQ(c.clean, cleaned_line);
        EXPECT_EQ(c.raw, raw_line);
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
        previous_stamp[0] = previous_line[0] = 0;
        for (size_t i = 0; i < c.lines.size(); ++i) {
            set_text(cleaned_line, kLineSize, c.lines[i]);
            EXPECT_EQ(c.warned[i], check_timestamp_order()) << "line " << i + 1;
        }
    }
}

TEST(CheckTimestampOrder, KeepsTheZeroPaddedStampAndTheLine) {
    previous_stamp[0] = previous_line[0] = 0;
    set_text(cleaned_line, kLineSize, "  9:05:00 Call ended: ext 1");
    check_timestamp_order();
    EXPECT_STREQ("09:05:00", previous_stamp);
    EXPECT_STREQ("  9:05:00 Call ended: ext 1", previous_line);

    const std::string longest = "1:2:" + std::string(1019, 'x');
    set_text(cleaned_line, kLineSize, longest);
    check_timestamp_order();
    EXPECT_EQ("0" + longest, previous_stamp);
    EXPECT_EQ(longest, previous_line);

    set_text(cleaned_line, kLineSize, "x");
    check_timestamp_order();
    EXPECT_STREQ("", previous_stamp);
    EXPECT_EQ(longest, previous_line);
}

TEST(ClassifyLine, ReturnsTheKindOfTheFirstKeywordInOrder) {
    struct Case {
        std::string line;
        LineKind kind;
    };
    const Case cases[] = {
        {"", 0},
        {"x", 0},
        {"  9:05:12 Call ended: Alice (line 1) -> ext 2 [1:30]", 5},
        {"Conf ended: ext 3", 5},
        {"Call ended:", 5},
        {"call ended: ext 3", 0},
        {"System clock adjusted by admin. Call ended: ext 1", 1},
        {"Call ended: ext 1 Conference bridge opened", 4},
        {"Call ended: ext 1 (voice mail)", 3},
        {"Call ended: ext 1 (not counted)", 2},
        {"(not counted) (voice mail)", 3},
        {"Alarm Call setup", 8},
        {"Operator login: Alarm", 7},
        {"Operator login: Eve", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        set_text(cleaned_line, kLineSize, c.line);
        EXPECT_EQ(c.kind, classify_line());
    }
}

}  // namespace
