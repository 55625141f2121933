// The report helpers: names as tab-separated fields, and the temporary file names.
#include "analysis/report_names.h"
#include "analysis/reports.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/scan.h"
#include "literals.h"
#include "text/format.h"

namespace {

TEST(ListField, WritesTabsAndCarriageReturnsAsBlanks) {
    struct Row {
        std::string name;
        std::string field;
        bool same;  // the name itself comes back, uncopied
    } rows[] = {
        // nothing to change
        {"", "", true},
        {"Bob Jones", "Bob Jones", true},
        {"\n\v\f", "\n\v\f", true},
        // one, at the ends, several
        {"\t", " ", false},
        {"\r", " ", false},
        {"Smith\tJohn", "Smith John", false},
        {"\tA\r", " A ", false},
        {"a\t\tb\r\rc", "a  b  c", false},
        // the longest name a line holds, and one more: cut to the field
        {std::string(kLineSize - 2, 'n') + "\t", std::string(kLineSize - 2, 'n') + " ", false},
        {"\t" + std::string(kLineSize - 1, 'n'), " " + std::string(kLineSize - 2, 'n'), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name.substr(0, 20));
        char field[kLineSize + 1];
        field[kLineSize] = 0x5A;  // canary
        const char* result = list_field(row.name.c_str(), field);
        EXPECT_EQ(result, row.same ? row.name.c_str() : field);
        EXPECT_EQ(std::string(result), row.field);
        EXPECT_EQ(field[kLineSize], 0x5A);
    }
}

std::string expand(const char* format, const char* base) {
    char out[kReportNameSize];
    format_into(out, kReportNameSize, format, base);
    return out;
}

TEST(TempReportName, IsAsLongAsTheLongestReportNameAndNoReportName) {
    const char* patterns[] = {kSummaryFileNameFmt, kSecondListFileNameFmt,
                              kFirstListFileNameFmt};
    size_t longest = 0;
    for (const char* pattern : patterns) longest = std::max(longest, expand(pattern, "").size());
    struct Row {
        uint32_t process;
        int32_t index;
        std::string name;
    } rows[] = {
        {0, 0, "LOGS/DAY.tmp000000001"},
        {0x1A2B, 1, "LOGS/DAY.tmp00001A2B2"},
        {0xFFFFFFFFu, 2, "LOGS/DAY.tmpFFFFFFFF3"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        char out[kReportNameSize];
        temp_report_name("LOGS/DAY", row.process, row.index, out);
        EXPECT_EQ(std::string(out), row.name);
        EXPECT_EQ(std::string(out).size(), std::string("LOGS/DAY").size() + longest);
        for (const char* pattern : patterns) EXPECT_NE(std::string(out), expand(pattern, "LOGS/DAY"));
    }
}

}  // namespace
