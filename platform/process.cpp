// Process exit, the fatal exit, the page allocator with its timed retries, and the priority.
#include "platform/process.h"

#include "literals.h"
#include "platform/hooks.h"
#include "platform/output.h"
#include "platform/win_api.h"

namespace {

constexpr int32_t kFatalBufferSize = 4096;
constexpr int kAllocAttempts = 4;
constexpr DWORD kRetryWaits[kAllocAttempts - 1] = {500, 1000, 2000};
constexpr uint32_t kLowPriorityThreshold = 0x02050000;

uint32_t page_size;
void (*fatal_cleanup)();

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

void set_fatal_cleanup(void (*cleanup)()) { fatal_cleanup = cleanup; }

void fatal_error_args(const char* format, FormatArgs args) {
    write_text(std_error, kFatalHeadText);
    // Static, not on the stack: the crash filter may get here with little stack left, and the
    // process ends inside this call (a nested call only ever follows a finished expansion).
    static char message[kFatalBufferSize];
    format_text(message, kFatalBufferSize, format, args);
    write_text(std_error, message);
    if (fatal_cleanup) {
        void (*cleanup)() = fatal_cleanup;
        fatal_cleanup = nullptr;
        cleanup();
    }
    write_text(std_error, kFatalTailText);
    process_exit(1);
}

// A shortage of memory is often brief, so the allocator waits 500, 1000 and 2000 ms before
// its second, third and fourth attempt.
void* page_alloc(uint32_t size) {
    if (page_size == 0) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_size = info.dwPageSize;
    }
    uint32_t aligned = (size + page_size - 1) & ~(page_size - 1);
    for (int attempt = 0; attempt < kAllocAttempts; ++attempt) {
        if (attempt > 0) platform_hooks.sleep(kRetryWaits[attempt - 1]);
        void* region = platform_hooks.virtual_alloc(nullptr, aligned, MEM_RESERVE | MEM_COMMIT,
                                                    PAGE_READWRITE);
        if (region) return region;
    }
    fatal_error(kPageAllocFailedFmt, size, aligned);
}

int32_t page_free(void* region) { return VirtualFree(region, 0, MEM_RELEASE) ? 0 : 1; }

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
