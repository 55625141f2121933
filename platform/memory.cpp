// The page allocator with its timed retries.
#include "platform/memory.h"

#include "literals.h"
#include "platform/fatal.h"
#include "platform/hooks.h"
#include "platform/win_api.h"

namespace {

constexpr int32_t kAllocAttempts = 4;
constexpr DWORD kRetryWaits[kAllocAttempts - 1] = {500, 1000, 2000};

uint32_t page_size;

}  // namespace

// A shortage of memory is often brief, so the allocator waits 500, 1000 and 2000 ms before
// its second, third and fourth attempt.
void* page_alloc(uint32_t size) {
    if (page_size == 0) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_size = info.dwPageSize;
    }
    uint32_t aligned = (size + page_size - 1) & ~(page_size - 1);
    for (int32_t attempt = 0; attempt < kAllocAttempts; ++attempt) {
        if (attempt > 0) platform_hooks.sleep(kRetryWaits[attempt - 1]);
        void* region = platform_hooks.virtual_alloc(nullptr, aligned, MEM_RESERVE | MEM_COMMIT,
                                                    PAGE_READWRITE);
        if (region) return region;
    }
    fatal_error(kPageAllocFailedFmt, size, aligned);
}

int32_t page_free(void* region) { return VirtualFree(region, 0, MEM_RELEASE) ? 0 : 1; }
