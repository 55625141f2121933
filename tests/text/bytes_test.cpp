// The block-at-a-time byte searches and compares: one table of cases per primitive, and for
// every search a differential run against a plain loop over random short buffers. Each range
// is followed by exactly the slack a search may read, filled with what the search looks for,
// so that a match reported past the range shows and a read past the slack trips the sanitizer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "text/bytes.h"

namespace {

// A string of the bytes of a literal, NULs included.
template <size_t N>
std::string raw(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// k filler characters that no needle below contains.
std::string dots(int32_t k) { return std::string(k, '.'); }

const std::string kMax = dots(1023);
const std::string kMaxPlusOne = dots(1024);

// A searched range in heap storage of its own: its bytes, then exactly kSearchSlack bytes of
// slack repeating slack (a read past them is a heap overflow the sanitizer reports).
class Range {
public:
    Range(const std::string& text, const std::string& slack)
        : bytes_(text.size() + kSearchSlack), size_(static_cast<int32_t>(text.size())) {
        std::copy(text.begin(), text.end(), bytes_.begin());
        for (int32_t k = 0; k < kSearchSlack; ++k) bytes_[size_ + k] = slack[k % slack.size()];
    }
    const char* data() const { return bytes_.data(); }
    int32_t size() const { return size_; }
    // The offset of a position the search returned, -1 for null.
    int32_t at(const char* found) const {
        return found ? static_cast<int32_t>(found - data()) : -1;
    }

private:
    std::vector<char> bytes_;
    int32_t size_;
};

// The lane count is a template argument: these pick the instance at run time.
const char* find_in_lanes(int32_t lanes, const char* t, int32_t n, const ByteSet& set) {
    switch (lanes) {
        case 1: return find_in_set<1>(t, n, set);
        case 2: return find_in_set<2>(t, n, set);
        case 3: return find_in_set<3>(t, n, set);
        case 4: return find_in_set<4>(t, n, set);
        case 5: return find_in_set<5>(t, n, set);
        case 6: return find_in_set<6>(t, n, set);
        case 7: return find_in_set<7>(t, n, set);
        default: return find_in_set<8>(t, n, set);
    }
}

template <class Visit>
const char* for_each_in_lanes(int32_t lanes, const char* t, int32_t n, const ByteSet& set,
                              Visit visit) {
    switch (lanes) {
        case 1: return for_each_in_set<1>(t, n, set, visit);
        case 2: return for_each_in_set<2>(t, n, set, visit);
        case 3: return for_each_in_set<3>(t, n, set, visit);
        case 4: return for_each_in_set<4>(t, n, set, visit);
        case 5: return for_each_in_set<5>(t, n, set, visit);
        case 6: return for_each_in_set<6>(t, n, set, visit);
        case 7: return for_each_in_set<7>(t, n, set, visit);
        default: return for_each_in_set<8>(t, n, set, visit);
    }
}

// The positions for_each_in_set visits, visit refusing the one at stop_at (-1: none).
std::vector<int32_t> visited(const Range& range, const std::string& set, int32_t lanes,
                             int32_t stop_at, int32_t* stopped) {
    std::vector<int32_t> out;
    ByteSet bytes = byte_set(set.data(), static_cast<int32_t>(set.size()));
    const char* at = for_each_in_lanes(lanes, range.data(), range.size(), bytes,
                                       [&](const char* p) {
                                           out.push_back(range.at(p));
                                           return range.at(p) != stop_at;
                                       });
    *stopped = range.at(at);
    return out;
}

// ---- plain loops the searches must agree with ----

int32_t naive_find(const std::string& t, int32_t n, const std::string& needle) {
    int32_t m = static_cast<int32_t>(needle.size());
    for (int32_t i = 0; i + m <= n; ++i)
        if (t.compare(i, m, needle) == 0) return i;
    return -1;
}

int32_t naive_find_in(const std::string& t, int32_t n, const std::string& set) {
    for (int32_t i = 0; i < n; ++i)
        if (set.find(t[i]) != std::string::npos) return i;
    return -1;
}

const std::string kBlanks = "\t\n\v\f\r ";

// Random short buffers over a few bytes that matter to the line pipeline; the slack is drawn
// from the same bytes, so it often holds what is searched for.
class RandomBytes {
public:
    explicit RandomBytes(uint32_t seed) : engine_(seed) {}
    int32_t below(int32_t k) { return static_cast<int32_t>(engine_() % static_cast<uint32_t>(k)); }
    std::string text(int32_t length) {
        static const std::string kAlphabet = raw("\0 (-a\t\r");
        std::string out;
        int32_t size = static_cast<int32_t>(kAlphabet.size());
        for (int32_t i = 0; i < length; ++i) out += kAlphabet[below(size)];
        return out;
    }

private:
    std::mt19937 engine_;
};

const int kRandomRuns = 3000;
const int32_t kRandomLength = 70;  // a few blocks

// ---- find_byte ----

TEST(FindByte, FindsTheFirstOccurrenceInRangeOnly) {
    struct Row {
        const char* what;
        std::string text;
        char c;
        int32_t expected;
    };
    const Row rows[] = {
        // empty and one
        {"empty", "", 'a', -1},
        {"one, found", "a", 'a', 0},
        {"one, absent", ".", 'a', -1},
        // the first of several, across blocks
        {"first of two in a block", "..a.a", 'a', 2},
        {"first of two blocks", dots(5) + "a" + dots(20) + "a", 'a', 5},
        {"only in the second block", dots(20) + "a", 'a', 20},
        // block boundary
        {"at 14 of 15", dots(14) + "a", 'a', 14},
        {"absent from 15", dots(15), 'a', -1},
        {"at 15 of 16", dots(15) + "a", 'a', 15},
        {"absent from 16", dots(16), 'a', -1},
        {"at 16 of 17", dots(16) + "a", 'a', 16},
        {"absent from 17", dots(17), 'a', -1},
        {"at 31 of 32", dots(31) + "a", 'a', 31},
        // NUL is an ordinary byte, and bytes above 127 are found as such
        {"NUL needle", raw("ab\0c"), '\0', 2},
        {"past a NUL", raw("\0\0b"), 'b', 2},
        {"byte 0x85", "..\x85", '\x85', 2},
        {"0x85 is not 0x05", "..\x05", '\x85', -1},
        // maximum and maximum + 1
        {"last of the maximum", kMax.substr(1) + "a", 'a', 1022},
        {"absent from the maximum", kMax, 'a', -1},
        {"last of maximum + 1", kMax + "a", 'a', 1023},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Range range(row.text, std::string(1, row.c));
        EXPECT_EQ(range.at(find_byte(range.data(), range.size(), row.c)), row.expected);
    }
}

TEST(FindByte, AgreesWithAPlainLoop) {
    RandomBytes random(101);
    for (int run = 0; run < kRandomRuns; ++run) {
        std::string text = random.text(random.below(kRandomLength));
        std::string c = random.text(1);
        SCOPED_TRACE(testing::Message() << "run " << run << ", " << text.size() << " bytes");
        Range range(text, random.text(kSearchSlack));
        ASSERT_EQ(range.at(find_byte(range.data(), range.size(), c[0])),
                  naive_find(text, range.size(), c));
    }
}

// ---- find_bytes ----

TEST(FindBytes, FindsTheFirstWholeNeedleInRangeOnly) {
    struct Row {
        const char* what;
        std::string text;
        std::string slack;  // what follows the range
        std::string needle;
        int32_t expected;
    };
    const std::string kLong = "(-abcdefghijklmnopq";  // 19 bytes: three word groups
    const Row rows[] = {
        // empty, shorter than the needle, and the needle alone
        {"empty", "", "ab", "ab", -1},
        {"one byte, the rest in the slack", "a", "b", "ab", -1},
        {"the needle alone", "ab", "ab", "ab", 0},
        {"one byte short", "ab", "c", "abc", -1},
        // candidates that fail before the match, overlapping starts
        {"first two bytes only", "ab.abc", "abc", "abc", 3},
        {"overlapping start", "aab", "ab", "ab", 1},
        {"overlapping repeat", "aaab", "aab", "aab", 1},
        {"many failed candidates", std::string(20, '(') + "-", "(-", "(-", 19},
        {"the first of two", "..ab.ab", "ab", "ab", 2},
        {"the first of two blocks", dots(3) + "ab" + dots(20) + "ab", "ab", "ab", 3},
        // the candidate's second byte in the next block
        {"starts at 14 of 16", dots(14) + "ab", "ab", "ab", 14},
        {"starts at 15 of 17", dots(15) + "ab", "ab", "ab", 15},
        {"starts at 16 of 18", dots(16) + "ab", "ab", "ab", 16},
        {"starts at 15 of 18, three bytes", dots(15) + "abc", "abc", "abc", 15},
        // the last start that fits, and one past it with the rest in the slack
        {"ends at 16", dots(13) + "abc", "abc", "abc", 13},
        {"would end at 17", dots(14) + "ab", "c", "abc", -1},
        {"would end at 18", dots(16) + "a", "bc", "abc", -1},
        {"would end at 33", dots(31) + "ab", "cd", "abcd", -1},
        {"only in the slack", dots(16), "ab", "ab", -1},
        // NUL is an ordinary byte, in the text and in the needle
        {"NUL in the needle", raw("a\0ba\0c"), "a", raw("a\0c"), 3},
        {"NUL before the match", raw("\0\0ab"), "ab", "ab", 2},
        {"needle of NULs", raw("a\0\0"), raw("\0"), raw("\0\0"), 1},
        // long needles compared in word groups
        {"long needle, last byte differs", kLong.substr(0, 18) + "x" + kLong, kLong, kLong, 19},
        {"long needle, middle differs", "(-abcdefgXijklmnopq" + kLong, kLong, kLong, 19},
        {"long needle cut by the end", "." + kLong.substr(0, 18), kLong.substr(18), kLong, -1},
        // maximum and maximum + 1
        {"at the end of the maximum", kMax.substr(3) + "(-[", "(-[", "(-[", 1020},
        {"cut by the end of the maximum", kMax.substr(2) + "(-", "[", "(-[", -1},
        {"at the end of maximum + 1", kMax.substr(2) + "(-[", "(-[", "(-[", 1021},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Range range(row.text, row.slack);
        const char* found = find_bytes(range.data(), range.size(), row.needle.data(),
                                       static_cast<int32_t>(row.needle.size()));
        EXPECT_EQ(range.at(found), row.expected);
    }
}

TEST(FindBytes, AgreesWithAPlainLoop) {
    RandomBytes random(202);
    for (int run = 0; run < kRandomRuns; ++run) {
        std::string text = random.text(random.below(kRandomLength));
        std::string needle = random.text(2 + random.below(4));
        SCOPED_TRACE(testing::Message() << "run " << run << ", " << text.size() << " bytes");
        Range range(text, needle + random.text(kSearchSlack));
        const char* found = find_bytes(range.data(), range.size(), needle.data(),
                                       static_cast<int32_t>(needle.size()));
        ASSERT_EQ(range.at(found), naive_find(text, range.size(), needle));
    }
}

// ---- find_both ----

TEST(FindBoth, FindsTheFirstOfEachNeedleInRangeOnly) {
    struct Row {
        const char* what;
        std::string text;
        std::string slack;
        int32_t at_a, at_b;  // of the needles "(-" and " [x"
    };
    const Row rows[] = {
        // empty and one
        {"empty", "", "(- [x", -1, -1},
        {"one byte", "(", "- [x", -1, -1},
        // one, the other, both in either order
        {"only a", "..(-..", "(- [x", 2, -1},
        {"only b", ". [x", "(-", -1, 1},
        {"a before b", "(- [x", "(-", 0, 2},
        {"b before a", " [x(-", "(-", 3, 0},
        {"the first of each", "(- [x(- [x", "(- [x", 0, 2},
        {"a failed candidate of b first", " [y [x(-", "(-", 6, 3},
        // one found early, the other blocks later
        {"b two blocks after a", "(-" + dots(30) + " [x", "(- [x", 0, 32},
        {"a two blocks after b", " [x" + dots(30) + "(-", "(- [x", 33, 0},
        {"a again in a later block", "(-" + dots(20) + "(- [x", "(-", 0, 24},
        // at and across the block boundary and the end of the range
        {"a at 15 of 17", dots(15) + "(-", " [x", 15, -1},
        {"b at 15 of 18", dots(15) + " [x", "(-", -1, 15},
        {"b at 14, a at 17", dots(14) + " [x(-", "(-", 17, 14},
        {"a cut by the end", dots(16) + "(", "- [x", -1, -1},
        {"b cut by the end", dots(16) + " [", "x(-", -1, -1},
        {"both in the slack", dots(16), "(- [x", -1, -1},
        // NUL is an ordinary byte
        {"after NULs", raw("\0\0(-\0 [x"), "(- [x", 2, 5},
        // maximum and maximum + 1
        {"both at the end of the maximum", kMax.substr(5) + "(- [x", "(- [x", 1018, 1020},
        {"b cut by the end of the maximum", kMax.substr(4) + "(- [", "x", 1019, -1},
        {"both at the end of maximum + 1", kMax.substr(4) + "(- [x", "(- [x", 1019, 1021},
    };
    const Needle a{"(-", 2}, b{" [x", 3};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Range range(row.text, row.slack);
        const char* at_a = range.data() - 1;
        const char* at_b = range.data() - 1;
        find_both(range.data(), range.size(), a, b, &at_a, &at_b);
        EXPECT_EQ(range.at(at_a), row.at_a);
        EXPECT_EQ(range.at(at_b), row.at_b);
    }
}

TEST(FindBoth, AgreesWithAPlainLoop) {
    RandomBytes random(303);
    for (int run = 0; run < kRandomRuns; ++run) {
        std::string text = random.text(random.below(kRandomLength));
        std::string a = random.text(2 + random.below(3)), b = random.text(2 + random.below(3));
        SCOPED_TRACE(testing::Message() << "run " << run << ", " << text.size() << " bytes");
        Range range(text, random.text(kSearchSlack));
        const char *at_a, *at_b;
        find_both(range.data(), range.size(), Needle{a.data(), static_cast<int32_t>(a.size())},
                  Needle{b.data(), static_cast<int32_t>(b.size())}, &at_a, &at_b);
        ASSERT_EQ(range.at(at_a), naive_find(text, range.size(), a));
        ASSERT_EQ(range.at(at_b), naive_find(text, range.size(), b));
    }
}

// ---- byte_set, find_in_set and for_each_in_set ----

TEST(FindInSet, FindsTheFirstByteOfTheTestedLanesInRangeOnly) {
    struct Row {
        const char* what;
        std::string set;
        int32_t lanes;
        std::string text;
        int32_t expected;
    };
    const std::string kEight = raw("\n\r\0(-[a\x85");
    const Row rows[] = {
        // empty and one
        {"empty", "\n", 1, "", -1},
        {"one, found", "\n", 1, "\n", 0},
        {"one, absent", "\n", 1, ".", -1},
        // each lane counts, lanes past the tested ones do not
        {"the eighth value", kEight, 8, dots(9) + "\x85", 9},
        {"the first of several values", kEight, 8, "..-(\n", 2},
        {"the third of three lanes", kEight, 3, raw("..\0\n"), 2},
        {"a fourth value with three lanes", kEight, 3, "..(-", -1},
        {"the second value with one lane", kEight, 1, "..\r\n", 3},
        {"unused lanes repeat the first", "\n\r", 8, ". \r", 2},
        {"no stray NUL in unused lanes", "\n\r", 8, raw(".\0"), -1},
        // block boundary
        {"at 15 of 16", "\n\r", 2, dots(15) + "\r", 15},
        {"absent from 16", "\n\r", 2, dots(16), -1},
        {"at 16 of 17", "\n\r", 2, dots(16) + "\n", 16},
        {"absent from 17", "\n\r", 2, dots(17), -1},
        // maximum and maximum + 1
        {"last of the maximum", "\n\r", 2, kMax.substr(1) + "\n", 1022},
        {"absent from the maximum", "\n\r", 2, kMax, -1},
        {"last of maximum + 1", "\n\r", 2, kMax + "\r", 1023},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ByteSet set = byte_set(row.set.data(), static_cast<int32_t>(row.set.size()));
        Range range(row.text, row.set.substr(0, row.lanes));
        EXPECT_EQ(range.at(find_in_lanes(row.lanes, range.data(), range.size(), set)),
                  row.expected);
    }
}

TEST(ForEachInSet, VisitsEachMatchInOrderUntilRefused) {
    struct Row {
        const char* what;
        std::string text;
        int32_t stop_at;  // the position whose visit returns false, -1: none
        std::vector<int32_t> visits;
        int32_t returned;
    };
    const Row rows[] = {
        // empty, one, none
        {"empty", "", -1, {}, -1},
        {"one", "(", -1, {0}, -1},
        {"none", dots(40), -1, {}, -1},
        // every match, across blocks, up to the end of the range
        {"several in a block", "(.-(", -1, {0, 2, 3}, -1},
        {"across blocks", "(" + dots(14) + "-(" + dots(16) + "-", -1, {0, 15, 16, 33}, -1},
        {"the last at 15 of 16", dots(15) + "-", -1, {15}, -1},
        {"the last at 16 of 17", dots(16) + "(", -1, {16}, -1},
        // refused: the walk ends there
        {"refused first", "((((", 0, {0}, 0},
        {"refused in the second block", "(" + dots(16) + "((", 17, {0, 17}, 17},
        // maximum + 1
        {"the ends of maximum + 1", "(" + kMax.substr(1) + "-", -1, {0, 1023}, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Range range(row.text, "(-");
        int32_t returned = 0;
        EXPECT_EQ(visited(range, "(-", 2, row.stop_at, &returned), row.visits);
        EXPECT_EQ(returned, row.returned);
    }
}

TEST(FindInSet, AgreesWithAPlainLoop) {
    RandomBytes random(404);
    for (int run = 0; run < kRandomRuns; ++run) {
        std::string text = random.text(random.below(kRandomLength));
        int32_t lanes = 1 + random.below(8);
        std::string set = random.text(8);
        SCOPED_TRACE(testing::Message() << "run " << run << ", " << lanes << " lanes");
        Range range(text, random.text(kSearchSlack));
        ByteSet bytes = byte_set(set.data(), 8);
        std::string tested = set.substr(0, lanes);
        ASSERT_EQ(range.at(find_in_lanes(lanes, range.data(), range.size(), bytes)),
                  naive_find_in(text, range.size(), tested));

        std::vector<int32_t> expected;
        for (int32_t i = 0; i < range.size(); ++i)
            if (tested.find(text[i]) != std::string::npos) expected.push_back(i);
        int32_t stop_at = expected.empty() ? -1 : expected[random.below(
                                                      static_cast<int32_t>(expected.size()))];
        if (random.below(2)) stop_at = -1;
        if (stop_at >= 0) expected.resize(std::find(expected.begin(), expected.end(), stop_at) -
                                          expected.begin() + 1);
        int32_t returned = 0;
        ASSERT_EQ(visited(range, set, lanes, stop_at, &returned), expected);
        ASSERT_EQ(returned, stop_at);
    }
}

// ---- at_most_bits ----

// Every byte value at both ends and the middle of a block of bytes just above the limit. The
// compare is unsigned: the high bytes are above every limit below them.
TEST(AtMostBits, TellsEveryByteValueAgainstTheLimit) {
    for (int32_t limit : {0, 13, 127, 128, 254}) {
        for (int32_t value = 0; value < 256; ++value) {
            for (int32_t at : {0, 7, 15}) {
                SCOPED_TRACE(std::to_string(limit) + " " + std::to_string(value) + " at " +
                             std::to_string(at));
                std::string block(16, static_cast<char>(limit + 1));
                block[at] = static_cast<char>(value);
                uint32_t expected = value <= limit ? 1u << at : 0;
                EXPECT_EQ(at_most_bits(block.data(), static_cast<char>(limit)), expected);
            }
        }
    }
    // The largest limit: every byte is at most it.
    EXPECT_EQ(at_most_bits(std::string(16, '\xff').data(), '\xff'), 0xFFFFu);
}

// ---- find_blank ----

TEST(FindBlank, TellsEveryByteValue) {
    for (int32_t value = 0; value < 256; ++value) {
        SCOPED_TRACE(value);
        char c = static_cast<char>(value);
        bool blank = kBlanks.find(c) != std::string::npos;
        for (int32_t at : {0, 15, 16}) {
            Range range(std::string(at, 'x') + c, "x");
            EXPECT_EQ(range.at(find_blank(range.data(), range.size())), blank ? at : -1);
        }
    }
}

TEST(FindBlank, FindsTheFirstBlankInRangeOnly) {
    struct Row {
        const char* what;
        std::string text;
        int32_t expected;
    };
    const Row rows[] = {
        // empty and one
        {"empty", "", -1},
        {"one blank", "\t", 0},
        {"one non-blank", "x", -1},
        // every blank, each just inside and just outside a block
        {"tab", dots(15) + "\t", 15}, {"line feed", dots(16) + "\n", 16},
        {"vertical tab", dots(14) + "\v", 14}, {"form feed", dots(17) + "\f", 17},
        {"carriage return", dots(31) + "\r", 31}, {"space", dots(32) + " ", 32},
        // neighbours of the blanks and their high-bit twins are no blanks
        {"8, 14, 31, 33", "\x08\x0e\x1f!", -1},
        {"NUL", raw("\0\0"), -1},
        {"0x85, 0xA0, 0x89, 0x8D, 0xFF", "\x85\xa0\x89\x8d\xff", -1},
        // the first of several
        {"first of three", "ab \t\n", 2},
        {"first of two blocks", dots(20) + "\r" + dots(20) + " ", 20},
        // block boundary, blanks only in the slack
        {"absent from 15", dots(15), -1},
        {"absent from 16", dots(16), -1},
        {"absent from 17", dots(17), -1},
        // maximum and maximum + 1
        {"last of the maximum", kMax.substr(1) + " ", 1022},
        {"absent from the maximum", kMax, -1},
        {"last of maximum + 1", kMax + " ", 1023},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Range range(row.text, kBlanks);
        EXPECT_EQ(range.at(find_blank(range.data(), range.size())), row.expected);
    }
}

TEST(FindBlank, AgreesWithAPlainLoop) {
    RandomBytes random(505);
    for (int run = 0; run < kRandomRuns; ++run) {
        std::string text = random.text(random.below(kRandomLength));
        SCOPED_TRACE(testing::Message() << "run " << run << ", " << text.size() << " bytes");
        Range range(text, random.text(kSearchSlack));
        ASSERT_EQ(range.at(find_blank(range.data(), range.size())),
                  naive_find_in(text, range.size(), kBlanks));
    }
}

// ---- first_difference ----

TEST(FirstDifference, FindsTheFirstDifferingByteInRangeOnly) {
    struct Row {
        const char* what;
        std::string a, b;
        int32_t expected;
    };
    const Row rows[] = {
        // empty and one
        {"empty", "", "", 0},
        {"one, same", "a", "a", 1},
        {"one, different", "a", "b", 0},
        // NULs and high bits are compared as bytes
        {"NUL against a byte", raw("a\0"), "ab", 1},
        {"high bit only", "a\x85", "a\x05", 1},
        // the first of several differences, across blocks
        {"first of two", "abcd", "xbcy", 0},
        {"in the second block", dots(20) + "a", dots(20) + "b", 20},
        // block boundary
        {"at 15 of 16", dots(15) + "a", dots(15) + "b", 15},
        {"same 16", dots(16), dots(16), 16},
        {"at 16 of 17", dots(16) + "a", dots(16) + "b", 16},
        {"same 17", dots(17), dots(17), 17},
        // maximum and maximum + 1
        {"last of the maximum", kMax.substr(1) + "a", kMax.substr(1) + "b", 1022},
        {"same maximum", kMax, kMax, 1023},
        {"last of maximum + 1", kMax + "a", kMax + "b", 1023},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        // The slacks agree in their first byte and differ after it: a difference reported in
        // the slack would not pass for "no difference".
        Range a(row.a, "=a"), b(row.b, "=b");
        EXPECT_EQ(first_difference(a.data(), b.data(), a.size()), row.expected);
    }
}

TEST(FirstDifference, FindsADifferenceAtEveryPosition) {
    for (int32_t m = 0; m <= 40; ++m) {
        for (int32_t at = 0; at <= m; ++at) {  // at == m: no difference
            SCOPED_TRACE(testing::Message() << m << " bytes, difference at " << at);
            std::string text = dots(m);
            std::string other = text;
            if (at < m) other[at] = '-';
            Range a(text, "=a"), b(other, "=b");
            EXPECT_EQ(first_difference(a.data(), b.data(), m), at);
        }
    }
}

TEST(FirstDifference, AgreesWithAPlainLoop) {
    RandomBytes random(606);
    for (int run = 0; run < kRandomRuns; ++run) {
        std::string a = random.text(random.below(kRandomLength));
        std::string b = a;
        for (int32_t k = random.below(3); k > 0 && !b.empty(); --k)
            b[random.below(static_cast<int32_t>(b.size()))] = random.text(1)[0];
        SCOPED_TRACE(testing::Message() << "run " << run << ", " << a.size() << " bytes");
        int32_t expected = 0;
        while (expected < static_cast<int32_t>(a.size()) && a[expected] == b[expected]) ++expected;
        Range ra(a, random.text(kSearchSlack)), rb(b, random.text(kSearchSlack));
        ASSERT_EQ(first_difference(ra.data(), rb.data(), ra.size()), expected);
    }
}

// ---- same_bytes: no slack, it reads exactly the bytes compared ----

TEST(SameBytes, ComparesEveryByteOfTheWordGroups) {
    for (int32_t m = 0; m <= 20; ++m) {
        std::string text;
        for (int32_t i = 0; i < m; ++i) text += static_cast<char>('a' + i);
        std::vector<char> a(text.begin(), text.end());
        SCOPED_TRACE(testing::Message() << m << " bytes");
        std::vector<char> b = a;
        EXPECT_TRUE(same_bytes(a.data(), b.data(), m));
        for (int32_t at = 0; at < m; ++at) {
            SCOPED_TRACE(testing::Message() << "difference at " << at);
            std::vector<char> other = a;
            other[at] = static_cast<char>(other[at] ^ 0x80);
            EXPECT_FALSE(same_bytes(a.data(), other.data(), m));
            EXPECT_FALSE(same_bytes(other.data(), a.data(), m));
        }
    }
}

TEST(SameBytes, LooksNoFurtherThanTheCount) {
    for (int32_t m = 0; m <= 20; ++m) {
        SCOPED_TRACE(testing::Message() << m << " bytes");
        std::string a = dots(m) + "aaaaaaaa", b = dots(m) + "bbbbbbbb";
        EXPECT_TRUE(same_bytes(a.data(), b.data(), m));
    }
}

// ---- copy_bytes ----

TEST(CopyBytes, WritesExactlyTheCountAndNothingAround) {
    const int32_t kCanary = 16;
    for (int32_t n = 0; n <= 40; ++n) {
        SCOPED_TRACE(testing::Message() << n << " bytes");
        // Exactly n bytes, never null: a read past them trips the sanitizer.
        std::unique_ptr<char[]> source(new char[n]);
        for (int32_t i = 0; i < n; ++i) source[i] = static_cast<char>(i == 3 ? 0 : 'A' + i);
        std::string destination(kCanary + n + kCanary, '#');
        copy_bytes(&destination[kCanary], source.get(), n);
        EXPECT_EQ(destination.substr(0, kCanary), std::string(kCanary, '#'));
        EXPECT_EQ(destination.substr(kCanary, n), std::string(source.get(), n));
        EXPECT_EQ(destination.substr(kCanary + n), std::string(kCanary, '#'));
    }
}

// ---- copy_blocks ----

// Cleaning moves the rest of a line down over a removed pattern: every distance below a
// block and every count across block edges must come out as a plain memmove would.
TEST(CopyBlocks, MovesAnOverlappingRangeDown) {
    for (int32_t distance = 1; distance <= 17; ++distance)
        for (int32_t n = 0; n <= 40; ++n) {
            SCOPED_TRACE(testing::Message() << n << " bytes down by " << distance);
            std::string buffer(distance + n + 16, '.');
            for (int32_t i = 0; i < n; ++i) buffer[distance + i] = static_cast<char>('A' + i);
            std::string want = buffer;
            std::copy(want.begin() + distance, want.begin() + distance + n, want.begin());
            copy_blocks(&buffer[0], &buffer[distance], n);
            EXPECT_EQ(buffer.substr(0, n), want.substr(0, n));
        }
}

}  // namespace
