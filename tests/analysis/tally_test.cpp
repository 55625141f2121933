// Tests of the tally tables, the name arena, and the sums and minutes of the reports.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "analysis/input.h"
#include "analysis/report_set.h"
#include "analysis/reports.h"
#include "analysis/tally.h"
#include "platform/memory.h"
#include "text/limits.h"

namespace {

class Tally : public testing::Test {
  protected:
    void SetUp() override {
        std::memset(&calling_line_table, 0, sizeof calling_line_table);
        std::memset(&called_extension_table, 0, sizeof called_extension_table);
        name_arena_init();
        arena_start = name_arena.next;
    }

    void offer(int32_t identifier, const std::string& name, int64_t duration = 10,
               TallyTable* table = &calling_line_table) {
        // In storage like a line's, which the tally may read in whole blocks.
        char text[kLineBufferSize] = {};
        name.copy(text, kLineSize - 1);
        tally_event(table, identifier, duration, text, static_cast<int32_t>(name.size()));
    }

    const TallyEntry& entry(int32_t identifier) {
        return calling_line_table.entry[identifier - 1];
    }

    int64_t arena_used() { return name_arena.next - arena_start; }

    char* arena_start = nullptr;
};

TEST_F(Tally, IgnoresIdentifiersOutsideTheTable) {
    for (int32_t identifier : {0, -5, 65536}) {
        SCOPED_TRACE(identifier);
        offer(identifier, "  a forty-character name, never counted ");
    }
    EXPECT_EQ(0, calling_line_table.longest_name);
    EXPECT_EQ(0, arena_used());
    offer(65535, "Max");
    EXPECT_EQ(1, entry(65535).count);
    EXPECT_STREQ("Max", entry(65535).name);
}

TEST_F(Tally, KeepsTheLastNonEmptyNameAndCopiesOnlyWhatDoesNotFit) {
    offer(7, "Ann", 10);
    offer(7, "", 20);
    offer(7, "Ann ", 30);
    EXPECT_EQ(3, entry(7).count);
    EXPECT_EQ(60, entry(7).total);
    EXPECT_STREQ("Ann", entry(7).name);
    const int64_t one_copy = arena_used();
    EXPECT_GT(one_copy, 0);

    // A changed name that fits the entry's copy replaces it there.
    offer(8, "Ann");
    const char* copy = entry(8).name;
    offer(8, "Bob");
    offer(8, "\tAnn\r\n");
    EXPECT_STREQ("Ann", entry(8).name);
    EXPECT_EQ(copy, entry(8).name);
    EXPECT_EQ(2 * one_copy, arena_used());
    // One that does not fit takes a new copy.
    offer(8, std::string(40, 'b'));
    EXPECT_EQ(std::string(40, 'b'), entry(8).name);
    EXPECT_GT(arena_used(), 2 * one_copy);

    offer(9, "   ");
    ASSERT_NE(nullptr, entry(9).name);
    EXPECT_STREQ("", entry(9).name);
}

// Blanks (space and tab to carriage return) go from both ends; every other byte stays, the
// control characters outside that range and the bytes above 0x7F included.
TEST_F(Tally, TrimsBlanksOfEveryKindAndKeepsAllOtherBytes) {
    struct Case {
        std::string offered;
        std::string kept;
    };
    const Case cases[] = {
        {"Ann", "Ann"},
        {" Ann", "Ann"},
        {"Ann ", "Ann"},
        {"\t\vAnn Lee\f\r", "Ann Lee"},
        {" \n A \n ", "A"},
        {"\x01Ann\x1f", "\x01Ann\x1f"},
        {"\x08 Ann \x0e", "\x08 Ann \x0e"},
        {"\xA0" "Ann\xFF", "\xA0" "Ann\xFF"},
        {"\x7f", "\x7f"},
        {" \t ", ""},
    };
    int32_t identifier = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offered);
        std::memset(&calling_line_table, 0, sizeof calling_line_table);
        offer(identifier, c.offered);
        EXPECT_EQ(c.kept, entry(identifier).name);
        EXPECT_EQ(static_cast<int32_t>(c.kept.size()), calling_line_table.longest_name);
        // An empty name, trimmed or not, leaves the entry's name as it was.
        offer(identifier, "Bob");
        offer(identifier, c.kept.empty() ? c.offered : "");
        EXPECT_STREQ("Bob", entry(identifier).name);
        ++identifier;
    }
}

// A new name goes over the old copy exactly when it fits that copy's room with its NUL, and
// never writes into the copy after it.
TEST_F(Tally, RenamesInPlaceUpToTheRoomOfTheCopy) {
    struct Case {
        int32_t first, second;  // lengths of the two names
        bool in_place;
    };
    const Case cases[] = {
        {1, 31, true},  {31, 32, false}, {16, 31, true},  {32, 63, true},
        {40, 63, true}, {33, 64, false}, {1, 1, true},    {63, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << " then " << c.second);
        std::memset(&calling_line_table, 0, sizeof calling_line_table);
        offer(1, std::string(c.first, 'a'));
        offer(2, "neighbour");
        const char* copy = entry(1).name;
        const char* neighbour = entry(2).name;
        offer(1, std::string(c.second, 'b'));
        EXPECT_EQ(std::string(c.second, 'b'), entry(1).name);
        EXPECT_EQ(c.in_place, entry(1).name == copy);
        // The neighbour's copy, and the room it keeps, are untouched.
        EXPECT_STREQ("neighbour", entry(2).name);
        offer(2, "neighbours");
        EXPECT_EQ(neighbour, entry(2).name);
        EXPECT_STREQ("neighbours", entry(2).name);
    }
}

TEST_F(Tally, LongestNameCountsEveryTrimmedNameOfAValidIdentifier) {
    const std::string forty(40, 'n');
    offer(3, forty);
    offer(3, "  " + forty + "  ");
    EXPECT_EQ(40, calling_line_table.longest_name);
    offer(4, "short");
    EXPECT_EQ(40, calling_line_table.longest_name);
    offer(4, std::string(1023, 'x'));
    EXPECT_EQ(1023, calling_line_table.longest_name);
}

TEST_F(Tally, TotalsHoldAtTheLimitsInsteadOfWrapping) {
    offer(5, "", INT64_MAX);
    offer(5, "", INT64_MAX);
    EXPECT_EQ(INT64_MAX, entry(5).total);
    offer(6, "", INT64_MIN);
    offer(6, "", -1);
    EXPECT_EQ(INT64_MIN, entry(6).total);
}

std::string file_text(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The combined report's total lines: sums past the largest value show that value, where a
// wrapped sum would show a negative count, or the least time (0.1 minutes) for a negative one.
TEST_F(Tally, ReportTotalsHoldAtTheLargestValueInsteadOfWrapping) {
    offer(7, "Ann", INT64_MAX - 1, &called_extension_table);
    offer(8, "Bob", 2, &called_extension_table);
    offer(1, "Cy", 10);
    calling_line_table.entry[0].count = INT64_MAX;
    offer(2, "Di", 10);
    std::strcpy(base_name, "saturated-totals");
    const char* const suffixes[] = {"-calls.txt", "-extlist.txt", "-linelist.txt"};
    for (const char* suffix : suffixes) std::remove((base_name + std::string(suffix)).c_str());

    open_report_set(INVALID_HANDLE_VALUE);
    write_reports();
    const std::string summary = file_text("saturated-totals-calls.txt");
    for (const char* suffix : suffixes) std::remove((base_name + std::string(suffix)).c_str());
    // (INT64_MAX - 30) / 60 + 1 tenths of a minute
    const std::string called_total = "\tTotal            2  15372286728091293.0\r\n";
    const std::string calling_total = "\tTotal   9223372036854775807           0.1\r\n";
    EXPECT_NE(std::string::npos, summary.find(called_total + "\r\nCalling lines in log "));
    ASSERT_GE(summary.size(), calling_total.size());
    EXPECT_EQ(calling_total, summary.substr(summary.size() - calling_total.size()));
}

// The arena holds the names in use, not the names ever seen: a full region moves the names
// in use to a region of twice their cells and is given back. Bound: twice the cells of the
// names held (a cell is 4 bytes and a power of two of at least 16 for the name and its NUL),
// with the smallest region 64 KiB.
int64_t arena_bound(int64_t names, int64_t name_length) {
    int64_t room = 16;
    while (room < name_length + 1) room *= 2;
    int64_t bound = 2 * (names + 1) * (4 + room);
    return bound < 65536 ? 65536 : bound;
}

std::string numbered(const char* stem, int64_t n, int32_t width) {
    std::string digits = std::to_string(n);
    return stem + std::string(width - digits.size(), '0') + digits;
}

TEST_F(Tally, AMillionRenamesOfOneIdentifierKeepTheArenaSmall) {
    name_arena.base = name_arena.next = static_cast<char*>(page_alloc(65536));
    name_arena.end = name_arena.base + 65536;
    for (int64_t n = 0; n < 1000000; ++n)
        offer(42, numbered(n % 2 ? "caller " : "a longer caller name ", n, 7));
    EXPECT_EQ(numbered("caller ", 999999, 7), entry(42).name);
    EXPECT_EQ(1000000, entry(42).count);
    EXPECT_LE(name_arena_size(), arena_bound(1, 27));
}

TEST_F(Tally, RenamingEveryIdentifierOfBothRolesInTurnKeepsOnlyTheNamesHeld) {
    name_arena.base = name_arena.next = static_cast<char*>(page_alloc(65536));
    name_arena.end = name_arena.base + 65536;
    // Each round gives every identifier a longer name, so no copy can be reused in place.
    for (int32_t round = 0; round < 3; ++round)
        for (int32_t id = 1; id <= kTallySize; ++id) {
            std::string stem(8 << round, 'n');
            offer(id, numbered(stem.c_str(), id, 5), 1, &calling_line_table);
            offer(id, numbered(stem.c_str(), id + round, 5), 1, &called_extension_table);
        }
    std::string last(32, 'n');
    for (int32_t id : {1, 2, 4711, kTallySize}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(numbered(last.c_str(), id, 5), entry(id).name);
        EXPECT_EQ(numbered(last.c_str(), id + 2, 5), called_extension_table.entry[id - 1].name);
        EXPECT_EQ(3, entry(id).count);
    }
    EXPECT_LE(name_arena_size(), arena_bound(2 * kTallySize, 37));
}

TEST(AddSaturating, HoldsAtTheLimits) {
    struct Case {
        int64_t a, b, sum;
    };
    const Case cases[] = {
        {2, -3, -1},
        {INT64_MAX - 1, 1, INT64_MAX},
        {INT64_MAX, INT64_MAX, INT64_MAX},
        {INT64_MIN, -1, INT64_MIN},
        {INT64_MIN, INT64_MAX, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " + " << c.b);
        EXPECT_EQ(c.sum, add_saturating(c.a, c.b));
    }
}

TEST(ReportMinutes, RoundsToTheNearestTenthOfAMinuteAndShowsAtLeastOne) {
    struct Case {
        int64_t total, minutes;
    };
    const Case cases[] = {
        {INT64_MIN, 1}, {-300, 1}, {0, 1},  {29, 1},  {30, 1},     {31, 1},
        {89, 1},        {90, 2},   {600, 10}, {629, 10}, {630, 11},
        {INT64_MAX, (INT64_MAX - 30) / 60 + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        EXPECT_EQ(c.minutes, report_minutes(c.total));
    }
}

}  // namespace
