// Process exit, the process priority and the system's version.
#include "platform/process.h"

#include "platform/hooks.h"
#include "platform/win_api.h"

namespace {

constexpr uint32_t kLowPriorityThreshold = 0x02050000;

LPVOID system_virtual_alloc(LPVOID address, SIZE_T size, DWORD type, DWORD protection) {
    return VirtualAlloc(address, size, type, protection);
}

void system_sleep(DWORD milliseconds) { Sleep(milliseconds); }

DWORD system_get_version() { return GetVersion(); }

int32_t set_priority(DWORD priority_class) {
    return SetPriorityClass(GetCurrentProcess(), priority_class);
}

}  // namespace

PlatformHooks platform_hooks = {system_virtual_alloc, system_sleep, system_get_version};

void process_exit(int32_t code) { ExitProcess(static_cast<UINT>(code)); }

int32_t set_priority_normal() { return set_priority(NORMAL_PRIORITY_CLASS); }

int32_t set_priority_high() { return set_priority(HIGH_PRIORITY_CLASS); }

// Windows of the NT family from 5.0 on know the below-normal class; older ones only idle.
int32_t set_priority_low() {
    bool below_normal_known = windows_version_code() >= kLowPriorityThreshold;
    return set_priority(below_normal_known ? BELOW_NORMAL_PRIORITY_CLASS : IDLE_PRIORITY_CLASS);
}

uint32_t windows_version_code() {
    uint32_t v = platform_hooks.get_version();
    uint32_t family = (v & 0x80000000u) ? 1 : 2;
    uint32_t major = v & 0xFF;
    uint32_t minor = (v >> 8) & 0xFF;
    return family << 24 | major << 16 | minor << 8 | ((v >> 24) & 0x7F);
}
