// Scrambled literals: the stored form decodes once, in place, and only inside the pool.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "literals.h"
#include "text/keystream.h"
#include "text/text.h"

namespace {

// The stored form as the build's encoder writes it.
std::string scramble(const std::string& plain) {
    std::string out(1, '\0');
    uint16_t s = keystream::kSeed;
    uint8_t check = 0;
    for (unsigned char p : plain) {
        s = keystream::advance(s);
        uint8_t k = keystream::key_byte(s);
        uint8_t b = static_cast<uint8_t>(p + k);
        if (b == 0) b = k;
        check ^= b;
        out += static_cast<char>(b);
    }
    out[0] = static_cast<char>(0x80 + (check & 0x1F));
    return out;
}

uint8_t key_at(int position) {
    uint16_t s = keystream::kSeed;
    for (int i = 0; i <= position; ++i) s = keystream::advance(s);
    return keystream::key_byte(s);
}

TEST(Literal, DecodesOnFirstUseInPlaceAndOnlyOnce) {
    char* t = kKind7Keyword;  // used by nothing else in this suite
    uint8_t marker = static_cast<uint8_t>(t[0]);
    EXPECT_GE(marker, 0x80);
    EXPECT_LE(marker, 0x9F);
    EXPECT_EQ(text_length(t), 5);
    EXPECT_STREQ(t, "Alarm");
    EXPECT_EQ(t[6], 0) << "the stored form's own NUL stays behind the plain NUL";
    EXPECT_EQ(decode_literal(static_cast<const char*>(t)), t);
    EXPECT_STREQ(t, "Alarm");
}

TEST(Literal, EveryLiteralOfTheTableDecodesToItsDeclaredLength) {
    struct Row { char* text; int32_t length; };
    const Row rows[] = {
        {kBannerText, 52}, {kShortWriteFmt, 111}, {kFractionPadText, 10},
        {kHexDigitsText, 16}, {kPartySeparator, 4}, {kCrashSeparatorText, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.length);
        EXPECT_EQ(text_length(row.text), row.length);
        EXPECT_EQ(text_length(row.text), row.length) << "second use changes nothing";
    }
    EXPECT_STREQ(kFractionPadText, "0000000000");
    EXPECT_STREQ(kHexDigitsText, "0123456789ABCDEF");
}

TEST(Literal, FailedCheckInsideThePoolLeavesTheBytesAlone) {
    char* t = kKind9Keyword;  // used by nothing else in this suite
    std::string before(t, 17);
    t[0] = static_cast<char>(t[0] ^ 1);
    decode_literal(static_cast<const char*>(t));
    EXPECT_EQ(std::memcmp(t + 1, before.data() + 1, 16), 0);
    t[0] = before[0];
    EXPECT_STREQ(decode_literal(static_cast<const char*>(t)), "Operator login:");
}

TEST(Literal, TextOutsideThePoolIsNeverDecodedEvenWhenItPassesTheCheck) {
    std::string stored = scramble("a log line");
    std::string copy = stored;
    ASSERT_EQ(unscramble_text(copy.data()), 0) << "the text would pass the check";
    EXPECT_STREQ(copy.c_str(), "a log line");

    std::string line = stored;
    EXPECT_EQ(text_length(line.c_str()), static_cast<int32_t>(stored.size()));
    char dst[32];
    text_copy(dst, line.c_str());
    EXPECT_EQ(std::string(dst), stored);
    EXPECT_EQ(line, stored) << "primitives left the input text untouched";
}

TEST(Literal, CharacterValuesAndPlainTextsComeBackUnchanged) {
    for (uintptr_t v : {uintptr_t{1}, uintptr_t{10}, uintptr_t{0x85}, uintptr_t{255}}) {
        SCOPED_TRACE(v);
        TextArg arg(static_cast<unsigned char>(v));
        EXPECT_EQ(decode_literal(arg).word, v);
    }
    char plain[] = "plain";
    EXPECT_EQ(decode_literal(static_cast<const char*>(plain)), plain);
    EXPECT_STREQ(plain, "plain");
}

TEST(Unscramble, RoundTripsEveryByteAndTheKeyEqualsStoredCase) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        if (c < 0x80 || c > 0x9F || !all.empty()) all += static_cast<char>(c);
    // A character whose stored byte would be 0 is stored as its key byte.
    std::string zero_case = "a";
    zero_case += static_cast<char>(256 - key_at(1));
    struct Row { const char* name; std::string plain; };
    const Row rows[] = {
        {"one character", "x"}, {"marker-range single byte", std::string(1, '\x85')},
        {"every byte", all}, {"stored equals key", zero_case}, {"1023 characters", std::string(1023, 'q')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string buf = scramble(row.plain);
        buf += '\0';
        ASSERT_EQ(unscramble_text(buf.data()), 0);
        EXPECT_EQ(std::string(buf.c_str()), row.plain);
    }
}

TEST(Unscramble, RefusesUnmarkedShortAndMismatchedTexts) {
    char plain[] = "abc";
    EXPECT_EQ(unscramble_text(plain), 2);
    EXPECT_STREQ(plain, "abc");
    char single[] = "\x85";
    EXPECT_EQ(unscramble_text(single), 2);
    EXPECT_EQ(single[0], '\x85');
    std::string bad = scramble("check");
    bad[0] = static_cast<char>(bad[0] ^ 0x10);
    std::string copy = bad;
    EXPECT_EQ(unscramble_text(copy.data()), 1);
    EXPECT_EQ(copy, bad);
}

}  // namespace
