// The stand-in's last-error value and the table that maps errno onto Windows error codes.
#include <unistd.h>

#include <cerrno>

#include "platform/standin/errors.h"
#include "platform/standin/paths.h"

namespace {

// One thread: a plain static, as the thread-local value it is on Windows.
DWORD last_error;

struct ErrnoCode {
    int err;
    DWORD code;
};

const ErrnoCode kErrnoCodes[] = {
    {EACCES, ERROR_ACCESS_DENIED},    {EPERM, ERROR_ACCESS_DENIED},
    {EROFS, ERROR_ACCESS_DENIED},     {EISDIR, ERROR_ACCESS_DENIED},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},  {EWOULDBLOCK, ERROR_SHARING_VIOLATION},
    {ENOSPC, ERROR_DISK_FULL},        {EDQUOT, ERROR_DISK_FULL},
    {EFBIG, ERROR_DISK_FULL},         {ENAMETOOLONG, ERROR_INVALID_NAME},
    {EINVAL, ERROR_INVALID_NAME},     {EBADF, ERROR_INVALID_HANDLE},
    {EPIPE, ERROR_NO_DATA},           {EIO, ERROR_NOT_READY},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES}, {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENOTTY, ERROR_INVALID_HANDLE},   {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {EEXIST, ERROR_FILE_EXISTS},      {EBUSY, ERROR_SHARING_VIOLATION},
};

// Whether the folder part of path exists (the working folder when there is none).
bool folder_exists(const char* path) {
    int folder = standin::open_folder_of(path);
    if (folder < 0) return false;
    close(folder);
    return true;
}

}  // namespace

namespace standin {

DWORD error_code_of(int err, const char* path) {
    if (err == ENOENT && path)
        return *path && folder_exists(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    if (err == ENOENT) return ERROR_FILE_NOT_FOUND;
    for (const ErrnoCode& entry : kErrnoCodes)
        if (entry.err == err) return entry.code;
    return ERROR_GEN_FAILURE;
}

bool fail_with(int err, const char* path) {
    last_error = error_code_of(err, path);
    return false;
}

}  // namespace standin

DWORD GetLastError() { return last_error; }

void SetLastError(DWORD code) { last_error = code; }
