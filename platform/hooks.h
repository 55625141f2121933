// Seams through which the platform tests stand in for three system calls. Each points at the
// real call; the program itself never changes them.
#pragma once

#include "platform/win_api.h"

struct PlatformHooks {
    LPVOID (*virtual_alloc)(LPVOID address, SIZE_T size, DWORD type, DWORD protection);
    void (*sleep)(DWORD milliseconds);
    DWORD (*get_version)();
};

// Used by page_alloc (virtual_alloc, sleep) and windows_version_code (get_version).
extern PlatformHooks platform_hooks;
