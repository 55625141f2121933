// The words for a system error code, and the codes a failed open leaves on both builds.
#include "platform/reasons.h"

#include <string>

#include "literals.h"
#include "platform/files.h"
#include "platform_support.h"

namespace {

std::string reason_of(uint32_t code) {
    char buffer[kReasonSize];
    return system_reason(code, buffer);
}

TEST(Reasons, EachListedCodeHasItsWordsAndAnyOtherItsNumber) {
    struct Case {
        uint32_t code;
        std::string expected;
    } cases[] = {
        // listed codes
        {2, plain(kReasonFileMissingText)},
        {3, plain(kReasonFolderMissingText)},
        {5, plain(kReasonDeniedText)},
        {32, plain(kReasonInUseText)},
        {33, plain(kReasonInUseText)},
        {39, plain(kReasonDiskFullText)},
        {112, plain(kReasonDiskFullText)},
        {123, plain(kReasonBadNameText)},
        {109, plain(kReasonPipeClosedText)},
        {232, plain(kReasonPipeClosedText)},
        {233, plain(kReasonPipeClosedText)},
        {kErrorIsFolder, plain(kReasonFolderText)},
        // unlisted: the number, down to none and up to the largest
        {0, "system error 0"},
        {1, "system error 1"},
        {4, "system error 4"},
        {111, "system error 111"},
        {4294967295u, "system error 4294967295"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(reason_of(c.code), c.expected);
    }
}

TEST(Reasons, TheLongestFitsItsBufferExactly) {
    char buffer[kReasonSize + 1];
    buffer[kReasonSize] = '#';
    EXPECT_EQ(std::string(system_reason(4294967295u, buffer)).size() + 1,
              static_cast<size_t>(kReasonSize));
    EXPECT_EQ(buffer[kReasonSize], '#');
}

// What a failed open leaves for file_error, the same on both builds.
TEST(Reasons, AFailedOpenTellsWhatWasWrong) {
    ScratchFile missing("reason-missing");
    ScratchFile file("reason-file", "x");
    std::string in_missing_folder = std::string(missing.name()) + "/x.log";
    std::string under_a_file = std::string(file.name()) + "/x.log";
    struct Case {
        const char* name;
        uint32_t expected;
    } cases[] = {
        {missing.name(), 2},
        {in_missing_folder.c_str(), 3},
        {under_a_file.c_str(), 3},
        {".", kErrorIsFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HANDLE handle;
        ASSERT_EQ(open_file(c.name, kOpenRead, &handle), 1);
        EXPECT_EQ(file_error(c.name), c.expected);
    }
}

TEST(Reasons, AFileHeldExclusivelyIsInUse) {
    ScratchFile file("reason-held", "x");
    HANDLE holder;
    ASSERT_EQ(open_file(file.name(), kOpenRead, &holder), 0);
    HANDLE second;
    EXPECT_EQ(open_file(file.name(), kOpenRead, &second), 1);
    EXPECT_EQ(file_error(file.name()), 32u);
    close_file(holder);
}

}  // namespace
