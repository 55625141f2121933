// The stand-in's process calls: command line, full path names, exit, sleep, memory, priority
// and version.
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>

#include "platform/standin/win_standin.h"

namespace {

// Windows limits a command line to 32767 characters; longer ones are cut.
char command_line[32768];
size_t command_length;

void put(char c) {
    if (command_length + 1 < sizeof command_line) command_line[command_length++] = c;
    command_line[command_length] = 0;
}

void put_repeated(char c, size_t count) {
    for (size_t i = 0; i < count; ++i) put(c);
}

// Quotes the way the Windows argument parser reads back: backslashes are literal except
// before a double quote, where they are doubled and the quote escaped.
void put_argument(const char* argument) {
    bool quoted = *argument == 0 || std::strpbrk(argument, " \t\n\v\"") != nullptr;
    if (quoted) put('"');
    size_t backslashes = 0;
    for (const char* p = argument;; ++p) {
        if (*p == '\\') {
            ++backslashes;
            continue;
        }
        if (*p == 0) {
            put_repeated('\\', quoted ? 2 * backslashes : backslashes);
            break;
        }
        put_repeated('\\', *p == '"' ? 2 * backslashes + 1 : backslashes);
        put(*p);
        backslashes = 0;
    }
    if (quoted) put('"');
}

// Appends the path component [from, from + length) to path (length used), resolving "." and
// "..".
void append_component(char* path, size_t& used, const char* from, size_t length) {
    if (length == 0 || (length == 1 && from[0] == '.')) return;
    if (length == 2 && from[0] == '.' && from[1] == '.') {
        while (used > 1 && path[used - 1] != '/') --used;
        if (used > 1) --used;
        path[used] = 0;
        return;
    }
    if (used > 1) path[used++] = '/';
    std::memcpy(path + used, from, length);
    used += length;
    path[used] = 0;
}

}  // namespace

void standin_set_arguments(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    command_length = 0;
    command_line[0] = 0;
    for (int i = 0; i < argc; ++i) {
        if (i > 0) put(' ');
        put_argument(argv[i]);
    }
}

LPSTR GetCommandLineA() { return command_line; }

DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part) {
    char joined[2 * PATH_MAX];
    char path[2 * PATH_MAX] = "/";
    size_t name_length = std::strlen(name);
    if (name_length == 0 || name_length >= PATH_MAX) return 0;
    if (name[0] == '/') joined[0] = 0;
    else if (getcwd(joined, PATH_MAX) == nullptr) return 0;
    std::strcat(joined, "/");
    std::strcat(joined, name);
    size_t used = 1;
    for (const char* p = joined; *p;) {
        size_t length = std::strcspn(p, "/");
        append_component(path, used, p, length);
        p += length + (p[length] == '/');
    }
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

void ExitProcess(UINT code) { _exit(static_cast<int>(code)); }

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

LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protection) {
    if (address != nullptr || size == 0 || protection != PAGE_READWRITE) return nullptr;
    if ((type & (MEM_RESERVE | MEM_COMMIT)) == 0) return nullptr;
    int access = (type & MEM_COMMIT) ? PROT_READ | PROT_WRITE : PROT_NONE;
    void* region = mmap(nullptr, size, access, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return region == MAP_FAILED ? nullptr : region;
}

HANDLE GetCurrentProcess() { return INVALID_HANDLE_VALUE; }

BOOL SetPriorityClass(HANDLE process, DWORD priority_class) {
    int nice_value;
    switch (priority_class) {
        case IDLE_PRIORITY_CLASS: nice_value = 19; break;
        case BELOW_NORMAL_PRIORITY_CLASS: nice_value = 10; break;
        case NORMAL_PRIORITY_CLASS: nice_value = 0; break;
        case HIGH_PRIORITY_CLASS: nice_value = -10; break;
        default: return 0;
    }
    if (process != GetCurrentProcess()) return 0;
    return setpriority(PRIO_PROCESS, 0, nice_value) == 0;
}

// NT family (bit 31 clear), version 6.2, build 9200: what Windows reports to a program
// that does not declare a newer version.
DWORD GetVersion() { return 0x23F00206u; }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }
