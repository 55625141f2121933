// The POSIX stand-in's Windows calls where they go beyond what the services' tests reach:
// file kinds, console modes, the command line, full paths and priority classes.
#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/win_api.h"
#include "platform_support.h"

namespace {

HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd + 1) * 4); }

TEST(Standin, FileTypesFollowWhatTheDescriptorIs) {
    ScratchFile file("standin-kind", "x");
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    int disk = open(file.name(), O_RDONLY), device = open("/dev/null", O_RDONLY);
    EXPECT_EQ(GetFileType(handle_of(disk)), FILE_TYPE_DISK);
    EXPECT_EQ(GetFileType(handle_of(device)), FILE_TYPE_CHAR);
    EXPECT_EQ(GetFileType(handle_of(ends[0])), FILE_TYPE_PIPE);
    EXPECT_EQ(GetFileType(handle_of(ends[1])), FILE_TYPE_PIPE);
    for (int fd : {disk, device, ends[0], ends[1]}) close(fd);
    EXPECT_EQ(GetFileType(handle_of(disk)), FILE_TYPE_UNKNOWN);
    EXPECT_EQ(GetFileType(nullptr), FILE_TYPE_UNKNOWN);
    EXPECT_EQ(GetFileType(INVALID_HANDLE_VALUE), FILE_TYPE_UNKNOWN);
}

TEST(Standin, ConsoleModeFailsOffATerminal) {
    ScratchFile file("standin-console", "x");
    HANDLE handle = system_open(file.name(), GENERIC_READ, OPEN_EXISTING);
    DWORD mode = 0x1234;
    EXPECT_EQ(GetConsoleMode(handle, &mode), 0);
    EXPECT_EQ(mode, 0x1234u);
    EXPECT_EQ(SetConsoleMode(handle, ENABLE_PROCESSED_INPUT), 0);
    CloseHandle(handle);
}

TEST(Standin, ConsoleModeOfATerminalIsItsLineDiscipline) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
    int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    HANDLE handle = handle_of(terminal);
    DWORD mode = 0;
    ASSERT_NE(GetConsoleMode(handle, &mode), 0);
    EXPECT_EQ(mode & (ENABLE_PROCESSED_INPUT | ENABLE_MOUSE_INPUT),
              ENABLE_PROCESSED_INPUT | ENABLE_MOUSE_INPUT);
    EXPECT_NE(SetConsoleMode(handle, (mode & ~(ENABLE_PROCESSED_INPUT | ENABLE_MOUSE_INPUT)) |
                                         ENABLE_WINDOW_INPUT),
              0);
    termios settings;
    ASSERT_EQ(tcgetattr(terminal, &settings), 0);
    EXPECT_EQ(settings.c_lflag & ISIG, 0u);
    ASSERT_NE(GetConsoleMode(handle, &mode), 0);
    EXPECT_EQ(mode & (ENABLE_PROCESSED_INPUT | ENABLE_MOUSE_INPUT | ENABLE_WINDOW_INPUT),
              ENABLE_WINDOW_INPUT);
    SetConsoleMode(handle, mode | ENABLE_PROCESSED_INPUT | ENABLE_MOUSE_INPUT);
    close(terminal);
    close(master);
}

TEST(Standin, CommandLineQuotesTheWindowsWay) {
    struct Row {
        std::vector<const char*> arguments;
        const char* line;
    } rows[] = {
        {{"prog"}, "prog"},
        {{"prog", "log.txt"}, "prog log.txt"},
        {{"prog", "day one.txt"}, "prog \"day one.txt\""},
        {{"prog", ""}, "prog \"\""},
        {{"prog", "a\\b"}, "prog a\\b"},
        {{"prog", "a\"b"}, "prog \"a\\\"b\""},
        {{"prog", "a\\\"b"}, "prog \"a\\\\\\\"b\""},
        {{"prog", "tail\\ "}, "prog \"tail\\ \""},
        {{"prog", "dir one\\"}, "prog \"dir one\\\\\""},
        {{"my prog", "x", "y"}, "\"my prog\" x y"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        standin_set_arguments(static_cast<int>(row.arguments.size()),
                              const_cast<char**>(row.arguments.data()));
        EXPECT_STREQ(GetCommandLineA(), row.line);
    }
}

TEST(Standin, FullPathNeedsNoFileAndResolvesDots) {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::string here = cwd;
    struct Row {
        const char* name;
        std::string full, file_part;
    } rows[] = {
        {"missing.log", here + "/missing.log", "missing.log"},
        {"./a/../b.log", here + "/b.log", "b.log"},
        {"/x/./y//z/../w", "/x/y/w", "w"},
        {"/..", "/", ""},
        {"/tmp/dir/", "/tmp/dir/", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        char buffer[PATH_MAX];
        char* file_part = nullptr;
        DWORD length = GetFullPathNameA(row.name, sizeof buffer, buffer, &file_part);
        EXPECT_EQ(length, row.full.size());
        EXPECT_EQ(std::string(buffer), row.full);
        EXPECT_EQ(file_part ? std::string(file_part) : "", row.file_part);
    }
    char small[4] = "abc";
    EXPECT_EQ(GetFullPathNameA("/x/yz", sizeof small, small, nullptr), 6u);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(GetFullPathNameA("", sizeof small, small, nullptr), 0u);
}

TEST(Standin, PriorityClassesAreTheFourKnownOnes) {
    EXPECT_NE(SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS), 0);
    EXPECT_EQ(SetPriorityClass(GetCurrentProcess(), 0x12345), 0);
    EXPECT_EQ(SetPriorityClass(handle_of(0), NORMAL_PRIORITY_CLASS), 0);
}

TEST(Standin, NameCallsLeaveTheWindowsErrorCode) {
    ScratchFile file("standin-names", "old");
    ScratchFile source("standin-source", "new");
    ScratchFile link("standin-link");
    ASSERT_EQ(symlink(file.name(), link.name()), 0);
    std::string long_name(300, 'n');
    auto create_new = [](const char* name) {
        return CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr) != INVALID_HANDLE_VALUE;
    };
    HANDLE holder = INVALID_HANDLE_VALUE;
    struct Row {
        const char* what;
        std::function<bool()> call;  // true when the call succeeded
        DWORD error;                 // GetLastError after its failure
    } rows[] = {
        {"create over a link", [&] { return create_new(link.name()); }, ERROR_FILE_EXISTS},
        {"create a long name", [&] { return create_new(long_name.c_str()); },
         ERROR_FILENAME_EXCED_RANGE},
        {"move without replacing", [&] { return MoveFileExA(source.name(), file.name(), 0) != 0; },
         ERROR_ALREADY_EXISTS},
        {"move over a held file",
         [&] {
             holder = CreateFileA(file.name(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
             return MoveFileExA(source.name(), file.name(), MOVEFILE_REPLACE_EXISTING) != 0;
         },
         ERROR_SHARING_VIOLATION},
        {"move over a folder",
         [&] { return MoveFileExA(source.name(), ".", MOVEFILE_REPLACE_EXISTING) != 0; },
         ERROR_ACCESS_DENIED},
        {"move from nothing",
         [] {
             return MoveFileExA("platform-none.tmp", "platform-none2.tmp",
                                MOVEFILE_REPLACE_EXISTING) != 0;
         },
         ERROR_FILE_NOT_FOUND},
        {"delete nothing", [] { return DeleteFileA("platform-none.tmp") != 0; },
         ERROR_FILE_NOT_FOUND},
        {"attributes of nothing",
         [] { return GetFileAttributesA("platform-none.tmp") != INVALID_FILE_ATTRIBUTES; },
         ERROR_FILE_NOT_FOUND},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_FALSE(row.call());
        EXPECT_EQ(GetLastError(), row.error);
    }
    CloseHandle(holder);
    EXPECT_NE(MoveFileExA(source.name(), file.name(), MOVEFILE_REPLACE_EXISTING), 0);
    EXPECT_EQ(file.read(), "new");
}

TEST(Standin, AttributesTellTheKindOfName) {
    ScratchFile file("standin-kinds", "x");
    ScratchFile link("standin-kinds-link");
    ScratchFile fifo("standin-kinds-fifo");
    ASSERT_EQ(symlink("nowhere", link.name()), 0);
    ASSERT_EQ(mkfifo(fifo.name(), 0600), 0);
    EXPECT_EQ(GetFileAttributesA(file.name()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesA(link.name()), FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(GetFileAttributesA(fifo.name()), FILE_ATTRIBUTE_DEVICE);
    EXPECT_EQ(GetFileAttributesA("/dev/null"), FILE_ATTRIBUTE_DEVICE);
    EXPECT_EQ(GetFileAttributesA("."), FILE_ATTRIBUTE_DIRECTORY);
    chmod(file.name(), 0444);
    EXPECT_EQ(GetFileAttributesA(file.name()), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
}

}  // namespace

#endif
