// The stand-in's calls on file names: moving, deleting, attributes.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/standin/errors.h"
#include "platform/standin/paths.h"
#include "platform/standin/win_standin.h"

using standin::fail_with;

namespace {

// Why Windows would refuse to move a file over this existing regular file, or 0: a
// read-only file, or one that another opener holds (checked while *held_fd keeps it).
DWORD replace_refusal(const char* name, const struct stat& status, int* held_fd) {
    if ((status.st_mode & 0222) == 0) return ERROR_ACCESS_DENIED;
    *held_fd = open(name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (*held_fd < 0) return 0;
    return flock(*held_fd, LOCK_EX | LOCK_NB) == 0 ? 0 : ERROR_SHARING_VIOLATION;
}

// Whether the name is a symbolic link that leads to a folder.
bool links_to_folder(const char* name) {
    struct stat target;
    return stat(name, &target) == 0 && S_ISDIR(target.st_mode);
}

// Windows replaces neither a folder nor a folder's link with a file.
DWORD move_refusal(const char* new_name, DWORD flags, int* held_fd) {
    struct stat status;
    if (lstat(new_name, &status) != 0) return 0;
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) return ERROR_ALREADY_EXISTS;
    if (S_ISDIR(status.st_mode)) return ERROR_ACCESS_DENIED;
    if (S_ISLNK(status.st_mode)) return links_to_folder(new_name) ? ERROR_ACCESS_DENIED : 0;
    if (S_ISREG(status.st_mode)) return replace_refusal(new_name, status, held_fd);
    return 0;
}

// The move is done once rename returned; a sync that fails leaves it as durable as any
// rename, and is not reported.
void sync_folder_of(const char* name) {
    int folder = standin::open_folder_of(name);
    if (folder < 0) return;
    fsync(folder);
    close(folder);
}

}  // namespace

BOOL MoveFileExA(LPCSTR existing, LPCSTR new_name, DWORD flags) {
    int held_fd = -1;
    DWORD refusal = move_refusal(new_name, flags, &held_fd);
    bool moved = refusal == 0 && (rename(existing, new_name) == 0 || fail_with(errno, new_name));
    if (refusal != 0) SetLastError(refusal);
    if (held_fd >= 0) close(held_fd);
    if (moved && (flags & MOVEFILE_WRITE_THROUGH)) sync_folder_of(new_name);
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
    if (S_ISLNK(status.st_mode))
        return FILE_ATTRIBUTE_REPARSE_POINT |
               (links_to_folder(name) ? FILE_ATTRIBUTE_DIRECTORY : 0);
    if (!S_ISREG(status.st_mode)) return FILE_ATTRIBUTE_DEVICE;
    return (status.st_mode & 0222) == 0 ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
}
