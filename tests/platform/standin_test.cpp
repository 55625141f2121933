// The POSIX stand-in's Windows calls where they go beyond what the services' tests reach:
// file kinds, console modes and the terminal left as found, the command line,
// full paths, priority classes, the signals that Windows would not deliver and those that
// become console events, files deleted on close, the device namespace and delete rights.
#ifndef _WIN32

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <pthread.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/standin/errors.h"
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

// Runs body in a child process and gives its wait status; the child ends with exit code 0
// when body returns. A child keeps what it changes in the stand-in (the recorded terminal
// settings among them) from the tests that follow.
template <class Body>
int in_child(Body body) {
    pid_t child = fork();
    if (child == 0) {
        body();
        _exit(0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return status;
}

TEST(Standin, ConsoleModeOfATerminalIsItsLineDiscipline) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
    int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    int status = in_child([terminal] {
        HANDLE handle = handle_of(terminal);
        DWORD mode = 0;
        if (!GetConsoleMode(handle, &mode)) _exit(2);
        if ((mode & (ENABLE_PROCESSED_INPUT | ENABLE_MOUSE_INPUT)) !=
            (ENABLE_PROCESSED_INPUT | ENABLE_MOUSE_INPUT))
            _exit(3);
        DWORD changed = (mode & ~(ENABLE_PROCESSED_INPUT | ENABLE_MOUSE_INPUT)) |
                        ENABLE_WINDOW_INPUT;
        if (!SetConsoleMode(handle, changed)) _exit(4);
        termios settings;
        if (tcgetattr(terminal, &settings) != 0 || (settings.c_lflag & ISIG)) _exit(5);
        if (!GetConsoleMode(handle, &mode)) _exit(6);
        if ((mode & (ENABLE_PROCESSED_INPUT | ENABLE_MOUSE_INPUT | ENABLE_WINDOW_INPUT)) !=
            ENABLE_WINDOW_INPUT)
            _exit(7);
    });
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the step that failed";
    close(terminal);
    close(master);
}

// logtally takes its path from between the first and the last double quote of the arguments,
// so one argument comes back exactly, quotes, backslashes and blanks included.
TEST(Standin, CommandLineGivesBackTheArgumentByTheProgramsRules) {
    struct Row {
        std::vector<const char*> arguments;
        const char* line;
    } rows[] = {
        {{"prog"}, "prog"},
        {{""}, "\"\""},
        {{"prog", "log.txt"}, "prog \"log.txt\""},
        {{"prog", "day one.txt"}, "prog \"day one.txt\""},
        {{"prog", ""}, "prog \"\""},
        {{"prog", "a\\b"}, "prog \"a\\b\""},
        {{"prog", "\"sample.log\""}, "prog \"\"sample.log\"\""},
        {{"prog", "a\"b"}, "prog \"a\"b\""},
        {{"prog", " padded\\ "}, "prog \" padded\\ \""},
        {{"my prog", "x", "y"}, "\"my prog\" \"x y\""},
        {{"my \"odd\" prog", "x"}, "\"my odd prog\" \"x\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        standin_set_arguments(static_cast<int>(row.arguments.size()),
                              const_cast<char**>(row.arguments.data()));
        EXPECT_STREQ(GetCommandLineA(), row.line);
    }
}

// Natively every byte of a command line has its exact ANSI form: the wide line holds the
// same bytes as units, and they convert back without the default character.
TEST(Standin, WideCommandLineConvertsBackExactly) {
    const char* arguments[] = {"prog", "caf\xE9 \"x\".log"};
    standin_set_arguments(2, const_cast<char**>(arguments));
    std::string narrow = GetCommandLineA();
    std::u16string wide = GetCommandLineW();
    ASSERT_EQ(wide.size(), narrow.size());
    char back[64];
    BOOL used_default = 1;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, back,
                                   sizeof back, nullptr, &used_default);
    EXPECT_EQ(size, static_cast<int>(narrow.size()) + 1);
    EXPECT_EQ(used_default, 0);
    EXPECT_EQ(std::string(back), narrow);

    const char16_t beyond[] = {u'a', 0xFF41, 0};  // the full-width a has no byte of its own
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, beyond, -1, nullptr, 0, nullptr,
                                  &used_default),
              3);
    EXPECT_EQ(used_default, 1);
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

TEST(Standin, OpeningAFifoWithoutAWriterDoesNotBlock) {
    const char* name = "platform-standin-fifo.tmp";
    unlink(name);
    ASSERT_EQ(mkfifo(name, 0600), 0);
    int status = in_child([name] {
        alarm(5);  // a blocked open ends the child instead of the test run
        HANDLE handle = system_open(name, GENERIC_READ, OPEN_EXISTING);
        if (handle == INVALID_HANDLE_VALUE) _exit(2);
        if (GetFileType(handle) != FILE_TYPE_PIPE) _exit(3);
        int fd = static_cast<int>(reinterpret_cast<intptr_t>(handle) / 4 - 1);
        if (fcntl(fd, F_GETFL) & O_NONBLOCK) _exit(4);  // reads block again once open
    });
    unlink(name);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// As on Windows, a write past the file-size limit comes up short; the process lives on.
TEST(Standin, WritePastTheFileSizeLimitIsShort) {
    ScratchFile file("standin-limit");
    int status = in_child([&file] {
        const char* arguments[] = {"prog"};
        standin_set_arguments(1, const_cast<char**>(arguments));
        rlimit limit = {4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        HANDLE handle = system_open(file.name(), GENERIC_WRITE, CREATE_ALWAYS);
        static char data[8192];
        DWORD written = 0;
        WriteFile(handle, data, sizeof data, &written, nullptr);
        if (written != 4096) _exit(2);
        if (WriteFile(handle, data, 1, &written, nullptr) || written != 0) _exit(3);
        if (GetLastError() != ERROR_DISK_FULL) _exit(4);
    });
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Standin, ErrnoBecomesTheWindowsCode) {
    struct Case {
        int err;
        const char* path;
        DWORD expected;
    } cases[] = {
        // a missing file, or the folder it would be in
        {ENOENT, "absent.log", ERROR_FILE_NOT_FOUND},
        {ENOENT, "/tmp/absent.log", ERROR_FILE_NOT_FOUND},
        {ENOENT, "/absent-folder/absent.log", ERROR_PATH_NOT_FOUND},
        {ENOENT, "", ERROR_PATH_NOT_FOUND},
        {ENOENT, nullptr, ERROR_FILE_NOT_FOUND},
        {ENOTDIR, "a-file/x.log", ERROR_PATH_NOT_FOUND},
        // denied, a folder, held
        {EACCES, nullptr, ERROR_ACCESS_DENIED},
        {EPERM, nullptr, ERROR_ACCESS_DENIED},
        {EROFS, nullptr, ERROR_ACCESS_DENIED},
        {EISDIR, nullptr, ERROR_ACCESS_DENIED},
        {EWOULDBLOCK, nullptr, ERROR_SHARING_VIOLATION},
        // no room
        {ENOSPC, nullptr, ERROR_DISK_FULL},
        {EDQUOT, nullptr, ERROR_DISK_FULL},
        {EFBIG, nullptr, ERROR_DISK_FULL},
        // names, handles, pipes, devices
        {ENAMETOOLONG, nullptr, ERROR_INVALID_NAME},
        {EINVAL, nullptr, ERROR_INVALID_NAME},
        {EBADF, nullptr, ERROR_INVALID_HANDLE},
        {EPIPE, nullptr, ERROR_NO_DATA},
        {EIO, nullptr, ERROR_NOT_READY},
        {ENOMEM, nullptr, ERROR_NOT_ENOUGH_MEMORY},
        // anything else
        {EXDEV, nullptr, ERROR_GEN_FAILURE},
        {0, nullptr, ERROR_GEN_FAILURE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err);
        SCOPED_TRACE(c.path ? c.path : "(no path)");
        EXPECT_EQ(standin::error_code_of(c.err, c.path), c.expected);
    }
}

// Each failing call sets the last error from its errno; a successful one leaves it alone.
TEST(Standin, FailingCallsSetTheLastError) {
    ScratchFile file("standin-errors", "x");
    SetLastError(77);
    HANDLE reading = system_open(file.name(), GENERIC_READ, OPEN_EXISTING);
    EXPECT_EQ(GetLastError(), 77u);
    DWORD count = 9;
    EXPECT_EQ(WriteFile(reading, "x", 1, &count, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(system_open(file.name(), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    CloseHandle(reading);
    EXPECT_EQ(CloseHandle(reading), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_EQ(GetFileType(reading), FILE_TYPE_UNKNOWN);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetPriorityClass(GetCurrentProcess(), 0x12345), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    HANDLE full = system_open("/dev/full", GENERIC_WRITE, OPEN_EXISTING);
    EXPECT_EQ(WriteFile(full, "x", 1, &count, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    CloseHandle(full);
    EXPECT_EQ(system_open(".", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetFileAttributesA("."), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA(file.name()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesA("absent-folder/x"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

LONG WINAPI report_and_exit(EXCEPTION_POINTERS*) { _exit(7); }

// Only the process's own faults reach the filter; the same signal sent by another process
// takes its default action, as no process can raise an exception in another on Windows.
TEST(Standin, AFaultSignalSentByAnotherProcessIsNoException) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    if (child == 0) {
        rlimit no_core = {0, 0};
        setrlimit(RLIMIT_CORE, &no_core);
        SetUnhandledExceptionFilter(report_and_exit);
        if (write(ready[1], "r", 1) != 1) _exit(2);
        for (;;) pause();
    }
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    for (int fd : ready) close(fd);
    kill(child, SIGSEGV);
    int status = -1;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the filter ran: exit code " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);

    status = in_child([] {
        SetUnhandledExceptionFilter(report_and_exit);
        __builtin_trap();  // a fault of the process itself (SIGILL from the system)
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7) << "a real fault is reported";
}

// The terminal gets back the settings it had before the first change, whichever way the
// process ends.
TEST(Standin, TerminalSettingsComeBackWhenTheProcessEnds) {
    enum class Ending { kExitProcess, kInterrupt, kTerminate, kFault };
    const struct {
        const char* name;
        Ending ending;
    } rows[] = {
        {"ExitProcess", Ending::kExitProcess},
        {"SIGINT", Ending::kInterrupt},
        {"SIGTERM", Ending::kTerminate},
        {"fault reported by the filter", Ending::kFault},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        int master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
        int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
        ASSERT_GE(terminal, 0);
        termios before;
        ASSERT_EQ(tcgetattr(terminal, &before), 0);
        before.c_lflag &= ~static_cast<tcflag_t>(ISIG);
        ASSERT_EQ(tcsetattr(terminal, TCSANOW, &before), 0);
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t child = fork();
        if (child == 0) {
            rlimit no_core = {0, 0};
            setrlimit(RLIMIT_CORE, &no_core);
            HANDLE handle = reinterpret_cast<HANDLE>(static_cast<intptr_t>(terminal + 1) * 4);
            DWORD mode = 0;
            GetConsoleMode(handle, &mode);
            SetConsoleMode(handle, mode | ENABLE_PROCESSED_INPUT);
            termios changed;
            tcgetattr(terminal, &changed);
            if (!(changed.c_lflag & ISIG)) _exit(2);
            if (row.ending == Ending::kExitProcess) ExitProcess(0);
            if (row.ending == Ending::kFault) {
                SetUnhandledExceptionFilter([](EXCEPTION_POINTERS*) -> LONG { ExitProcess(1); });
                __builtin_trap();  // a fault of the process itself (SIGILL from the system)
            }
            if (write(ready[1], "r", 1) != 1) _exit(3);
            for (;;) pause();
        }
        close(ready[1]);
        char byte;
        if (row.ending == Ending::kInterrupt || row.ending == Ending::kTerminate) {
            ASSERT_EQ(read(ready[0], &byte, 1), 1);
            kill(child, row.ending == Ending::kInterrupt ? SIGINT : SIGTERM);
        }
        int status = -1;
        waitpid(child, &status, 0);
        close(ready[0]);
        EXPECT_NE(status, 2 << 8) << "SetConsoleMode changed nothing";
        termios after;
        ASSERT_EQ(tcgetattr(terminal, &after), 0);
        EXPECT_EQ(after.c_lflag & ISIG, 0u);
        EXPECT_EQ(after.c_lflag, before.c_lflag);
        close(terminal);
        close(master);
    }
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
         ERROR_INVALID_NAME},
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

// What the console-event handler of a child saw: the event and whether it ran on a thread
// other than the one that installed it.
std::atomic<int> seen_event{-1};
std::atomic<bool> seen_elsewhere{false};
pthread_t installing_thread;

BOOL WINAPI record_event(DWORD event) {
    if (seen_event.load() < 0) {
        seen_elsewhere = !pthread_equal(pthread_self(), installing_thread);
        seen_event = static_cast<int>(event);
    }
    return TRUE;
}

void wait_for_an_event() {
    alarm(5);  // an event that never comes ends the child instead of the test run
    while (seen_event.load() < 0) usleep(1000);
}

TEST(Standin, ConsoleSignalsBecomeEventsOnAThreadOfTheirOwn) {
    const struct {
        const char* what;
        int signal;
        DWORD event;
    } rows[] = {
        {"SIGINT", SIGINT, CTRL_C_EVENT},
        {"SIGTERM", SIGTERM, CTRL_SHUTDOWN_EVENT},
        {"SIGHUP", SIGHUP, CTRL_CLOSE_EVENT},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        int status = in_child([&row] {
            installing_thread = pthread_self();
            if (!SetConsoleCtrlHandler(record_event, TRUE)) _exit(2);
            kill(getpid(), row.signal);
            wait_for_an_event();
            if (seen_event.load() != static_cast<int>(row.event)) _exit(3);
            if (!seen_elsewhere.load()) _exit(4);
        });
        EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the step that failed";
    }
}

// A signal ignored when the handler came (nohup) stays ignored; one no handler takes ends the
// process as ExitProcess(CONTROL_C_EXIT), which here is the end by that signal.
TEST(Standin, AnIgnoredSignalStaysIgnoredAnUnhandledOneEndsTheProcess) {
    int status = in_child([] {
        signal(SIGINT, SIG_IGN);
        installing_thread = pthread_self();
        SetConsoleCtrlHandler(record_event, TRUE);
        kill(getpid(), SIGINT);  // would be taken first, being the lower signal
        kill(getpid(), SIGTERM);
        wait_for_an_event();
        if (seen_event.load() != static_cast<int>(CTRL_SHUTDOWN_EVENT)) _exit(3);
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    status = in_child([] {
        SetConsoleCtrlHandler([](DWORD) -> BOOL { return FALSE; }, TRUE);
        kill(getpid(), SIGHUP);
        for (;;) pause();
    });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGHUP) << status;

    status = in_child([] { ExitProcess(CONTROL_C_EXIT); });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
}

HANDLE open_to_delete(const char* name, DWORD disposition) {
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

bool name_exists(const char* name) {
    struct stat status;
    return lstat(name, &status) == 0;
}

TEST(Standin, AFileDeletedOnCloseGoesOnlyWhileItsNameHoldsIt) {
    ScratchFile file("standin-doc");
    HANDLE handle = open_to_delete(file.name(), CREATE_NEW);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(name_exists(file.name()));
    EXPECT_EQ(open_to_delete(file.name(), OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    CloseHandle(handle);
    EXPECT_FALSE(name_exists(file.name()));

    // Another file put under the name meanwhile is not the one to delete.
    ScratchFile other("standin-doc-other", "mine");
    handle = open_to_delete(file.name(), CREATE_NEW);
    ASSERT_EQ(rename(other.name(), file.name()), 0);
    CloseHandle(handle);
    EXPECT_EQ(file.read(), "mine");

    // The process ends: the system deletes the file.
    ScratchFile ending("standin-doc-exit");
    int status = in_child([&ending] {
        if (open_to_delete(ending.name(), CREATE_NEW) == INVALID_HANDLE_VALUE) _exit(2);
        ExitProcess(0);
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(name_exists(ending.name()));
}

TEST(Standin, NamesInTheDeviceNamespaceOpenAsDevices) {
    ScratchFile file("standin-device", "x");
    ScratchFile link("standin-device-link");
    ASSERT_EQ(symlink("/dev/stdin", link.name()), 0);
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::string around = std::string("/dev/..") + cwd + "/" + file.name();
    int status = in_child([&] {
        int fd = open(file.name(), O_RDONLY);
        if (fd < 0 || dup2(fd, 0) != 0) _exit(2);  // standard input is the regular file
        const struct {
            const char* name;
            DWORD type;
        } rows[] = {
            {"/dev/stdin", FILE_TYPE_CHAR},
            {"/proc/self/fd/0", FILE_TYPE_CHAR},
            {link.name(), FILE_TYPE_CHAR},
            {file.name(), FILE_TYPE_DISK},
            {around.c_str(), FILE_TYPE_DISK},
        };
        int step = 3;
        for (const auto& row : rows) {
            HANDLE handle = CreateFileA(row.name, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != row.type) _exit(step);
            CloseHandle(handle);
            ++step;
        }
    });
    EXPECT_EQ(status, 0) << "the row that failed: " << (WEXITSTATUS(status) - 3);
}

TEST(Standin, ALinkToAFolderIsAFolderLinkAndIsNotReplaced) {
    ScratchFile link("standin-folder-link");
    ScratchFile source("standin-folder-source", "new");
    ASSERT_EQ(symlink(".", link.name()), 0);
    EXPECT_EQ(GetFileAttributesA(link.name()),
              FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(MoveFileExA(source.name(), link.name(), MOVEFILE_REPLACE_EXISTING), 0);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(source.read(), "new");
}

// Only the owner of the file or of the folder may remove a name from a sticky folder; root
// may remove any, so the check runs as nobody.
TEST(Standin, DeleteAccessFollowsTheStickyFolder) {
    if (geteuid() != 0) GTEST_SKIP() << "another owner's file needs root to be made";
    std::string folder = "platform-standin-sticky.tmp";
    mkdir(folder.c_str(), 01777);
    chmod(folder.c_str(), 01777);
    std::string theirs = folder + "/theirs", ours = folder + "/ours";
    { std::ofstream(theirs) << "x"; }
    chmod(theirs.c_str(), 0666);
    int status = in_child([&] {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        { std::ofstream(ours) << "x"; }
        auto open_deleting = [](const std::string& name) {
            return CreateFileA(name.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        };
        if (open_deleting(theirs) != INVALID_HANDLE_VALUE) _exit(3);
        if (GetLastError() != ERROR_ACCESS_DENIED) _exit(4);
        HANDLE own = open_deleting(ours);
        if (own == INVALID_HANDLE_VALUE) _exit(5);
        CloseHandle(own);
        // Reading alone asks for no right to delete.
        HANDLE reading = CreateFileA(theirs.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (reading == INVALID_HANDLE_VALUE) _exit(6);
    });
    EXPECT_EQ(status, 0) << "the step that failed: " << WEXITSTATUS(status);
    std::remove(theirs.c_str());
    std::remove(ours.c_str());
    rmdir(folder.c_str());
}

}  // namespace

#endif
