// Seams through which the tests stand in for four system calls. Each points at the real call;
// the program itself never changes them.
#pragma once

#include "platform/win_api.h"

struct PlatformHooks {
    LPVOID (*virtual_alloc)(LPVOID address, SIZE_T size, DWORD type, DWORD protection);
    void (*sleep)(DWORD milliseconds);
    DWORD (*get_version)();
    void (*exit_process)(UINT code);  // never returns
};

// Used by page_alloc (virtual_alloc, sleep), windows_version_code (get_version) and
// process_exit (exit_process).
extern PlatformHooks platform_hooks;
