// Tests of the formatter: the directive language, its quirks, and output cut to the destination.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "literals.h"
#include "text/digits.h"
#include "text/format.h"

namespace {

using Words = std::vector<uintptr_t>;

// The argument words of a call, built the way format_into builds them.
template <class... A>
Words args(A... a) {
    uintptr_t buf[2 * sizeof...(A) + 1];
    format_detail::WordList list{buf, 0};
    (format_detail::put(list, a), ...);
    return Words(buf, buf + list.count);
}

// Formats into a roomy buffer; the returned length must agree with the text.
std::string expand(const char* format, const Words& words) {
    char buf[4096];
    int32_t n = format_text(buf, sizeof buf, format, FormatArgs{words.data(),
                                                                static_cast<int32_t>(words.size())});
    EXPECT_EQ(n, static_cast<int32_t>(std::string(buf).size()));
    return buf;
}

std::string zeros(int n) { return std::string(n, '0'); }

struct Row {
    const char* format;
    Words words;
    std::string expected;
};

const int64_t kMin64 = INT64_MIN;

std::vector<Row> language_rows() {
    return {
        {"%u]", args(42), "42]"}, {"%5u", args(42), "   42"}, {"%05u", args(42), "00042"},
        {"%2u", args(12345), "12345"}, {"%5U", args(42), "42   "}, {"%05U", args(42), "42000"},
        {"%5i", args(-42), "  -42"}, {"%05i", args(-42), "00-42"}, {"%+05u", args(42), "00+42"},
        {"%05I", args(-7), "-7000"}, {"%5I", args(-7), "-7   "},
        {"%i", args(0x80000000u), "-2147483648"}, {"%u", args(0x80000000u), "2147483648"},
        {"%~i", args(Wide(kMin64)), "-9223372036854775808"},
        {"%~u", args(Wide(~uint64_t(0))), "18446744073709551615"},
        {"%L", args(-7), "-7"}, {"%l", args(-7), "-7"},
        {"%b", args(10), "1010"}, {"%b", args(0), "0"},
        {"%~b", args(Wide(uint64_t(1) << 40)), "1" + zeros(40)},
        {"%x", args(4096), "1000"}, {"%y", args(4096), "1000"},
        {"%~x", args(Wide(uint64_t(1) << 32)), "100000000"},
        {"%,u", args(1234), "1234"}, {"%,u", args(12345), "12,345"},
        {"%,u", args(1234567), "1,234,567"},
        {"%,~u", args(Wide(uint64_t(12345678901234))), "12,345,678,901,234"},
        {"%;u", args(1234), "1,234"}, {"%;u", args(123), "123"},
        {"%,i", args(-1234), "-1234"}, {"%,i", args(-12345), "-12,345"},
        {"%;i", args(-1234), "-1,234"}, {"%+,u", args(1234), "+1234"},
        {"%+,i", args(12345), "+12,345"}, {"%,.1u", args(12345), "1234.5"},
        {"%,.1u", args(123456), "12,345.6"}, {"%,.1i", args(-12345), "-1,234.5"},
        {"%,.2i", args(-1234), "-12.34"}, {"%,.2i", args(-123456), "-1,234.56"},
        {"%;.2i", args(-12345), "-123.45"}, {"%10.2,u", args(123456789), "1,234,567.89"},
        {"%.2u", args(5), "0.05"}, {"%.2i", args(-5), "-0.05"},
        {"%.25u", args(5), "0." + zeros(24) + "5"},
        {"%8.2u", args(12345), "  123.45"}, {"%8.02u", args(12345), "00123.45"},
        {"%08.2u", args(12345), "  123.45"}, {"%3.u", args(12345), "12.345"},
        {"%.u", args(12345), "12345"}, {"%5.3.u", args(1234567), "1234.567"},
        {"%8.2I", args(-5), "-0.05   "}, {"%+u", args(5), "+5"}, {"%+u", args(0), "0"},
        {"%+i", args(-5), "-5"}, {"%+.1u", args(0), "0.0"}, {"%+.1u", args(3), "+0.3"},
        {"%-u%%", args(0), "- "}, {"%-u%%", args(3), "3%"}, {"% u%%", args(0), "  "},
        {"%-u x %%", args(0), "- x  "}, {"%- u", args(0), "-"},
        {"%-5u", args(0), "    -"}, {"%-5U", args(0), "-    "}, {"%-05u", args(0), "    -"},
        {"%u %4p]%u %4p]", args(1, 2), "1 es]2 ]"}, {"%u %5p]%u %5p]", args(1, 2), "1 s]2 ]"},
        {"%u %3p", args(1), "1 y"}, {"%i %4p", args(-1), "-1 "}, {"%.1u %4p", args(1), "0.1 es"},
        {"%u%-u %4p", args(1, 0), "1- es"},
        {"%s", args(65), "A"}, {"%5s", args(66), "    B"}, {"%5S", args(67), "C    "},
        {"%*u]%u]", args(6, 42, 7), "    42]7]"},
        {"%*~u]%u]", args(3, Wide(uint64_t(5)), 7), "  5]7]"},
        {"%~s]%u]", args(65, 0, 9), "A]9]"}, {"%~u %u]", args(Wide(uint64_t(5)), 7), "5 7]"},
        {"%*5u]", args(3, 9), "  ?5u]"}, {"%*,5u]", args(3, 9), "    9]"},
        {"%5,u", args(12345), "12,345"}, {"%,5u", args(12345), "12,345"},
        {"%q]", args(), "?q]"}, {"%5q]", args(), "    ?q]"}, {"%~q%u]", args(9, 8), "?q8]"},
        {"%5", args(), "    ?"}, {"%*", args(4), "   ?"},
        {"%", args(), ""}, {"%~", args(), ""}, {"%5.", args(), ""},
        {"a%%b", args(), "a%b"}, {"ab  \t%wX]", args(), "abX]"}, {"   %w]", args(), "]"},
        // Beyond the table above: texts, hex letters taken as the sign, upper-case unknowns.
        {"%s|%5s|%-5S|", args("abc", "de", "fg"), "abc|   de|fg   |"}, {"[%s]", args(0), "[]"},
        {"%+x", args(0xAB), "+AB"}, {"%.2x", args(0xABC), "A0.BC"},
        {"%,x", args(0xABCDE), "ABCDE"}, {"%,x", args(0xABCDEF), "ABC,DEF"},
        {"%05x", args(0xAB), "000AB"}, {"%5Q]", args(), "?    Q]"},
        {"%*u|%*u", args(1024, 1, 0, 2), std::string(1023, ' ') + "1|2"},
        {"%,.0u", args(12345), "12,345"},
        // Fewer words than directives: the missing ones read as 0.
        {"%u %s %~x]%s", args(), "0  0]"},
        // %w removes blanks that never fitted, and the cut text comes back.
        {"ab%99999999s%w]", args(0), "ab]"}, {"ab%99999999U%w]", args(7), "ab7]"},
        // %v: control characters but TAB in caret notation; high bytes as they are.
        {"%v]", args("a\x1b[31mb"), "a^[[31mb]"}, {"%v]", args("x\ny\tz\x7f"), "x^Jy\tz^?]"},
        {"%v]", args("\x01\x1f\r"), "^A^_^M]"}, {"%v]", args("caf\xE9\x9b"), "caf\xE9\x9b]"},
        {"%v]", args('\n'), "^J]"}, {"%v]", args(0), "]"}, {"%v %u]", args("p", 5), "p 5]"},
        {"%5v]", args("\x1b"), "   ^[]"}, {"%5V]", args("\x1b"), "^[   ]"},
        // a precision bounds the characters shown, and a caret pair is never split
        {"%.3v]", args("a\x1b" "b"), "a^[]"}, {"%.2v]", args("a\x1b" "b"), "a]"},
        {"%.2v%w]", args("a \x01"), "a]"},
    };
}

TEST(FormatText, DirectiveLanguage) {
    for (const Row& row : language_rows()) {
        SCOPED_TRACE(row.format);
        EXPECT_EQ(expand(row.format, row.words), row.expected);
    }
}

// Every row cut at every capacity gives its full text cut to capacity - 1 and a NUL, and never
// touches a byte at or past the capacity (nor, without %w, one after the NUL).
TEST(FormatText, CutsEveryRowAtEveryCapacity) {
    for (const Row& row : language_rows()) {
        std::string full = expand(row.format, row.words);
        bool trims = std::string(row.format).find("%w") != std::string::npos;
        for (size_t cap = 1; cap <= full.size() + 2; ++cap) {
            SCOPED_TRACE(std::string(row.format) + " capacity " + std::to_string(cap));
            std::vector<char> buf(cap + 8, 'x');
            int32_t n = format_text(buf.data(), static_cast<int32_t>(cap), row.format,
                                    FormatArgs{row.words.data(), static_cast<int32_t>(row.words.size())});
            std::string kept = full.substr(0, cap - 1);
            ASSERT_EQ(n, static_cast<int32_t>(kept.size()));
            EXPECT_EQ(std::string(buf.data()), kept);
            for (size_t i = trims ? cap : kept.size() + 1; i < buf.size(); ++i)
                ASSERT_EQ(buf[i], 'x') << "byte " << i;
        }
    }
}

TEST(FormatText, CanaryAroundCutOutput) {
    char buf[16];
    for (char& c : buf) c = 'x';
    EXPECT_EQ(format_into(buf, 8, "%s and %s", "first line", "second"), 7);
    EXPECT_EQ(std::string(buf), "first l");
    EXPECT_EQ(std::string(buf + 8, 8), std::string(8, 'x'));
    EXPECT_EQ(format_into(buf, 1, "%u", 12345), 0);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(buf[1], 'i');
}

// A warning that quotes two longest log lines is longer than its 2048-byte buffer.
TEST(FormatText, TwoLongLinesIntoAWarningBuffer) {
    std::string a(1023, 'a'), b(1023, 'b');
    std::vector<char> buf(2048 + 8, 'x');
    const char* format = "time runs backward:\n   %s\n-> %s\n";
    std::string full = "time runs backward:\n   " + a + "\n-> " + b + "\n";
    EXPECT_EQ(format_into(buf.data(), 2048, format, a.c_str(), b.c_str()), 2047);
    EXPECT_EQ(std::string(buf.data()), full.substr(0, 2047));
    EXPECT_EQ(std::string(buf.data() + 2048, 8), std::string(8, 'x'));
}

std::string repeated(const std::string& piece, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += piece;
    return out;
}

// Without a precision %v shows at most 1023 characters, or as many as the text has bytes:
// caret notation makes no text longer than that, and a text without control characters is
// shown whole.
TEST(FormatText, ShownTextIsBoundByItsOwnLengthOr1023) {
    std::string escapes(1023, '\x1b');
    EXPECT_EQ(expand("%v", args(escapes.c_str())), repeated("^[", 511));
    std::string plain_text(1500, 'p');
    EXPECT_EQ(expand("%v", args(plain_text.c_str())), plain_text);
    std::string mixed = std::string(1000, 'm') + std::string(100, '\n');
    EXPECT_EQ(expand("%v", args(mixed.c_str())), std::string(1000, 'm') + repeated("^J", 50));
}

// The messages that quote log lines fit the console's 2047 characters whole, line end
// included, however many control characters the lines hold.
TEST(FormatText, QuotedLinesFitTheConsoleBuffer) {
    std::string line(1000, '\x1b');  // the time warning quotes at most 1000 bytes of each line
    std::vector<char> buf(2048);
    int32_t n = format_into(buf.data(), 2048, kTimeBackwardsFmt, line.c_str(), line.c_str());
    EXPECT_LT(n, 2047);
    EXPECT_EQ(std::string(buf.data()).substr(n - 7), "^[^[^[\n");
    EXPECT_NE(std::string(buf.data()).find("^[\n-> ^["), std::string::npos);
    std::string raw(1023, '\x7f');
    n = format_into(buf.data(), 2048, kParseErrorFmt, 11, Wide(~uint64_t(0)), raw.c_str());
    EXPECT_LT(n, 2047);
    EXPECT_EQ(std::string(buf.data()).substr(n - 3), "^?\n");
}

// Widths and decimals far beyond the destination cost only its room.
TEST(FormatText, HugeWidthsAndDecimalsAreCut) {
    struct Case {
        const char* format;
        std::string expected;
    } cases[] = {
        {"%99999999u", std::string(63, ' ')},
        {"%99999999U", "42" + std::string(61, ' ')},
        {"%.99999u", "0." + zeros(61)},
        {"%.2147483647u", "0." + zeros(61)},
        {"%99999999999999u", std::string(63, ' ')},
        {"%,;.2147483647~I%u", "0." + zeros(61)},
        {"%2147483647.99999999999u", "0." + zeros(61)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        char buf[80];
        for (char& b : buf) b = 'x';
        EXPECT_EQ(format_into(buf, 64, c.format, 42), 63);
        EXPECT_EQ(std::string(buf), c.expected.substr(0, 63));
        EXPECT_EQ(buf[64], 'x');
    }
}

TEST(FormatText, StepsOverTextAlreadyThere) {
    struct Case {
        const char* before;
        int32_t capacity;
        const char* format;
        std::string expected;
    } cases[] = {
        {"pre", 16, "%>Y", "preY"},  {"pre", 4, "%>Y", "pre"},    {"prefix", 4, "%>Y", "pre"},
        {"xyz", 16, "ab%>!", "abz!"}, {"pre   ", 16, "%>%w]", "pre]"},
        {"", 16, "%>%>a", "a"},       {"xxxxxxxxxxxxxxx", 5, "%>a", "xxxx"},
        // A conversion ends its text, so nothing is left to step over after it.
        {"pre", 16, "%u%>!", "0!"},
        // Text that goes on past the destination is not trimmed into; text that fits is.
        {"pr  xyz", 5, "%>%w", "pr  "}, {"pr  ", 5, "%>%w", "pr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " over " + c.before);
        char buf[32];
        for (char& b : buf) b = '#';
        std::string(c.before).copy(buf, sizeof buf);
        buf[std::string(c.before).size()] = '\0';
        EXPECT_EQ(format_text(buf, c.capacity, c.format, FormatArgs{nullptr, 0}),
                  static_cast<int32_t>(c.expected.size()));
        EXPECT_EQ(std::string(buf), c.expected);
    }
}

// A * width outside 0..1024 puts the bad-width text where the value begins; the value follows.
TEST(FormatText, ReportsBadStarWidths) {
    for (int32_t width : {-1, 1025, INT32_MIN}) {
        SCOPED_TRACE(width);
        std::string report = expand(kBadWidthFmt, args(width));
        EXPECT_NE(report.find(std::to_string(width)), std::string::npos);
        EXPECT_EQ(expand("[%*u]%u", args(width, 7, 8)), "[" + report + "7]8");
        char buf[8];
        EXPECT_EQ(format_into(buf, sizeof buf, "[%*u]", width, 7), 7);
        EXPECT_EQ(std::string(buf), ("[" + report).substr(0, 7));
    }
}

TEST(FormatText, PluralEndings) {
    std::string ending = decode_literal(kPluralEndingText);
    ASSERT_EQ(ending.size(), 3u);
    EXPECT_EQ(expand("%u %1p|%2p|%3p|%4p|%5p|%6p|%0p", args(2)),
              "2 " + ending.substr(2) + "|" + ending.substr(1) + "|" + ending + "||||");
    EXPECT_EQ(expand("%u %1p|%2p|%6p|%0p", args(1)), "1 |||");
    EXPECT_EQ(expand("%3p", args()), ending);
}

// A pointer, a 64-bit value, a negative int and a char each land in their own words; the
// unknown %c takes none.
TEST(FormatText, FormatIntoPassesEveryKindOfArgument) {
    char buf[64];
    const char* name = "call";
    EXPECT_EQ(format_into(buf, sizeof buf, "%s=%~u %i %c%s", name, Wide(uint64_t(1) << 33), -3,
                          'x'),
              22);
    EXPECT_EQ(std::string(buf), "call=8589934592 -3 ?cx");
}

// A character argument is its unsigned byte: a high one sign-extended would be a word that
// %s takes for a pointer.
TEST(FormatText, CharacterArgumentsAreUnsignedBytes) {
    const struct {
        const char* format;
        char c;
        std::string expected;
    } rows[] = {
        {"%s", 'a', "a"},
        {"%s", '\x7F', "\x7F"},
        {"%s", '\x80', "\x80"},
        {"%s", '\xE9', "\xE9"},
        {"%s", '\xFF', "\xFF"},
        {"%u", '\xE9', "233"},
        {"%s", '\0', ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        char buf[64];
        format_into(buf, sizeof buf, row.format, row.c);
        EXPECT_EQ(std::string(buf), row.expected);
        format_into(buf, sizeof buf, row.format, static_cast<signed char>(row.c));
        EXPECT_EQ(std::string(buf), row.expected);
        format_into(buf, sizeof buf, row.format, TextArg(row.c));
        EXPECT_EQ(std::string(buf), row.expected);
    }
}

TEST(DigitConverters, Extremes) {
    using Converter = void (*)(uint32_t, uint32_t, char*);
    struct Case {
        Converter convert;
        uint32_t low, high;
        std::string expected;
    } cases[] = {
        {format_signed, 0, 0x80000000u, "-9223372036854775808"},
        {format_signed, 0xFFFFFFFFu, 0x7FFFFFFFu, "9223372036854775807"},
        {format_signed, 0xFFFFFFFFu, 0xFFFFFFFFu, "-1"},
        {format_signed, 0, 0, "0"},
        {format_unsigned, 0xFFFFFFFFu, 0xFFFFFFFFu, "18446744073709551615"},
        {format_unsigned, 0, 0, "0"},
        {format_hex, 0xFFFFFFFFu, 0xFFFFFFFFu, "FFFFFFFFFFFFFFFF"},
        {format_hex, 0xEF, 0, "EF"},
        {format_binary, 0, 1u << 8, "1" + zeros(40)},
        {format_binary, 0xFFFFFFFFu, 0xFFFFFFFFu, std::string(64, '1')},
        {format_binary, 0, 0, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        char buf[80];
        c.convert(c.low, c.high, buf);
        EXPECT_EQ(std::string(buf), c.expected);
    }
}

}  // namespace
