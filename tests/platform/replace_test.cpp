// Files by name: creating only where nothing is, telling whether a name can be replaced,
// moving over a name and deleting.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/files.h"
#include "platform/reasons.h"
#include "platform/output.h"
#include "platform_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

// Windows refuses to move a file over a read-only one, and so does the stand-in; Wine does
// not (-1: not checked there).
#ifdef _WIN32
constexpr int32_t kReadOnlyMoved = -1;
#else
constexpr int32_t kReadOnlyMoved = 1;
#endif

std::string content_of(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool exists(const std::string& name) {
    std::error_code error;
    return fs::exists(fs::symlink_status(name, error));
}

TEST(CreatingNewFiles, TakesOnlyAFreeName) {
    ScratchFile file("new-free");
    HANDLE handle;
    ASSERT_EQ(create_new_file(file.name(), &handle), 0);
    write_fails_hard = 0;
    EXPECT_EQ(write_raw(handle, "new", 3), 3);
    write_fails_hard = 1;
    close_file(handle);
    EXPECT_EQ(file.read(), "new");
    // The name is taken now: the file is neither opened nor truncated.
    EXPECT_EQ(create_new_file(file.name(), &handle), kNameTaken);
    EXPECT_EQ(handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(file.read(), "new");
}

TEST(CreatingNewFiles, TellsANameTooLongFromOtherRefusals) {
    std::string long_name(300, 'n');
    HANDLE handle;
    EXPECT_EQ(create_new_file(long_name.c_str(), &handle), kNameTooLong);
    EXPECT_EQ(handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(create_new_file("no-such-folder/new.txt", &handle), 1);
}

#ifndef _WIN32
TEST(CreatingNewFiles, NeverFollowsALink) {
    ScratchFile target("new-link-target");
    ScratchFile link("new-link");
    ASSERT_EQ(symlink(target.name(), link.name()), 0);
    HANDLE handle;
    EXPECT_EQ(create_new_file(link.name(), &handle), kNameTaken);
    EXPECT_FALSE(exists(target.name()));
}
#endif

TEST(ReplacingNames, TellsWhatCanBeReplaced) {
    ScratchFile missing("replace-missing");
    ScratchFile plain("replace-plain", "old");
    ScratchFile read_only("replace-read-only", "old");
    fs::permissions(read_only.name(), fs::perms::owner_write | fs::perms::group_write |
                                          fs::perms::others_write,
                    fs::perm_options::remove);
    ScratchFile held("replace-held", "old");
    HANDLE holder = system_open(held.name(), GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    std::string folder = "platform-replace-folder.tmp";
    fs::create_directory(folder);
    struct Row {
        std::string name;
        uint32_t replaceable;  // check_replaceable's answer: 0 or the reason's code
        int32_t moved;        // move_file's answer (-1: not checked)
    } rows[] = {
        {missing.name(), 0, 0},
        {plain.name(), 0, 0},
        {read_only.name(), ERROR_ACCESS_DENIED, kReadOnlyMoved},
        {held.name(), ERROR_SHARING_VIOLATION, 1},
        {folder, kErrorIsFolder, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(check_replaceable(row.name.c_str()), row.replaceable);
        ScratchFile source("replace-source", "new");
        if (row.moved < 0) continue;
        EXPECT_EQ(move_file(source.name(), row.name.c_str()), row.moved);
        EXPECT_EQ(exists(source.name()), row.moved == 1);
        if (row.moved == 0) EXPECT_EQ(content_of(row.name), "new");
    }
    CloseHandle(holder);
    fs::permissions(read_only.name(), fs::perms::owner_write, fs::perm_options::add);
    fs::remove(folder);
}

#ifndef _WIN32
TEST(ReplacingNames, ReplacesALinkOrAFifoAsAName) {
    ScratchFile target("replace-link-target", "precious");
    ScratchFile link("replace-link");
    ScratchFile fifo("replace-fifo");
    ASSERT_EQ(symlink(target.name(), link.name()), 0);
    ASSERT_EQ(mkfifo(fifo.name(), 0600), 0);
    for (const ScratchFile* name : {&link, &fifo}) {
        SCOPED_TRACE(name->name());
        EXPECT_EQ(check_replaceable(name->name()), 0);
        ScratchFile source("replace-source", "new");
        EXPECT_EQ(move_file(source.name(), name->name()), 0);
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(name->name())));
        EXPECT_EQ(name->read(), "new");
    }
    EXPECT_EQ(target.read(), "precious");
}
#endif

TEST(DeletingFiles, DeletesTheNameOnce) {
    ScratchFile file("delete", "x");
    EXPECT_EQ(delete_file(file.name()), 0);
    EXPECT_FALSE(exists(file.name()));
    EXPECT_EQ(delete_file(file.name()), 1);
}

}  // namespace
