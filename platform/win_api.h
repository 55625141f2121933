// The operating-system calls the platform services are written against: the real Windows API
// in the win32 build, the POSIX stand-in (platform/standin) in the native build.
#pragma once

#ifdef _WIN32
#include <windows.h>

// A folder separator: Windows takes the backslash and the slash alike.
inline bool is_folder_separator(char c) { return c == '\\' || c == '/'; }
#else
#include "platform/standin/win_standin.h"
#endif
