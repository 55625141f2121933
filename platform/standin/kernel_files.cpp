// The stand-in's handle calls: standard handles, file kinds and information, console modes,
// reading, writing, opening with exclusive sharing, closing; and the calls on file names:
// moving, deleting, attributes.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "platform/standin/errors.h"
#include "platform/standin/handle_map.h"
#include "platform/standin/terminal.h"
#include "platform/standin/win_standin.h"

using standin::fail_with;
using standin::fd_of;
using standin::handle_of;

namespace {

// Console input bits without a terminal meaning, as last set; a fresh console reports mouse
// input on.
DWORD console_other_bits = ENABLE_MOUSE_INPUT;

constexpr DWORD kTerminalBits = ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT;

// Seconds from 1601-01-01, where FILETIME counts from, to 1970-01-01.
constexpr uint64_t kFiletimeEpochSeconds = 11644473600u;

// O_NONBLOCK: a FIFO without a writer would otherwise block the open for good.
int open_flags(DWORD access, DWORD disposition) {
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    bool reads = access & GENERIC_READ;
    bool writes = access & GENERIC_WRITE;
    if (reads && writes) flags |= O_RDWR;
    else if (writes) flags |= O_WRONLY;
    else flags |= O_RDONLY;
    if (disposition == CREATE_ALWAYS) flags |= O_CREAT;
    if (disposition == CREATE_NEW) flags |= O_CREAT | O_EXCL;
    return flags;
}

// Windows refuses a second opener of a file held with share mode 0; flock gives the same
// between any two openers, in this process or another. A folder opened for reading gets this
// far, and Windows refuses it as access denied.
bool lock_and_prepare(int fd, DWORD share, DWORD disposition) {
    struct stat status;
    if (fstat(fd, &status) != 0) return fail_with(errno);
    if (S_ISDIR(status.st_mode)) return fail_with(EISDIR);
    if (!S_ISREG(status.st_mode)) return true;
    if (flock(fd, (share == 0 ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) return fail_with(errno);
    return disposition != CREATE_ALWAYS || ftruncate(fd, 0) == 0 || fail_with(errno);
}

// Reads and writes block again once the file is open, as on Windows.
bool clear_nonblocking(int fd) {
    int flags = fcntl(fd, F_GETFL);
    return (flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) || fail_with(errno);
}

// A descriptor open without the access a read or write needs gives EBADF, as does a closed
// one: Windows tells them apart as access denied and an invalid handle.
bool fail_transfer(int fd) {
    int err = errno;
    return fail_with(err == EBADF && fcntl(fd, F_GETFD) >= 0 ? EACCES : err);
}

// The stat of handle's descriptor; false with the last error set when there is none.
bool status_of(HANDLE handle, struct stat* status) {
    return fstat(fd_of(handle), status) == 0 || fail_with(errno);
}

FILETIME filetime_of(const timespec& time) {
    uint64_t ticks = (static_cast<uint64_t>(time.tv_sec) + kFiletimeEpochSeconds) * 10000000u +
                     static_cast<uint64_t>(time.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Why Windows would refuse to move a file over this existing regular file, or 0: a
// read-only file, or one that another opener holds (checked while *held_fd keeps it).
DWORD replace_refusal(const char* name, const struct stat& status, int* held_fd) {
    if ((status.st_mode & 0222) == 0) return ERROR_ACCESS_DENIED;
    *held_fd = open(name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (*held_fd < 0) return 0;
    return flock(*held_fd, LOCK_EX | LOCK_NB) == 0 ? 0 : ERROR_SHARING_VIOLATION;
}

}  // namespace

HANDLE GetStdHandle(DWORD which) {
    int fd = which == STD_INPUT_HANDLE    ? 0
             : which == STD_OUTPUT_HANDLE ? 1
             : which == STD_ERROR_HANDLE  ? 2
                                          : -1;
    if (fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    if (fcntl(fd, F_GETFD) < 0) return nullptr;
    return handle_of(fd);
}

DWORD GetFileType(HANDLE handle) {
    struct stat status;
    if (!status_of(handle, &status)) return FILE_TYPE_UNKNOWN;
    if (S_ISCHR(status.st_mode)) return FILE_TYPE_CHAR;
    if (S_ISREG(status.st_mode) || S_ISBLK(status.st_mode)) return FILE_TYPE_DISK;
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)) return FILE_TYPE_PIPE;
    return FILE_TYPE_UNKNOWN;
}

BOOL GetFileInformationByHandle(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION info) {
    struct stat status;
    if (!status_of(handle, &status)) return 0;
    uint64_t size = static_cast<uint64_t>(status.st_size);
    uint64_t inode = static_cast<uint64_t>(status.st_ino);
    *info = BY_HANDLE_FILE_INFORMATION{};
    info->dwFileAttributes = S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY
                                                     : FILE_ATTRIBUTE_NORMAL;
    info->ftCreationTime = filetime_of(status.st_ctim);
    info->ftLastAccessTime = filetime_of(status.st_atim);
    info->ftLastWriteTime = filetime_of(status.st_mtim);
    info->dwVolumeSerialNumber = static_cast<DWORD>(status.st_dev);
    info->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    info->nFileSizeLow = static_cast<DWORD>(size);
    info->nNumberOfLinks = static_cast<DWORD>(status.st_nlink);
    info->nFileIndexHigh = static_cast<DWORD>(inode >> 32);
    info->nFileIndexLow = static_cast<DWORD>(inode);
    return 1;
}

BOOL GetConsoleMode(HANDLE handle, LPDWORD mode) {
    termios terminal;
    if (tcgetattr(fd_of(handle), &terminal) != 0) return fail_with(errno);
    DWORD bits = console_other_bits;
    if (terminal.c_lflag & ISIG) bits |= ENABLE_PROCESSED_INPUT;
    if (terminal.c_lflag & ICANON) bits |= ENABLE_LINE_INPUT;
    if (terminal.c_lflag & ECHO) bits |= ENABLE_ECHO_INPUT;
    *mode = bits;
    return 1;
}

BOOL SetConsoleMode(HANDLE handle, DWORD mode) {
    termios terminal;
    int fd = fd_of(handle);
    if (tcgetattr(fd, &terminal) != 0) return fail_with(errno);
    tcflag_t flags = terminal.c_lflag & ~static_cast<tcflag_t>(ISIG | ICANON | ECHO);
    if (mode & ENABLE_PROCESSED_INPUT) flags |= ISIG;
    if (mode & ENABLE_LINE_INPUT) flags |= ICANON;
    if (mode & ENABLE_ECHO_INPUT) flags |= ECHO;
    console_other_bits = mode & ~kTerminalBits;
    if (flags == terminal.c_lflag) return 1;
    standin::remember_terminal(fd);
    terminal.c_lflag = flags;
    return tcsetattr(fd, TCSANOW, &terminal) == 0 || fail_with(errno);
}

BOOL WriteFile(HANDLE handle, LPCVOID data, DWORD count, LPDWORD written, LPOVERLAPPED) {
    int fd = fd_of(handle);
    ssize_t moved = write(fd, data, count);
    if (written) *written = moved > 0 ? static_cast<DWORD>(moved) : 0;
    return moved >= 0 || fail_transfer(fd);
}

BOOL ReadFile(HANDLE handle, LPVOID data, DWORD count, LPDWORD read_count, LPOVERLAPPED) {
    int fd = fd_of(handle);
    ssize_t moved = read(fd, data, count);
    if (read_count) *read_count = moved > 0 ? static_cast<DWORD>(moved) : 0;
    return moved >= 0 || fail_transfer(fd);
}

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                   DWORD disposition, DWORD, HANDLE) {
    if (disposition != OPEN_EXISTING && disposition != CREATE_ALWAYS &&
        disposition != CREATE_NEW) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    int fd = open(name, open_flags(access, disposition), 0666);
    if (fd < 0) {
        fail_with(errno, name);
        return INVALID_HANDLE_VALUE;
    }
    if (!clear_nonblocking(fd) || !lock_and_prepare(fd, share, disposition)) {
        close(fd);
        return INVALID_HANDLE_VALUE;
    }
    return handle_of(fd);
}

BOOL CloseHandle(HANDLE handle) {
    int fd = fd_of(handle);
    if (fd < 0) return fail_with(EBADF);
    return close(fd) == 0 || fail_with(errno);
}

BOOL MoveFileExA(LPCSTR existing, LPCSTR new_name, DWORD flags) {
    struct stat status;
    int held_fd = -1;
    DWORD refusal = 0;
    if (lstat(new_name, &status) == 0) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING)) refusal = ERROR_ALREADY_EXISTS;
        else if (S_ISDIR(status.st_mode)) refusal = ERROR_ACCESS_DENIED;
        else if (S_ISREG(status.st_mode)) refusal = replace_refusal(new_name, status, &held_fd);
    }
    bool moved = refusal == 0 && (rename(existing, new_name) == 0 || fail_with(errno, new_name));
    if (refusal != 0) SetLastError(refusal);
    if (held_fd >= 0) close(held_fd);
    return moved;
}

BOOL DeleteFileA(LPCSTR name) { return unlink(name) == 0 || fail_with(errno, name); }

DWORD GetFileAttributesA(LPCSTR name) {
    struct stat status;
    if (lstat(name, &status) != 0) {
        fail_with(errno, name);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(status.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    if (S_ISLNK(status.st_mode)) return FILE_ATTRIBUTE_REPARSE_POINT;
    if (!S_ISREG(status.st_mode)) return FILE_ATTRIBUTE_DEVICE;
    return (status.st_mode & 0222) == 0 ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
}
