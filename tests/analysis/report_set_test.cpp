// The report set's parts that need no run: temporary files where names are taken, and the
// log paths whose names Windows would change.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "analysis/report_names.h"
#include "analysis/path_checks.h"
#include "analysis/report_set.h"
#include "analysis/reports.h"
#include "platform/files.h"
#include "platform/process.h"

namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

std::string content_of(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string temp_name(const char* base, int32_t attempt, int32_t index) {
    char name[kReportNameSize];
    temp_report_name(base, run_unique_part(attempt), index, name);
    return name;
}

// Under Wine the first process of a session always has the same id, so a file left by a
// killed run (or a log of that name) takes the first temporary name of every later run.
TEST(TempFiles, NamesTakenByOthersAreSkippedAndLeftAlone) {
    const char* base = "TAKEN";
    std::vector<std::string> others;
    for (int32_t attempt = 0; attempt < 2; ++attempt) {
        others.push_back(temp_name(base, attempt, 1));
        std::ofstream(others.back(), std::ios::binary) << "not a report";
    }
    char name[kReportNameSize];
    HANDLE file;
    ASSERT_EQ(create_temp_file(base, 1, name, &file), 0);
    close_file(file);
    EXPECT_EQ(std::string(name), temp_name(base, 2, 1));
    for (const std::string& other : others) EXPECT_EQ(content_of(other), "not a report");
    std::remove(name);

    // Every name taken: the creation gives up, touching none of them.
    for (int32_t attempt = 2; attempt < kTempAttempts; ++attempt) {
        others.push_back(temp_name(base, attempt, 1));
        std::ofstream(others.back(), std::ios::binary) << "not a report";
    }
    EXPECT_EQ(create_temp_file(base, 1, name, &file), kNameTaken);
    for (const std::string& other : others) {
        EXPECT_EQ(content_of(other), "not a report");
        std::remove(other.c_str());
    }
}

TEST(TempFiles, EachAttemptOfARunHasAnotherUniquePart) {
    std::vector<uint32_t> seen;
    for (uint32_t start : {0u, 1u, 0x9E3779B1u, 0xFFFFFFFFu})
        for (int32_t attempt = 0; attempt < kTempAttempts; ++attempt) {
            uint32_t part = unique_part(0x20, start, attempt);
            if (attempt == 0) EXPECT_EQ(part, 0x20u);
            for (int32_t earlier = 0; earlier < attempt; ++earlier)
                EXPECT_NE(part, unique_part(0x20, start, earlier)) << start << " " << attempt;
        }
}

TEST(PathNamesKept, WindowsRefusesANameThatEndsInADotOrABlank) {
    const struct {
        const char* path;
        bool kept_on_windows;  // natively every path is kept
    } rows[] = {
        {"log.log", true},
        {"./x.log", true},
        {"../x.log", true},
        {"a/./b/../x.log", true},
        {".hidden", true},
        {"C:\\logs\\day one.txt", true},
        {"log.log.", false},
        {"log.log ", false},
        {"log.log. .", false},
        {"d./x.log", false},
        {"d /x.log", false},
        {"d\\...\\x.log", false},
        {"logs/sub ./x.log", false},
        {"x.log/", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(path_names_kept(row.path), !kWindows || row.kept_on_windows);
    }
}

}  // namespace
