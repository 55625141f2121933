// The operating-system calls the platform services are written against: the real Windows API
// in the win32 build, the POSIX stand-in (platform/standin) in the native build.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/standin/win_standin.h"
#endif
