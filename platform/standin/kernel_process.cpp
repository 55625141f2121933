// The stand-in's process calls: command line, full path names, exit, sleep, memory, priority,
// version, process id and ticks.
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>

#include "platform/standin/ending.h"
#include "platform/standin/errors.h"
#include "platform/standin/paths.h"
#include "platform/standin/win_standin.h"

namespace {

// Sets ERROR_INVALID_PARAMETER for arguments a call does not take; returns 0, its failure.
int invalid_parameter() {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

// Windows limits a command line to 32767 characters; longer ones are cut.
char command_line[32768];
char16_t wide_command_line[32768];
size_t command_length;

void put(char c) {
    if (command_length + 1 < sizeof command_line) command_line[command_length++] = c;
    command_line[command_length] = 0;
}

void put_text(const char* text) {
    for (; *text; ++text) put(*text);
}

// The program's name ends at its closing quote, or at its first blank when unquoted; a quote
// inside it would end it early, and no quoting keeps one, so its quotes are left out.
void put_program_name(const char* name) {
    bool quoted = *name == 0 || std::strpbrk(name, " \t\n\v\f\r") != nullptr;
    if (quoted) put('"');
    for (; *name; ++name)
        if (*name != '"') put(*name);
    if (quoted) put('"');
}

// The line as the program reads it back: it removes the blanks around its arguments and
// then one opening and one closing quote, and takes what is left whole. A first argument "--"
// stays outside the quotes, as it is typed on Windows before a quoted path: "-- x" as one
// argument is a path.
void build_command_line(int argc, char** argv) {
    command_length = 0;
    command_line[0] = 0;
    if (argc > 0) put_program_name(argv[0]);
    if (argc < 2) return;
    int first = 1;
    if (std::strcmp(argv[1], "--") == 0) {
        put_text(" --");
        if (argc == 2) return;
        first = 2;
    }
    put_text(" \"");
    for (int i = first; i < argc; ++i) {
        if (i > first) put(' ');
        put_text(argv[i]);
    }
    put('"');
}

}  // namespace

void standin_set_arguments(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    build_command_line(argc, argv);
    for (size_t i = 0; i <= command_length; ++i)
        wide_command_line[i] = static_cast<unsigned char>(command_line[i]);
}

LPSTR GetCommandLineA() { return command_line; }

LPWSTR GetCommandLineW() { return wide_command_line; }

// Only CP_ACP is known; a unit above 0xFF has no byte of its own and becomes the default.
int WideCharToMultiByte(UINT code_page, DWORD, LPCWSTR wide, int wide_count, LPSTR out,
                        int out_size, LPCSTR default_char, LPBOOL used_default) {
    if (code_page != CP_ACP || wide == nullptr || out_size < 0) return invalid_parameter();
    if (wide_count < 0) {
        wide_count = 1;
        while (wide[wide_count - 1] != 0) ++wide_count;
    }
    if (out_size != 0 && out_size < wide_count) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    char fallback = default_char ? *default_char : '?';
    bool defaulted = false;
    for (int i = 0; i < wide_count; ++i) {
        bool fits = wide[i] <= 0xFF;
        defaulted |= !fits;
        if (out_size != 0) out[i] = fits ? static_cast<char>(wide[i]) : fallback;
    }
    if (used_default) *used_default = defaulted;
    return wide_count;
}

// Static, not on the stack: a path of the system's longest would take a quarter of a small
// stack (ulimit -s 16).
DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part) {
    static char path[standin::kPathRoom];
    size_t name_length = std::strlen(name);
    if (name_length == 0 || name_length >= PATH_MAX) return standin::fail_with(ENAMETOOLONG);
    path[0] = '/';
    path[1] = 0;
    size_t used = 1;
    if (name[0] != '/') {
        static char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd) == nullptr) return standin::fail_with(errno);
        standin::append_names(path, &used, cwd);
    }
    if (!standin::append_names(path, &used, name)) return standin::fail_with(ENAMETOOLONG);
    if (name[name_length - 1] == '/' && used > 1) path[used++] = '/';
    path[used] = 0;
    if (used + 1 > size) return static_cast<DWORD>(used + 1);
    std::memcpy(buffer, path, used + 1);
    if (file_part) {
        char* last = std::strrchr(buffer, '/') + 1;
        *file_part = *last ? last : nullptr;
    }
    return static_cast<DWORD>(used);
}

void ExitProcess(UINT code) {
    if (code == CONTROL_C_EXIT) standin::end_by_console_signal();
    standin::process_ending();
    _exit(static_cast<int>(code));
}

void Sleep(DWORD milliseconds) {
    timespec rest{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

void GetSystemInfo(LPSYSTEM_INFO info) {
    std::memset(info, 0, sizeof *info);
    info->dwPageSize = static_cast<DWORD>(sysconf(_SC_PAGESIZE));
    info->dwAllocationGranularity = 65536;
    info->dwNumberOfProcessors = static_cast<DWORD>(sysconf(_SC_NPROCESSORS_ONLN));
}

namespace {

// The live regions and their sizes: munmap needs the size that VirtualFree is not given.
struct Region {
    void* address;
    size_t size;
};
Region regions[256];

void remember_region(void* address, size_t size) {
    for (Region& r : regions)
        if (!r.address) {
            r = {address, size};
            return;
        }
}

}  // namespace

LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protection) {
    bool taken = address == nullptr && size != 0 && protection == PAGE_READWRITE &&
                 (type & (MEM_RESERVE | MEM_COMMIT)) != 0;
    if (!taken) {
        invalid_parameter();
        return nullptr;
    }
    int access = (type & MEM_COMMIT) ? PROT_READ | PROT_WRITE : PROT_NONE;
    void* region = mmap(nullptr, size, access, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (region == MAP_FAILED) {
        standin::fail_with(errno);
        return nullptr;
    }
    remember_region(region, size);
    return region;
}

BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD type) {
    if (address == nullptr || size != 0 || type != MEM_RELEASE) {
        invalid_parameter();
        return 0;
    }
    for (Region& r : regions)
        if (r.address == address) {
            munmap(r.address, r.size);
            r = {nullptr, 0};
            return 1;
        }
    invalid_parameter();
    return 0;
}

HANDLE GetCurrentProcess() { return INVALID_HANDLE_VALUE; }

BOOL SetPriorityClass(HANDLE process, DWORD priority_class) {
    int nice_value;
    switch (priority_class) {
        case IDLE_PRIORITY_CLASS: nice_value = 19; break;
        case BELOW_NORMAL_PRIORITY_CLASS: nice_value = 10; break;
        case NORMAL_PRIORITY_CLASS: nice_value = 0; break;
        case HIGH_PRIORITY_CLASS: nice_value = -10; break;
        default: return invalid_parameter();
    }
    if (process != GetCurrentProcess()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return setpriority(PRIO_PROCESS, 0, nice_value) == 0 || standin::fail_with(errno);
}

// NT family (bit 31 clear), version 6.2, build 9200: what Windows reports to a program
// that does not declare a newer version.
DWORD GetVersion() { return 0x23F00206u; }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

DWORD GetTickCount() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(static_cast<uint64_t>(now.tv_sec) * 1000 +
                              static_cast<uint64_t>(now.tv_nsec) / 1000000);
}
