// Opening, creating and closing files: access modes, exclusive sharing, names, the one-shot
// fatal creation failure.
#include "platform/files.h"
#include "platform/reader.h"

#include <string>

#include "driver_runner.h"
#include "literals.h"
#include "platform/handles.h"
#include "platform/output.h"
#include "platform/process.h"
#include "platform_support.h"

namespace {

std::string name_of(HANDLE handle) {
    char out[kHandleNameSize];
    handle_name(handle, out);
    return out;
}

// Whether a write of one byte through handle went through, with the fatal switch cleared.
bool can_write(HANDLE handle) {
    write_fails_hard = 0;
    bool wrote = write_raw(handle, "w", 1) == 1;
    write_fails_hard = 1;
    return wrote;
}

// Whether a read of one byte through handle went through, with the fatal switch cleared.
bool can_read(HANDLE handle) {
    read_fails_hard = 0;
    char byte;
    bool read = read_raw(handle, &byte, 1) == 1;
    read_fails_hard = 1;
    return read;
}

TEST(OpeningFiles, ModesGiveTheirAccess) {
    struct Row {
        uint32_t mode;
        bool reads, writes;
    } rows[] = {{kOpenRead, true, false},
                {kOpenWrite, false, true},
                {kOpenReadWrite, true, true},
                {GENERIC_READ, true, false},
                {GENERIC_READ | GENERIC_WRITE, true, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mode);
        ScratchFile file("open-mode", "data");
        HANDLE handle;
        ASSERT_EQ(open_file(file.name(), row.mode, &handle), 0);
        EXPECT_EQ(can_read(handle), row.reads);
        EXPECT_EQ(can_write(handle), row.writes);
        EXPECT_EQ(close_file(handle), 0);
    }
}

TEST(OpeningFiles, RegistersTheNameGiven) {
    ScratchFile file("open-name", "data");
    HANDLE handle;
    ASSERT_EQ(open_file(file.name(), kOpenRead, &handle), 0);
    EXPECT_NE(handle, nullptr);
    EXPECT_EQ(name_of(handle), file.name());
    close_file(handle);
}

TEST(OpeningFiles, FailsQuietlyOnWhatCannotBeOpened) {
    ScratchFile missing("open-missing");
    for (const char* name : {missing.name(), ".", ""}) {
        SCOPED_TRACE(name);
        HANDLE handle = nullptr;
        EXPECT_EQ(open_file(name, kOpenRead, &handle), 1);
        EXPECT_EQ(handle, INVALID_HANDLE_VALUE);
    }
    EXPECT_EQ(name_of(INVALID_HANDLE_VALUE), "");
}

TEST(OpeningFiles, FailsWhileAnotherHolderKeepsTheFileOpen) {
    ScratchFile file("open-held", "data");
    HANDLE holder, second;
    ASSERT_EQ(create_file(file.name(), kNoExtraAccess, &holder), 0);
    EXPECT_EQ(open_file(file.name(), kOpenRead, &second), 1);
    EXPECT_EQ(open_file(file.name(), kOpenReadWrite, &second), 1);
    create_fails_hard = 0;
    EXPECT_EQ(create_file(file.name(), kNoExtraAccess, &second), 1);
    create_fails_hard = 1;
    EXPECT_EQ(run_driver({"open", file.name()}, Sink::kFile, Sink::kFile).exit_code, 2);
    write_text(holder, "kept");
    close_file(holder);
    EXPECT_EQ(file.read(), "kept");
    ASSERT_EQ(open_file(file.name(), kOpenRead, &second), 0);
    EXPECT_EQ(run_driver({"open", file.name()}, Sink::kFile, Sink::kFile).exit_code, 2);
    close_file(second);
    EXPECT_EQ(run_driver({"open", file.name()}, Sink::kFile, Sink::kFile).exit_code, 0);
}

TEST(CreatingFiles, TruncatesAndOpensForReadingAndWriting) {
    ScratchFile file("create-truncate", "old content");
    HANDLE handle;
    ASSERT_EQ(create_file(file.name(), kNoExtraAccess, &handle), 0);
    EXPECT_EQ(name_of(handle), file.name());
    EXPECT_EQ(file.read(), "");
    EXPECT_TRUE(can_write(handle));
    close_file(handle);
    EXPECT_EQ(file.read(), "w");
}

TEST(ClosingFiles, RegistersTheHandleAsClosed) {
    ScratchFile first("close-first"), second("close-second");
    HANDLE handle, next;
    ASSERT_EQ(create_file(first.name(), kNoExtraAccess, &handle), 0);
    EXPECT_EQ(close_file(handle), 0);
    EXPECT_EQ(name_of(handle), plain(kClosedNameText));
    EXPECT_EQ(close_file(handle), 1);
    EXPECT_EQ(name_of(handle), plain(kClosedNameText));
    ASSERT_EQ(create_file(second.name(), kNoExtraAccess, &next), 0);
    EXPECT_EQ(name_of(next), second.name());
    close_file(next);
}

void create_in_missing_folder(const char* name) {
    init_console();
    HANDLE handle;
    create_file(name, kNoExtraAccess, &handle);
    process_exit(0);
}

const char kUncreatable[] = "no-such-folder/report.txt";

TEST(CreatingFiles, FirstFailureIsFatal) {
    use_fresh_death_test_processes();
    std::string expected = plain(kFatalHeadText) + formatted(kCreateFailedFmt, kUncreatable,
                                                     plain(kReasonFolderMissingText).c_str()) +
                           plain(kFatalTailText);
    EXPECT_EXIT(create_in_missing_folder(kUncreatable), testing::ExitedWithCode(1),
                Exactly(with_crlf(expected)));
}

void create_after_the_switch_is_cleared() {
    init_console();
    create_fails_hard = 0;
    HANDLE handle;
    int32_t status = create_file(kUncreatable, kNoExtraAccess, &handle);
    process_exit(status == 1 && handle == INVALID_HANDLE_VALUE ? 0 : 2);
}

TEST(CreatingFiles, LaterFailuresReturnOneSilently) {
    use_fresh_death_test_processes();
    EXPECT_EXIT(create_after_the_switch_is_cleared(), testing::ExitedWithCode(0), Exactly(""));
}

// Reads twice through a handle opened for writing only: both reads fail.
void read_write_only_file(const char* name, bool switch_cleared) {
    init_console();
    if (switch_cleared) read_fails_hard = 0;
    HANDLE handle;
    if (open_file(name, kOpenWrite, &handle) != 0) process_exit(3);
    char byte;
    int32_t first = read_raw(handle, &byte, 1);
    int32_t second = read_raw(handle, &byte, 1);
    process_exit(first == 0 && second == 0 ? 0 : 2);
}

TEST(ReadingFiles, FirstFailedReadIsFatalAndNamesTheFile) {
    use_fresh_death_test_processes();
    ScratchFile file("read-fails", "content");
    std::string expected = plain(kFatalHeadText) + formatted(kReadFailedFmt, file.name(),
                                                     plain(kReasonDeniedText).c_str()) +
                           plain(kFatalTailText);
    EXPECT_EXIT(read_write_only_file(file.name(), false), testing::ExitedWithCode(1),
                Exactly(with_crlf(expected)));
    EXPECT_EXIT(read_write_only_file(file.name(), true), testing::ExitedWithCode(0),
                Exactly(""));
}

}  // namespace
