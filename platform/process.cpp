// Process exit, the unique part of a run's file names, the process priority and the
// system's version.
#include "platform/process.h"

#include "platform/hooks.h"
#include "platform/interrupts.h"
#include "platform/win_api.h"

namespace {

constexpr uint32_t kLowPriorityThreshold = 0x02050000;

// The start spreads over the low 28 bits of an attempt's unique part; the attempt itself
// stands in the top 4, so that no two attempts of a run, the first included, share one.
constexpr uint32_t kStartSpread = 0x9E3779B1u;
constexpr uint32_t kStartBits = 0x0FFFFFFFu;
constexpr int32_t kAttemptShift = 28;

uint32_t run_start;
bool run_start_taken;

LPVOID system_virtual_alloc(LPVOID address, SIZE_T size, DWORD type, DWORD protection) {
    return VirtualAlloc(address, size, type, protection);
}

void system_sleep(DWORD milliseconds) { Sleep(milliseconds); }

DWORD system_get_version() { return GetVersion(); }

void system_exit_process(UINT code) { ExitProcess(code); }

int32_t set_priority(DWORD priority_class) {
    return SetPriorityClass(GetCurrentProcess(), priority_class);
}

}  // namespace

PlatformHooks platform_hooks = {system_virtual_alloc, system_sleep, system_get_version,
                                system_exit_process};

// The files a run was making go with it, unless they are in place.
void process_exit(int32_t code) {
    discard_files();
    platform_hooks.exit_process(static_cast<UINT>(code));
    __builtin_unreachable();
}

uint32_t unique_part(uint32_t process, uint32_t start, int32_t attempt) {
    if (attempt == 0) return process;
    uint32_t spread = (start * kStartSpread) & kStartBits;
    return process ^ (spread | static_cast<uint32_t>(attempt) << kAttemptShift);
}

// Wine gives the first process of every session the same id; the start tells such runs apart.
uint32_t run_unique_part(int32_t attempt) {
    if (!run_start_taken) {
        run_start = GetTickCount();
        run_start_taken = true;
    }
    return unique_part(GetCurrentProcessId(), run_start, attempt);
}

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
