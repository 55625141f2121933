// Words, integers and fixed-point numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "text/words.h"

namespace {

TEST(WordCopy, CopiesTheNthWord) {
    struct Row { const char* text; int32_t n; const char* word; int result; };
    const Row rows[] = {
        {" 09:15:00 next", 1, "09:15:00", 0}, {"a b", 2, "b", 0}, {"a b", 3, "", 1},
        {"a b", 0, "", 0}, {"a b", -1, "", 0}, {"   ", 1, "", 1}, {"", 1, "", 1},
        {"x", 1, "x", 0}, {"\ta\t\tb\r\n", 2, "b", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " #" + std::to_string(row.n));
        char dst[32];
        std::strcpy(dst, "stale");
        EXPECT_EQ(word_copy(row.text, row.n, dst), row.result);
        EXPECT_STREQ(dst, row.word);
    }
}

// The destination may be the text itself: the word is found before anything is written.
TEST(WordCopy, CopiesIntoTheTextItself) {
    struct Row { int32_t n; const char* word; int result; };
    const Row rows[] = {
        {1, "first", 0}, {2, "second", 0}, {3, "", 1}, {0, "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.n);
        char text[] = "  first second";
        EXPECT_EQ(word_copy(text, row.n, text), row.result);
        EXPECT_STREQ(text, row.word);
    }
}

TEST(WordCopy, CopiesAWordOfMaximumLength) {
    std::string word(1023, 'w');
    std::string text = "  " + word + "  tail";
    char dst[1024];
    EXPECT_EQ(word_copy(text.c_str(), 1, dst), 0);
    EXPECT_EQ(std::string(dst), word);
}

TEST(WordScan, StartEndCountAtDelete) {
    const char blanks[] = "   ";
    EXPECT_EQ(word_start(blanks), nullptr);
    const char abc[] = "abc def";
    EXPECT_EQ(word_end(abc), abc + 2);
    EXPECT_EQ(word_end(abc + 3), abc + 2) << "a blank gives the position before it";

    struct Row { const char* text; int32_t count; };
    const Row rows[] = {{"", 0}, {" ", 0}, {"a", 1}, {" a  bb c ", 3}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(word_count(row.text), row.count);
    }
    EXPECT_EQ(word_at(abc, 0), abc);
    EXPECT_EQ(word_at(abc, 2), abc + 4);
    EXPECT_EQ(word_at(abc, 3), nullptr);

    char t[] = "one  two three";
    EXPECT_EQ(word_delete(t, 2), 0);
    EXPECT_STREQ(t, "one  three");
    EXPECT_EQ(word_delete(t, 3), 1);
    EXPECT_STREQ(t, "one  three");
}

TEST(ParseInteger, ReadsTheSigned32BitRange) {
    struct Row { const char* text; int result; int32_t value; int end; };  // end -1: not stored
    const Row rows[] = {
        {"", 2, 0, 0}, {"7", 0, 7, 1}, {"  -42x", 0, -42, 5}, {"12 34", 0, 12, 2},
        {"+5", 2, 0, 0}, {"-", 2, 0, 1}, {" - 4", 2, 0, 2},
        {"2147483647", 0, 2147483647, 10}, {"2147483648", 1, 0, -1},
        {"-2147483648", 0, -2147483647 - 1, 11}, {"-2147483649", 1, 0, -1},
        {"5000000000", 1, 0, -1}, {"99999999999", 1, 0, -1},
        {"000000000000000000000012", 0, 12, 24}, {"-0", 0, 0, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const char* end = nullptr;
        int32_t value = 99;
        EXPECT_EQ(parse_integer(row.text, &end, &value), row.result);
        if (row.result != 1) EXPECT_EQ(value, row.value);
        if (row.end < 0)
            EXPECT_EQ(end, nullptr);
        else
            EXPECT_EQ(end, row.text + row.end);
        EXPECT_EQ(parse_integer(row.text, nullptr, nullptr), row.result) << "outs not wanted";
    }
}

// A text as it lies in line storage: sixteen readable bytes and more after its NUL, holding
// digits that must not count.
std::string in_line(const std::string& text) { return text + '\0' + std::string(32, '3'); }

// The stop map marks every byte that is no digit, the bytes next to '0' and '9' and a digit's
// byte with the high bit set among them, and a stop after the sixteen bytes.
TEST(DigitStops, MarksWhereTheDigitsStop) {
    struct Row { std::string text; uint32_t stops; int32_t run; };  // stops: bits 0..15
    const Row rows[] = {
        {"", 0x1, 0}, {"7", 0x2, 1}, {"/0:9", 0x15, 0}, {"12 4", 0x14, 2},
        {"0123456789012345", 0x0, 16}, {"012345678901234x", 0x8000, 15},
        {"\xB0\xB9\x30", 0xB, 0}, {"9\xFF", 0x6, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const std::string line = in_line(row.text);
        // The bytes of the text and its NUL; the digits after the NUL are no stops.
        uint32_t mapped = (1u << std::min<size_t>(row.text.size() + 1, 16)) - 1;
        EXPECT_EQ(digit_stops(line.c_str()) & mapped, row.stops);
        EXPECT_EQ(digit_stops(line.c_str()) >> 16, 1u);
        EXPECT_EQ(digit_run(digit_stops(line.c_str())), row.run);
    }
}

TEST(DigitsValue, JoinsOneToEightDigits) {
    struct Row { const char* text; int32_t count; uint32_t value; };
    const Row rows[] = {
        {"7xxxxxxx", 1, 7}, {"0000", 4, 0}, {"1234:678", 4, 1234}, {"12345]78", 5, 12345},
        {"65535678", 5, 65535}, {"123456xx", 6, 123456}, {"9999999.", 7, 9999999},
        {"99999999", 8, 99999999}, {"00000001", 8, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(digits_value(load_word(in_line(row.text).c_str()), row.count), row.value);
    }
}

// The short reader takes one to eight digits, also from a map shifted by up to seven bytes,
// and no other text.
TEST(ShortInteger, TakesOneToEightDigits) {
    struct Row { const char* text; int32_t shift; int32_t value; int end; };  // end -1: null
    const Row rows[] = {
        {"", 0, 0, -1}, {"x", 0, 0, -1}, {" 5", 0, 0, -1}, {"-5", 0, 0, -1},
        {"5", 0, 5, 1}, {"12345678", 0, 12345678, 8}, {"123456789", 0, 0, -1},
        {"xxxxxxx12345678x", 7, 12345678, 15}, {"xxxxxxx123456789", 7, 0, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const std::string line = in_line(row.text);
        const char* p = line.c_str() + row.shift;
        LineNumber number = short_integer(p, digit_stops(line.c_str()) >> row.shift);
        if (row.end < 0) {
            EXPECT_EQ(number.end, nullptr);
        } else {
            EXPECT_EQ(number.end, line.c_str() + row.end);
            EXPECT_EQ(number.value, row.value);
        }
    }
}

// The line-storage reader must agree with parse_integer for every count of digits, the
// blanks and sign before them and whatever follows them.
TEST(IntegerInLine, AgreesWithParseInteger) {
    const char* const texts[] = {
        "", "x", " ", "-", "0", "7", "42", "123", "1234", "12345", "123456", "1234567",
        "12345678", "123456789", "2147483647", "2147483648", "-12", " 9)", "\t65535 ", "0001",
        "9999x", "55555:", "4444]", "1 2", " 12345678", " 123456789", "  5", " -5", " \t5",
        "000000000000000000000012",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        const std::string line = in_line(text);
        const char* want_end = nullptr;
        int32_t want = -1;
        int result = parse_integer(text, &want_end, &want);
        LineNumber got = integer_in_line(line.c_str());
        if (result != 0) {
            EXPECT_EQ(got.end, nullptr);
            continue;
        }
        ASSERT_NE(got.end, nullptr);
        EXPECT_EQ(got.value, want);
        EXPECT_EQ(got.end - line.c_str(), want_end - text);
    }
}

// The short reader of tenths takes a number whose fraction ends inside the sixteen bytes it
// maps: fifteen bytes of number at most.
TEST(ShortTenths, TakesWhatOneMapHolds) {
    struct Row { const char* text; int32_t value; int end; };  // end -1: null
    const Row rows[] = {
        {"", 0, -1}, {".5", 0, -1}, {"-1.5", 0, -1}, {"7", 70, 1}, {"7.", 70, 2},
        {"7.25s", 73, 4}, {"1234567.1234567s", 12345671, 15}, {"1234567.12345678", 0, -1},
        {"12345678.5", 0, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const std::string line = in_line(row.text);
        LineNumber number = short_tenths(line.c_str(), digit_stops(line.c_str()));
        if (row.end < 0) {
            EXPECT_EQ(number.end, nullptr);
        } else {
            EXPECT_EQ(number.end, line.c_str() + row.end);
            EXPECT_EQ(number.value, row.value);
        }
    }
}

TEST(ParseFixed, ScalesAndRoundsHalfAwayFromZero) {
    struct Row { const char* text; int32_t places; int result; int32_t value; int end; };
    const std::string digits80 = std::string(79, '0') + "7";
    const std::string digits81 = std::string(80, '0') + "7";
    const Row rows[] = {
        {"12.34", 1, 0, 123, 5}, {"12.35", 1, 0, 124, 5}, {"-12.35", 1, 0, -124, 6},
        {"1.25", 1, 0, 13, 4}, {"1.2499", 1, 0, 12, 6}, {"0.96", 1, 0, 10, 4},
        {"0.04", 1, 0, 0, 4}, {"-0.05", 1, 0, -1, 5}, {"7", 1, 0, 70, 1}, {"7.", 1, 0, 70, 2},
        {".5", 1, 0, 5, 2}, {"-.5", 1, 0, -5, 3}, {"1.5", 12, 0, 1500000000, 3},
        {"2.5", 12, 1, 99, 3}, {"2.5", -3, 0, 3, 3}, {"1.2.3", 1, 0, 12, 3},
        {"abc", 1, 2, 99, 0}, {"-", 1, 2, 99, 1}, {".", 1, 2, 99, 1}, {"", 1, 2, 99, 0},
        {digits80.c_str(), 1, 0, 70, 80}, {digits81.c_str(), 1, 1, 99, 81},
        {"214748364.7", 1, 0, 2147483647, 11}, {"214748364.75", 1, 1, 99, 12},
        {"-214748364.85", 1, 1, 99, 13}, {"  3.14159s", 1, 0, 31, 9},
        // Around the short reading of the line-storage form: seven and eight whole digits, a
        // fraction ending inside the sixteen bytes it maps and one reaching past them.
        {"9999999.95", 1, 0, 100000000, 10}, {"12345678.9", 1, 0, 123456789, 10},
        {"1.2345678", 1, 0, 12, 9}, {"1.23456789", 1, 0, 12, 10}, {"0.0000009", 1, 0, 0, 9},
        {"1234567.8555555", 1, 0, 12345679, 15}, {"1234567.85555555", 1, 0, 12345679, 16},
        {" 7.25", 1, 0, 73, 5}, {"\t-7.25", 1, 0, -73, 6},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " places " + std::to_string(row.places));
        const char* end = nullptr;
        int32_t value = 99;
        EXPECT_EQ(parse_fixed(row.text, &end, row.places, &value), row.result);
        if (row.result != 1) EXPECT_EQ(value, row.value);
        EXPECT_EQ(end, row.text + row.end);

        // The line-storage reader of tenths agrees; digits past the NUL must not count.
        if (row.places != 1) continue;
        const std::string line = in_line(row.text);
        LineNumber tenths = tenths_in_line(line.c_str());
        if (row.result != 0) {
            EXPECT_EQ(tenths.end, nullptr);
            continue;
        }
        EXPECT_EQ(tenths.end, line.c_str() + row.end);
        EXPECT_EQ(tenths.value, row.value);
    }
}

}  // namespace
