// Tests of the event parser: the accepted forms, every error code, and the tallies it feeds.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "analysis/event.h"
#include "analysis/scan.h"
#include "analysis/tally.h"
#include "support/texts.h"

namespace {

ParsedEvent event;

// A line in storage that reaches as far past its end as the parser's searches may read, like
// every line the loop hands over, indexed as the loop indexes it; bytes after an embedded NUL
// are kept.
struct Line {
    char text[kLineBufferSize];
    LineIndex index;
    IndexedLine indexed;
    explicit Line(const std::string& bytes) {
        std::memset(text, 0, sizeof text);
        bytes.copy(text, kLineSize - 1);
        indexed = index_line(text, static_cast<int32_t>(std::strlen(text)), &index);
    }
};

// The last line parsed, which the event's names point into.
std::unique_ptr<Line> parsed;

int32_t parse(const std::string& bytes) {
    parsed = std::make_unique<Line>(bytes);
    return parse_event(parsed->indexed, &event);
}

std::string line_name() { return std::string(event.line_name, event.line_name_length); }
std::string extension_name() {
    return std::string(event.extension_name, event.extension_name_length);
}

TEST(ParseEvent, ReadsBothPartiesAndTheDuration) {
    struct Case {
        std::string line;
        int32_t line_id;
        std::string line_name;
        int32_t extension_id;
        std::string extension_name;
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
        // Minutes long enough that the seconds lie past what their map shows.
        {"Call ended: ext 5 [1234567:05]", 0, "", 5, "", 1234567LL * 600 + 50},
        {"Call ended: ext 5 [123456:05]", 0, "", 5, "", 123456LL * 600 + 50},
        // An intro or the separator may start right at the cursor, but not one before it.
        {"Call ended:  (line 5) -> ext 6", 5, "", 6, "", 0},
        // A landmark inside the calling line's name is looked for again after it.
        {"Call ended: A (ext 9) [1] B (line 7) -> C (ext 8) [0:30]", 7, "A (ext 9) [1] B", 8,
         "C", 300},
        {"Call ended: A [x] (line 7) -> ext 8", 7, "A [x]", 8, "", 0},
        // A rest of the line that takes two windows of the map, with marks in both and
        // where they overlap, and one that takes more.
        {"Call ended: " + std::string(40, 'a') + " (line 7) -> " + std::string(20, 'b') +
             " (ext 8) [1:00]",
         7, std::string(40, 'a'), 8, std::string(20, 'b'), 600},
        {"Call ended: " + std::string(45, 'a') + " (line 7) -> " + std::string(8, 'b') +
             " (ext 8) [1:00]",
         7, std::string(45, 'a'), 8, std::string(8, 'b'), 600},
        {"Call ended: " + std::string(70, 'a') + " (line 7) -> " + std::string(70, 'b') +
             " (ext 8) [1.25s]",
         7, std::string(70, 'a'), 8, std::string(70, 'b'), 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ASSERT_EQ(0, parse(c.line));
        EXPECT_EQ(c.line_id, event.line_id);
        EXPECT_EQ(c.line_name, line_name());
        EXPECT_EQ(c.extension_id, event.extension_id);
        EXPECT_EQ(c.extension_name, extension_name());
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
        // The separator and an intro standing one place before the cursor do not count.
        {"Call ended: -> ext 5", 6},
        {"Call ended: (line 5) -> ext 6", 2},
        {"Call ended: (ext 5)", 6},
        // A ':' anywhere after the bracket makes it "[M:S]", near it or far.
        {"Call ended: ext 1 [12.5s] a:b", 9},
        {"Call ended: ext 1 [12.5s] and a remark much longer than a block: b", 9},
        {"Call ended: ext 1 [12.5s] and a remark much longer than a block, b", 0},
        {"Call ended: ext 1 [1:x]", 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.code, parse(c.line));
    }
}

// The README explains every code a parse error can print, in a table of its own, and no other.
TEST(ParseError, EveryCodeHasItsRowInTheReadme) {
    std::istringstream readme(read_file(LOGTALLY_README));
    std::string row;
    while (std::getline(readme, row) && row != "| code | the event line |") {
    }
    ASSERT_TRUE(readme) << "no parse error table in " << LOGTALLY_README;
    std::getline(readme, row);  // the rule under the heading
    std::set<int32_t> documented;
    while (std::getline(readme, row) && row.rfind("| ", 0) == 0)
        documented.insert(std::stoi(row.substr(2)));
    std::set<int32_t> codes;
    for (int32_t code = kNoEventMarker; code <= kLastParseError; ++code) codes.insert(code);
    EXPECT_EQ(codes, documented);
}

TEST(ParseEvent, NeverReadsPastTheEndOfTheLine) {
    const char after_nul[] = "Call ended: Bob (ext 5\0) [1:00]";
    ASSERT_EQ(0, parse(std::string(after_nul, sizeof after_nul - 1)));
    EXPECT_EQ(5, event.extension_id);
    EXPECT_EQ(0, event.duration);
    const char first_after_nul[] = "Call ended: ext 1 -> Bob (line 5\0 -> ext 2";
    EXPECT_EQ(5, parse(std::string(first_after_nul, sizeof first_after_nul - 1)));
}

TEST(ParseEvent, ResetsEveryFieldForEachLine) {
    ASSERT_EQ(0, parse("Call ended: Ann (line 1) -> Bob (ext 2) [1:00]"));
    ASSERT_EQ(0, parse("Call ended: ext 3"));
    EXPECT_EQ(0, event.line_id);
    EXPECT_EQ("", line_name());
    EXPECT_EQ("", extension_name());
    EXPECT_EQ(0, event.duration);
}

TEST(ParseEventLine, TalliesTheCallerAndTheCalledPartyWithOneDuration) {
    std::memset(&calling_line_table, 0, sizeof calling_line_table);
    std::memset(&called_extension_table, 0, sizeof called_extension_table);
    auto first = std::make_unique<Line>("Call ended:  Ann (line 7) -> Bob  (ext 202) [0:30]");
    parse_event_line(first->indexed, 1, first->text);
    auto second = std::make_unique<Line>("Call ended: ext 202 [1.5s]");
    parse_event_line(second->indexed, 2, second->text);
    EXPECT_EQ(1, calling_line_table.entry[6].count);
    EXPECT_EQ(300, calling_line_table.entry[6].total);
    EXPECT_STREQ("Ann", calling_line_table.entry[6].name);
    EXPECT_EQ(2, called_extension_table.entry[201].count);
    EXPECT_EQ(315, called_extension_table.entry[201].total);
    EXPECT_STREQ("Bob", called_extension_table.entry[201].name);
    EXPECT_EQ(3, calling_line_table.longest_name);
    EXPECT_EQ(3, called_extension_table.longest_name);
}

}  // namespace
