// Path walking for the stand-in: folders opened name by name, names resolved as text, and the
// links a name leads through followed one at a time.
#include "platform/standin/paths.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cstring>

namespace standin {

namespace {

// The kernel follows at most 40 links in one lookup.
constexpr int kMostLinks = 40;

const char* const kDeviceFolders[] = {"/dev", "/proc"};

bool lies_in(const char* path, const char* folder) {
    size_t length = std::strlen(folder);
    return std::strncmp(path, folder, length) == 0 && (path[length] == '/' || path[length] == 0);
}

bool in_device_folder(const char* path) {
    for (const char* folder : kDeviceFolders)
        if (lies_in(path, folder)) return true;
    return false;
}

// The name [from, from + length) appended to path, "." and ".." resolved.
bool append_name(char* path, size_t* used, const char* from, size_t length) {
    if (length == 0 || (length == 1 && from[0] == '.')) return true;
    if (length == 2 && from[0] == '.' && from[1] == '.') {
        while (*used > 1 && path[*used - 1] != '/') --*used;
        if (*used > 1) --*used;
        path[*used] = 0;
        return true;
    }
    size_t separator = *used > 1 ? 1 : 0;
    if (*used + separator + length + 1 > kPathRoom) return false;
    if (separator) path[(*used)++] = '/';
    std::memcpy(path + *used, from, length);
    *used += length;
    path[*used] = 0;
    return true;
}

// name made absolute against the working folder into path.
bool make_absolute(const char* name, char* path, size_t* used) {
    path[0] = '/';
    path[1] = 0;
    *used = 1;
    if (name[0] != '/') {
        static char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd) == nullptr || !append_names(path, used, cwd)) return false;
    }
    return append_names(path, used, name);
}

// path without its last name: the folder a relative link target is taken against.
void cut_last_name(char* path, size_t* used) {
    while (*used > 1 && path[*used - 1] != '/') --*used;
    if (*used > 1) --*used;
    path[*used] = 0;
}

}  // namespace

int open_folder_of(const char* path) {
    int folder = open(path[0] == '/' ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const char* last = std::strrchr(path, '/');
    for (const char* p = path; folder >= 0 && last && p < last;) {
        size_t length = std::strcspn(p, "/");
        if (length > NAME_MAX) {
            close(folder);
            errno = ENAMETOOLONG;
            return -1;
        }
        char name[NAME_MAX + 1];
        std::memcpy(name, p, length);
        name[length] = 0;
        p += length + 1;
        if (length == 0) continue;
        int next = openat(folder, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int err = errno;
        close(folder);
        errno = err;
        folder = next;
    }
    return folder;
}

bool append_names(char* path, size_t* used, const char* more) {
    for (const char* p = more; *p;) {
        size_t length = std::strcspn(p, "/");
        if (!append_name(path, used, p, length)) return false;
        p += length + (p[length] == '/');
    }
    return true;
}

bool in_device_namespace(const char* name) {
    static char path[kPathRoom];
    static char target[PATH_MAX];
    size_t used = 0;
    if (!make_absolute(name, path, &used)) return false;
    for (int hop = 0; hop <= kMostLinks; ++hop) {
        if (in_device_folder(path)) return true;
        ssize_t length = readlink(path, target, sizeof target - 1);
        if (length < 0) return false;
        target[length] = 0;
        if (target[0] == '/') {
            path[1] = 0;
            used = 1;
        } else {
            cut_last_name(path, &used);
        }
        if (!append_names(path, &used, target)) return false;
    }
    return false;
}

}  // namespace standin
