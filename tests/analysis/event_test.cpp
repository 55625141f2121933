// Tests of the event parser: the accepted forms, every error code, and the tallies it feeds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "analysis/event.h"
#include "analysis/tally.h"

namespace {

ParsedEvent event;

TEST(ParseEvent, ReadsBothPartiesAndTheDuration) {
    struct Case {
        std::string line;
        int32_t first_id;
        std::string first_name;
        int32_t second_id;
        std::string second_name;
        int64_t duration;
    };
    const Case cases[] = {
        {"  9:05:12 Call ended: Alice Smith (line 101) -> Bob Jones (ext 202) [1:30]",
         101, "Alice Smith", 202, "Bob Jones", 900},
        {"  9:05:40 Call ended: line #4711 -> ext 202 [12.5s]", 4711, "", 202, "", 125},
        {"  9:06:02 Conf ended: Carol (ext 305) [0:42]", 0, "", 305, "Carol", 420},
        {"Call ended: ext 7", 0, "", 7, "", 0},
        {"Call ended: Bob (ext 5", 0, "", 5, "Bob", 0},
        {"Call ended:  Ann  (line 7X ->  Bo  (ext 8) [7s]", 7, " Ann ", 8, " Bo ", 70},
        {"Call ended: Zed (line 70000) -> ext 0 [1:00]", 70000, "Zed", 0, "", 600},
        {"x Conf ended: y Call ended: ext 1", 0, "", 1, "", 0},
        {"Call ended: ext 5 [0:75]", 0, "", 5, "", 750},
        {"Call ended: ext 5 [-1:30]", 0, "", 5, "", -300},
        {"Call ended: ext 5 [ 1: 30]", 0, "", 5, "", 900},
        {"Call ended: ext 5 [12.35s]", 0, "", 5, "", 124},
        {"Call ended: ext 5 [-12.35s]", 0, "", 5, "", -124},
        {"Call ended: ext 5 [.5s]", 0, "", 5, "", 5},
        {"Call ended: ext 5 [99999999:59]", 0, "", 5, "", 59999999990},
        {"Call ended: ext 5 [2147483647:2147483647]", 0, "", 5, "",
         2147483647LL * 600 + 2147483647LL * 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ASSERT_EQ(0, parse_event(c.line.c_str(), &event));
        EXPECT_EQ(c.first_id, event.first_id);
        EXPECT_EQ(c.first_name, event.first_name);
        EXPECT_EQ(c.second_id, event.second_id);
        EXPECT_EQ(c.second_name, event.second_name);
        EXPECT_EQ(c.duration, event.duration);
    }
}

TEST(ParseEvent, NamesEachMalformedLineByItsCode) {
    struct Case {
        std::string line;
        int32_t code;
    };
    const Case cases[] = {
        {"", 1},
        {"Call ended:ext 1", 1},
        {"Call ended: ext 1 -> ext 2", 2},
        {"Call ended: line #x -> ext 2", 3},
        {"Call ended: line #99999999999 -> ext 2", 3},
        {"Call ended: Ann (line x) -> ext 2", 4},
        {"Call ended: Ann (line 2147483648) -> ext 2", 4},
        {"Call ended: line #5 ext 2 -> ext 3", 5},
        {"Call ended: ext 1 -> Bob (line 5", 5},
        {"Call ended: ", 6},
        {"Call ended: Bob", 6},
        {"Call ended: ext", 7},
        {"Call ended: ext 99999999999", 7},
        {"Call ended: Bob (ext )", 8},
        {"Call ended: ext 1 [x:30]", 9},
        {"Call ended: ext 1 [1 30] at 10:00", 9},
        {"Call ended: ext 1 [1:30", 10},
        {"Call ended: ext 1 [1:30 ]", 10},
        {"Call ended: ext 1 [12.3]", 11},
        {"Call ended: ext 1 [1 30]", 11},
        {"Call ended: ext 1 [", 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.code, parse_event(c.line.c_str(), &event));
    }
}

TEST(ParseEvent, NeverReadsPastTheEndOfTheLine) {
    const char after_nul[] = "Call ended: Bob (ext 5\0) [1:00]";
    ASSERT_EQ(0, parse_event(after_nul, &event));
    EXPECT_EQ(5, event.second_id);
    EXPECT_EQ(0, event.duration);
    const char first_after_nul[] = "Call ended: ext 1 -> Bob (line 5\0 -> ext 2";
    EXPECT_EQ(5, parse_event(first_after_nul, &event));
}

TEST(ParseEvent, ResetsEveryFieldForEachLine) {
    ASSERT_EQ(0, parse_event("Call ended: Ann (line 1) -> Bob (ext 2) [1:00]", &event));
    ASSERT_EQ(0, parse_event("Call ended: ext 3", &event));
    EXPECT_EQ(0, event.first_id);
    EXPECT_STREQ("", event.first_name);
    EXPECT_STREQ("", event.second_name);
    EXPECT_EQ(0, event.duration);
}

TEST(ParseEventLine, TalliesTheCallerAndTheCalledPartyWithOneDuration) {
    std::memset(&first_party_table, 0, sizeof first_party_table);
    std::memset(&second_party_table, 0, sizeof second_party_table);
    std::strcpy(cleaned_line, "Call ended:  Ann (line 7) -> Bob  (ext 202) [0:30]");
    parse_event_line();
    std::strcpy(cleaned_line, "Call ended: ext 202 [1.5s]");
    parse_event_line();
    EXPECT_EQ(1, first_party_table.entry[6].count);
    EXPECT_EQ(300, first_party_table.entry[6].total);
    EXPECT_STREQ("Ann", first_party_table.entry[6].name);
    EXPECT_EQ(2, second_party_table.entry[201].count);
    EXPECT_EQ(315, second_party_table.entry[201].total);
    EXPECT_STREQ("Bob", second_party_table.entry[201].name);
    EXPECT_EQ(3, first_party_table.longest_name);
    EXPECT_EQ(3, second_party_table.longest_name);
}

}  // namespace
