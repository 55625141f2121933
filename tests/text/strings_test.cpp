// The byte-text primitives: one table of cases per primitive.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text/text.h"

namespace {

const std::string kMax(1023, 'm');
const std::string kMaxPlusOne(1024, 'm');

TEST(CharClassTable, RangesCarryTheirBits) {
    struct Row { int from, to; uint8_t entry; };
    const Row rows[] = {
        {0x00, 0x08, 32}, {0x09, 0x0D, 40}, {0x0E, 0x1F, 32}, {0x20, 0x20, 72},
        {0x21, 0x2F, 16}, {0x30, 0x39, 132}, {0x3A, 0x40, 16}, {0x41, 0x46, 129},
        {0x47, 0x5A, 1}, {0x5B, 0x60, 16}, {0x61, 0x66, 130}, {0x67, 0x7A, 2},
        {0x7B, 0x7E, 16}, {0x7F, 0x7F, 32}, {0x80, 0xFF, 0},
    };
    for (const Row& row : rows)
        for (int b = row.from; b <= row.to; ++b) {
            SCOPED_TRACE(b);
            EXPECT_EQ(CharClass[b], row.entry);
        }
}

TEST(TextLength, CountsBytesBeforeTheNul) {
    struct Row { std::string text; int32_t length; };
    const Row rows[] = {{"", 0}, {"a", 1}, {"\xE9\x85", 2}, {kMax, 1023}, {kMaxPlusOne, 1024}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.length);
        EXPECT_EQ(text_length(row.text.c_str()), row.length);
    }
}

TEST(TextCopy, CopiesTextsAndCharacters) {
    struct Row { const char* name; TextArg src; std::string expected; };
    const Row rows[] = {
        {"empty", "", ""}, {"one", "a", "a"}, {"max", kMax.c_str(), kMax},
        {"character", 'Z', "Z"}, {"character 0", 0, ""}, {"marker-range character", 0x85, "\x85"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        char dst[1100];
        std::memset(dst, 'x', sizeof dst);
        text_copy(dst, row.src);
        EXPECT_EQ(std::string(dst), row.expected);
        EXPECT_EQ(dst[row.expected.size() + 1], 'x') << "nothing written past the NUL";
    }
}

TEST(TextCopy, ShiftsLeftInsideOneBuffer) {
    char buf[] = "  abc";
    text_copy(buf, buf + 1);
    EXPECT_STREQ(buf, " abc");
}

TEST(TextCopyN, CopiesAtMostNAndAlwaysEnds) {
    struct Row { std::string src; int32_t n; std::string expected; };
    const Row rows[] = {
        {"abc", 0, ""}, {"abc", -5, ""}, {"abc", 1, "a"}, {"abc", 3, "abc"},
        {"abc", 10, "abc"}, {"", 4, ""}, {kMaxPlusOne, 1023, kMax},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.n);
        char dst[1100];
        std::memset(dst, 'x', sizeof dst);
        text_copy_n(dst, row.src.c_str(), row.n);
        EXPECT_EQ(std::string(dst), row.expected);
        EXPECT_EQ(dst[row.expected.size() + 1], 'x');
    }
}

TEST(TextAppend, AddsTextOrCharacter) {
    struct Row { const char* dst; TextArg src; const char* expected; };
    const Row rows[] = {
        {"", "", ""}, {"ab", "", "ab"}, {"", "cd", "cd"}, {"ab", "cd", "abcd"},
        {"ab", 'c', "abc"}, {"ab", 0, "ab"}, {"ab", 0x85, "ab\x85"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        char dst[16];
        std::strcpy(dst, row.dst);
        text_append(dst, row.src);
        EXPECT_STREQ(dst, row.expected);
    }
}

TEST(TextFind, FindsTheLeftmostWholeNeedle) {
    struct Row { const char* text; TextArg needle; int position; };  // -1: null
    const Row rows[] = {
        {"", "a", -1}, {"abc", "", -1}, {"abc", 0, -1}, {"a", "a", 0},
        {"abcabc", "bc", 1}, {"abcabc", 'c', 2}, {"ab", "abc", -1}, {"aab", "ab", 1},
        {"x(VIP) (", "(VIP) (", 1}, {"caf\xE9", 0xE9, 3}, {"abc", "abd", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const char* found = text_find(row.text, row.needle);
        if (row.position < 0)
            EXPECT_EQ(found, nullptr);
        else
            EXPECT_EQ(found, row.text + row.position);
    }
}

TEST(TextCompare, ComparesUnsignedBytes) {
    struct Row { const char* a; const char* b; int expected; };
    const Row rows[] = {
        {"", "", 0}, {"", "a", -1}, {"a", "", 1}, {"ab", "abc", -1}, {"b", "a", 1},
        {"abc", "abc", 0}, {"\xE9", "z", 1}, {"09:05", "23:59", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.a) + " vs " + row.b);
        EXPECT_EQ(text_compare(row.a, row.b), row.expected);
    }
}

TEST(TextCompareN, LooksAtNoMoreThanNCharacters) {
    struct Row { const char* a; const char* b; int32_t n; int expected; };
    const Row rows[] = {
        {"abcX", "abcY", 3, 0}, {"abcX", "abcY", 4, -1}, {"b", "a", 0, 1},
        {"ab", "ax", 1, 0}, {"ab", "ab", 10, 0}, {"a", "ab", 2, -1}, {"", "", 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.n);
        EXPECT_EQ(text_compare_n(row.a, row.b, row.n), row.expected);
    }
}

TEST(TextInsertFront, PutsTextInFront) {
    struct Row { const char* dst; TextArg src; const char* expected; };
    const Row rows[] = {
        {"9:15", '0', "09:15"}, {"abc", "", "abc"}, {"abc", 0, "abc"},
        {"", "xy", "xy"}, {"c", "ab", "abc"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        char dst[16];
        std::strcpy(dst, row.dst);
        text_insert_front(dst, row.src);
        EXPECT_STREQ(dst, row.expected);
    }
}

TEST(TextUpper, ChangesOnlyAsciiLowerCase) {
    char t[] = "az AZ 09 _{} \xE9\xFF\x85 mixed";
    text_upper(t);
    EXPECT_STREQ(t, "AZ AZ 09 _{} \xE9\xFF\x85 MIXED");
}

TEST(Trim, RemovesBlanksAtEitherEnd) {
    struct Row { const char* text; const char* leading; const char* trailing; };
    const Row rows[] = {
        {"", "", ""}, {" ", "", ""}, {" \t\r\n\v\f", "", ""}, {"a", "a", "a"},
        {"  a b  ", "a b  ", "  a b"}, {"\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        char t[16];
        std::strcpy(t, row.text);
        trim_leading(t);
        EXPECT_STREQ(t, row.leading);
        std::strcpy(t, row.text);
        trim_trailing(t);
        EXPECT_STREQ(t, row.trailing);
    }
}

TEST(SkipBlanks, StopsAtTheFirstNonBlankOrTheNul) {
    const char t[] = " \t\r\n";
    EXPECT_EQ(skip_blanks(t), t + 4);
    const char u[] = "  x";
    EXPECT_EQ(skip_blanks(u), u + 2);
}

TEST(MoveBytes, MatchesACopyThroughASeparateBuffer) {
    struct Row { int from, to, count; };
    const Row rows[] = {
        {8, 16, 16}, {16, 8, 16}, {8, 10, 13}, {10, 8, 13}, {9, 11, 7},
        {11, 9, 7}, {4, 4, 8}, {0, 8, 0}, {0, 8, -3}, {3, 4, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.from) + "->" + std::to_string(row.to));
        alignas(4) char buf[48];
        for (int i = 0; i < 48; ++i) buf[i] = static_cast<char>('A' + i);
        char expected[48];
        std::memcpy(expected, buf, sizeof buf);
        if (row.count > 0) std::memmove(expected + row.to, buf + row.from, row.count);
        move_bytes(buf + row.from, buf + row.to, row.count);
        EXPECT_EQ(std::memcmp(buf, expected, sizeof buf), 0);
    }
}

}  // namespace
