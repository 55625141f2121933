// The stand-in's handle calls: standard handles, file kinds and information, console modes,
// reading, writing, flushing, opening with exclusive sharing, moving to an offset, closing.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "platform/standin/errors.h"
#include "platform/standin/handle_map.h"
#include "platform/standin/handle_marks.h"
#include "platform/standin/paths.h"
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

// An open without read or write access only looks at the file, as on Windows.
bool only_looks(DWORD access) { return !(access & (GENERIC_READ | GENERIC_WRITE)); }

// O_NONBLOCK: a FIFO without a writer would otherwise block the open for good.
int open_flags(DWORD access, DWORD disposition) {
    if (only_looks(access)) return O_PATH | O_CLOEXEC;
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
// Sharing without read or write (FILE_SHARE_DELETE alone) still keeps every other opener out.
bool lock_and_prepare(int fd, DWORD access, DWORD share, DWORD disposition) {
    struct stat status;
    if (fstat(fd, &status) != 0) return fail_with(errno);
    if (S_ISDIR(status.st_mode)) return fail_with(EISDIR);
    if (!S_ISREG(status.st_mode) || only_looks(access)) return true;
    bool shared = share & (FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (flock(fd, (shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) return fail_with(errno);
    return disposition != CREATE_ALWAYS || ftruncate(fd, 0) == 0 || fail_with(errno);
}

// Whether POSIX would let the caller remove name, as DELETE access asks: it must write its
// folder, and in a sticky folder (/tmp) own the file or the folder. Root may remove any name.
bool may_delete(const char* name) {
    if (geteuid() == 0) return true;
    struct stat entry;
    if (lstat(name, &entry) != 0) return fail_with(errno, name);
    int folder = standin::open_folder_of(name);
    if (folder < 0) return fail_with(errno, name);
    struct stat status;
    bool known = fstat(folder, &status) == 0;
    bool writable = faccessat(folder, ".", W_OK | X_OK, AT_EACCESS) == 0;
    close(folder);
    if (!known || !writable) return fail_with(EACCES);
    bool sticky = status.st_mode & S_ISVTX;
    bool owner = entry.st_uid == geteuid() || status.st_uid == geteuid();
    return !sticky || owner || fail_with(EPERM);
}

// A FILE_FLAG_DELETE_ON_CLOSE file is named for good only when its name still holds it once
// it is locked: a holder that let go deleted the name first, and whoever made a new file
// under it holds that one.
bool keep_for_deletion(int fd, const char* name) {
    struct stat named, opened;
    if (fstat(fd, &opened) != 0) return fail_with(errno);
    if (lstat(name, &named) != 0) return fail_with(errno, name);
    if (named.st_dev != opened.st_dev || named.st_ino != opened.st_ino)
        return fail_with(EWOULDBLOCK);
    return standin::delete_on_close(fd, name) || fail_with(ENFILE);
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
    if (standin::is_device_handle(fd_of(handle))) return FILE_TYPE_CHAR;
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
                   DWORD disposition, DWORD flags, HANDLE) {
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
    bool ready = (only_looks(access) || clear_nonblocking(fd)) &&
                 lock_and_prepare(fd, access, share, disposition) &&
                 (!(access & DELETE) || may_delete(name)) &&
                 (!(flags & FILE_FLAG_DELETE_ON_CLOSE) || keep_for_deletion(fd, name));
    if (!ready) {
        close(fd);
        return INVALID_HANDLE_VALUE;
    }
    standin::mark_device(fd, standin::in_device_namespace(name));
    return handle_of(fd);
}

DWORD SetFilePointer(HANDLE handle, LONG distance, LONG* distance_high, DWORD method) {
    if (distance_high || method != FILE_BEGIN || distance < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    off_t offset = lseek(fd_of(handle), distance, SEEK_SET);
    if (offset < 0) {
        fail_with(errno);
        return INVALID_SET_FILE_POINTER;
    }
    return static_cast<DWORD>(offset);
}

BOOL CloseHandle(HANDLE handle) {
    int fd = fd_of(handle);
    if (fd < 0) return fail_with(EBADF);
    standin::delete_before_close(fd);
    standin::mark_device(fd, false);
    return close(fd) == 0 || fail_with(errno);
}

BOOL FlushFileBuffers(HANDLE handle) {
    int fd = fd_of(handle);
    if (fd < 0) return fail_with(EBADF);
    return fsync(fd) == 0 || fail_with(errno);
}
