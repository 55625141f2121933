// Paths for the stand-in's calls, walked without a path-sized buffer on the stack: the folder
// that holds a name, a name made absolute, and names that lie in the device namespace.
#pragma once

#include <cstddef>

namespace standin {

// Room of a path the stand-in builds: an absolute path of the system's longest and the NUL.
inline constexpr size_t kPathRoom = 8192;

// A descriptor of the folder that holds the last name of path (the working folder for a name
// without a folder), opened one name at a time; -1 with errno set when a folder on the way is
// missing, cannot be searched or has a name too long to exist.
int open_folder_of(const char* path);

// Appends the names of more to the absolute path of used characters in path (kPathRoom
// bytes), resolving "." and ".." as text; false, with path cut back, when it would not fit.
bool append_names(char* path, size_t* used, const char* more);

// Whether path, or a symbolic link it leads through, names something in /dev or /proc: the
// system's namespaces of devices and processes, where Windows has its device namespace.
// Not reentrant (static storage); async-signal-safe.
bool in_device_namespace(const char* path);

}  // namespace standin
