// The run lock and the looks at files the report set relies on: one holder at a time, a lock
// left behind taken over, anything else under its name left alone; the same file under two
// names; the head of a file.
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "platform/run_lock.h"
#include "platform_support.h"

namespace {

namespace fs = std::filesystem;

bool exists(const std::string& name) {
    std::error_code error;
    return fs::exists(fs::symlink_status(name, error));
}

TEST(RunLock, OneHolderAtATimeAndTheNameGoesWithIt) {
    ScratchFile lock("lock-free");
    HANDLE first, second;
    ASSERT_EQ(take_lock_file(lock.name(), 0, &first), 0);
    EXPECT_TRUE(exists(lock.name()));
    EXPECT_EQ(take_lock_file(lock.name(), 100, &second), kLockHeld);
    EXPECT_EQ(second, INVALID_HANDLE_VALUE);
    CloseHandle(first);
    EXPECT_FALSE(exists(lock.name()));
    ASSERT_EQ(take_lock_file(lock.name(), 0, &second), 0);
    CloseHandle(second);
}

TEST(RunLock, AnEmptyLockLeftBehindIsTakenOverAnythingElseStays) {
    std::string folder = "platform-lock-folder.tmp";
    fs::create_directory(folder);
    const struct {
        const char* what;
        std::string name;
        const char* content;  // null: the folder
        int32_t status;
    } rows[] = {
        {"left behind", "platform-lock-left.tmp", "", 0},
        {"a file of the user's", "platform-lock-users.tmp", "notes", kNameTaken},
        {"a folder", folder, nullptr, kNameTaken},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.content) std::ofstream(row.name, std::ios::binary) << row.content;
        HANDLE lock;
        EXPECT_EQ(take_lock_file(row.name.c_str(), 0, &lock), row.status);
        if (row.status == 0) CloseHandle(lock);
        EXPECT_EQ(exists(row.name), row.status != 0);
        if (row.content && row.status != 0) EXPECT_EQ(read_file(row.name), row.content);
        fs::remove(row.name);
    }
}

TEST(RunLock, ANameTooLongIsToldApart) {
    HANDLE lock;
    EXPECT_EQ(take_lock_file(std::string(300, 'l').c_str(), 0, &lock), kNameTooLong);
    EXPECT_EQ(take_lock_file("no-such-folder/x.lock", 0, &lock), 1);
}

TEST(SameFile, FindsTheOpenFileUnderItsNamesWhileItIsHeld) {
    ScratchFile file("same", "x");
    ScratchFile link("same-link");
    ScratchFile other("same-other", "x");
    fs::create_hard_link(file.name(), link.name());
    HANDLE held = system_open(file.name(), GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(same_file(file.name(), held), 1);
    EXPECT_EQ(same_file(link.name(), held), 1);
    EXPECT_EQ(same_file(other.name(), held), 0);
    EXPECT_EQ(same_file("platform-same-missing.tmp", held), 0);
    CloseHandle(held);
}

TEST(FileBeginsWith, ComparesTheFirstBytesOfARegularFile) {
    ScratchFile file("head", "logtally crash\r\nrest");
    EXPECT_EQ(file_begins_with(file.name(), "logtally crash\r\n", 16), 1);
    EXPECT_EQ(file_begins_with(file.name(), "logtally crash\n", 15), 0);
    EXPECT_EQ(file_begins_with(file.name(), std::string(30, 'l').c_str(), 30), 0);
    EXPECT_EQ(file_begins_with("platform-head-missing.tmp", "l", 1), 0);
    EXPECT_EQ(file_begins_with(".", "l", 1), 0);
}

TEST(FlushingFiles, HandsAWrittenFileToTheDisk) {
    ScratchFile file("flush");
    HANDLE handle = system_open(file.name(), GENERIC_WRITE, CREATE_ALWAYS);
    DWORD written;
    WriteFile(handle, "abc", 3, &written, nullptr);
    EXPECT_EQ(flush_file(handle), 0);
    CloseHandle(handle);
    EXPECT_EQ(flush_file(handle), 1);
    EXPECT_EQ(file.read(), "abc");
}

}  // namespace
