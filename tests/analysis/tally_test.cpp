// Tests of the tally tables, the name arena, and the sums and minutes of the reports.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "analysis/reports.h"
#include "analysis/tally.h"

namespace {

class Tally : public testing::Test {
  protected:
    void SetUp() override {
        std::memset(&first_party_table, 0, sizeof first_party_table);
        name_arena_init();
        arena_start = name_arena.next;
    }

    // Offers name (copied, since the tally trims it in place) for identifier.
    void offer(int32_t identifier, const std::string& name, int64_t duration = 10) {
        char text[1024] = {};
        name.copy(text, sizeof text - 1);
        tally_event(&first_party_table, identifier, duration, text);
    }

    const TallyEntry& entry(int32_t identifier) {
        return first_party_table.entry[identifier - 1];
    }

    int64_t arena_used() { return name_arena.next - arena_start; }

    char* arena_start = nullptr;
};

TEST_F(Tally, IgnoresIdentifiersOutsideTheTable) {
    for (int32_t identifier : {0, -5, 65536}) {
        SCOPED_TRACE(identifier);
        char name[] = "  a forty-character name, never counted ";
        tally_event(&first_party_table, identifier, 10, name);
        EXPECT_STREQ("  a forty-character name, never counted ", name);
    }
    EXPECT_EQ(0, first_party_table.longest_name);
    EXPECT_EQ(0, arena_used());
    offer(65535, "Max");
    EXPECT_EQ(1, entry(65535).count);
    EXPECT_STREQ("Max", entry(65535).name);
}

TEST_F(Tally, KeepsTheLastNonEmptyNameAndInternsOnlyChanges) {
    offer(7, "Ann", 10);
    offer(7, "", 20);
    offer(7, "Ann ", 30);
    EXPECT_EQ(3, entry(7).count);
    EXPECT_EQ(60, entry(7).total);
    EXPECT_STREQ("Ann", entry(7).name);
    EXPECT_EQ(4, arena_used());

    offer(8, "Ann");
    offer(8, "Bob");
    offer(8, "\tAnn\r\n");
    EXPECT_STREQ("Ann", entry(8).name);
    EXPECT_EQ(4 + 12, arena_used());

    offer(9, "   ");
    ASSERT_NE(nullptr, entry(9).name);
    EXPECT_STREQ("", entry(9).name);
}

TEST_F(Tally, LongestNameCountsEveryTrimmedNameOfAValidIdentifier) {
    const std::string forty(40, 'n');
    offer(3, forty);
    offer(3, "  " + forty + "  ");
    EXPECT_EQ(40, first_party_table.longest_name);
    offer(4, "short");
    EXPECT_EQ(40, first_party_table.longest_name);
    offer(4, std::string(1023, 'x'));
    EXPECT_EQ(1023, first_party_table.longest_name);
}

TEST_F(Tally, TotalsHoldAtTheLimitsInsteadOfWrapping) {
    offer(5, "", INT64_MAX);
    offer(5, "", INT64_MAX);
    EXPECT_EQ(INT64_MAX, entry(5).total);
    offer(6, "", INT64_MIN);
    offer(6, "", -1);
    EXPECT_EQ(INT64_MIN, entry(6).total);
}

TEST_F(Tally, AFullArenaRegionIsFollowedByANewOne) {
    char region[8];
    std::memset(region, '#', sizeof region);
    name_arena.next = region;
    name_arena.end = region + 7;
    const char* first = intern_name("abcdef");
    EXPECT_EQ(region, first);
    const char* second = intern_name("gh");
    EXPECT_TRUE(second < region || second >= region + sizeof region);
    EXPECT_STREQ("abcdef", first);
    EXPECT_EQ('#', region[7]);
    EXPECT_STREQ("gh", second);
    EXPECT_EQ(second + 3, name_arena.next);
    EXPECT_EQ(second + kArenaRegionSize, name_arena.end);
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
