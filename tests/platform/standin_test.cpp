// The POSIX stand-in's Windows calls where they go beyond what the services' tests reach:
// file kinds, console modes, sharing across processes, the command line and full paths.
#ifndef _WIN32

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/win_api.h"
#include "platform_support.h"

namespace {

HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd + 1) * 4); }

HANDLE open_exclusive(const char* name, DWORD disposition) {
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

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

TEST(Standin, StandardHandlesAreNeitherNullNorInvalid) {
    for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        HANDLE handle = GetStdHandle(which);
        EXPECT_NE(handle, nullptr);
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    }
    EXPECT_EQ(GetStdHandle(STD_ERROR_HANDLE), handle_of(2));
}

TEST(Standin, ConsoleModeFailsOffATerminal) {
    ScratchFile file("standin-console", "x");
    HANDLE handle = open_exclusive(file.name(), OPEN_EXISTING);
    DWORD mode = 0x1234;
    EXPECT_EQ(GetConsoleMode(handle, &mode), 0);
    EXPECT_EQ(mode, 0x1234u);
    EXPECT_EQ(SetConsoleMode(handle, ENABLE_PROCESSED_INPUT), 0);
    CloseHandle(handle);
}

TEST(Standin, FailedWritesReportNothingWritten) {
    HANDLE full = handle_of(open("/dev/full", O_WRONLY));
    DWORD written = 99;
    EXPECT_EQ(WriteFile(full, "abc", 3, &written, nullptr), 0);
    EXPECT_EQ(written, 0u);
    CloseHandle(full);
    EXPECT_EQ(WriteFile(nullptr, "abc", 3, &written, nullptr), 0);
    EXPECT_EQ(CloseHandle(full), 0);
}

TEST(Standin, ExclusiveOpenIsRefusedToOtherProcesses) {
    ScratchFile file("standin-share", "content");
    HANDLE holder = open_exclusive(file.name(), OPEN_EXISTING);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    pid_t child = fork();
    if (child == 0) _exit(open_exclusive(file.name(), OPEN_EXISTING) == INVALID_HANDLE_VALUE);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    EXPECT_EQ(open_exclusive(file.name(), CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    CloseHandle(holder);
    EXPECT_EQ(file.read(), "content");
}

TEST(Standin, DirectoriesCannotBeOpened) {
    EXPECT_EQ(open_exclusive(".", OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileA("/", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
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

TEST(Standin, VirtualAllocGivesWholeZeroedPages) {
    auto* region = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, 1, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(region, nullptr);
    long page = sysconf(_SC_PAGESIZE);
    EXPECT_EQ(region[page - 1], 0);
    region[page - 1] = 1;
    EXPECT_EQ(VirtualAlloc(nullptr, 0, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE), nullptr);
}

TEST(Standin, PriorityClassesAreTheFourKnownOnes) {
    EXPECT_NE(SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS), 0);
    EXPECT_EQ(SetPriorityClass(GetCurrentProcess(), 0x12345), 0);
    EXPECT_EQ(SetPriorityClass(handle_of(0), NORMAL_PRIORITY_CLASS), 0);
}

}  // namespace

#endif
