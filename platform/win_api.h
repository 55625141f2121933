// The operating-system calls the platform services are written against: the real Windows API
// in the win32 build, the POSIX stand-in (platform/standin) in the native build.
#pragma once

#ifdef _WIN32
#include <windows.h>

// A folder separator: Windows takes the backslash and the slash alike.
inline bool is_folder_separator(char c) { return c == '\\' || c == '/'; }

// A character Windows drops where it ends a name of a path ("log.log." opens "log.log").
inline bool dropped_at_name_end(char c) { return c == '.' || c == ' '; }
// Windows programs take switches after a slash, as /?.
inline constexpr bool kSlashSwitches = true;
#else
#include "platform/standin/win_standin.h"
#endif
