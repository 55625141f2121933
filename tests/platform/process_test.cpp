// Fatal exit, the page allocator with its retries, the version code and the priority.
#include "platform/process.h"

#include <cstdio>
#include <string>
#include <vector>

#include "literals.h"
#include "platform/fatal.h"
#include "platform/hooks.h"
#include "platform/memory.h"
#include "platform/output.h"
#include "platform_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace {

// Replaces the allocation and sleep calls for one test and records what page_alloc asks.
struct AllocSpy {
    static inline int failures_left;
    static inline std::vector<SIZE_T> sizes;
    static inline std::vector<DWORD> sleeps;
    static inline char region[16];
    PlatformHooks saved = platform_hooks;

    explicit AllocSpy(int failures) {
        failures_left = failures;
        sizes.clear();
        sleeps.clear();
        platform_hooks.virtual_alloc = [](LPVOID address, SIZE_T size, DWORD type,
                                          DWORD protection) -> LPVOID {
            sizes.push_back(size);
            bool proper = address == nullptr && type == 0x3000 && protection == 4;
            if (!proper || failures_left-- > 0) return nullptr;
            return region;
        };
        platform_hooks.sleep = [](DWORD milliseconds) { sleeps.push_back(milliseconds); };
    }
    ~AllocSpy() { platform_hooks = saved; }
};

uint32_t page_size() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
}

TEST(PageAlloc, RoundsUpToWholePages) {
    const uint32_t page = page_size();
    struct Row {
        uint32_t request, aligned;
    } rows[] = {{1, page},           {page - 1, page},         {page, page},
                {page + 1, 2 * page}, {0xA00000, 0xA00000},    {0xA00001, 0xA00000 + page}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.request);
        AllocSpy spy(0);
        EXPECT_EQ(page_alloc(row.request), AllocSpy::region);
        EXPECT_EQ(AllocSpy::sizes, std::vector<SIZE_T>{row.aligned});
        EXPECT_TRUE(AllocSpy::sleeps.empty());
    }
}

TEST(PageAlloc, WaitsLongerBeforeEachRetry) {
    struct Row {
        int failures;
        std::vector<DWORD> sleeps;
    } rows[] = {{1, {500}}, {2, {500, 1000}}, {3, {500, 1000, 2000}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.failures);
        AllocSpy spy(row.failures);
        EXPECT_EQ(page_alloc(10), AllocSpy::region);
        EXPECT_EQ(AllocSpy::sleeps, row.sleeps);
        EXPECT_EQ(AllocSpy::sizes.size(), row.sleeps.size() + 1);
    }
}

TEST(PageAlloc, GivesZeroFilledWritableMemory) {
    const uint32_t size = 0xA00000;
    auto* region = static_cast<unsigned char*>(page_alloc(size));
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(region) % page_size(), 0u);
    for (uint32_t at = 0; at < size; at += 4093) EXPECT_EQ(region[at], 0) << at;
    EXPECT_EQ(region[size - 1], 0);
    region[0] = 1;
    region[size - 1] = 2;
    EXPECT_EQ(region[0] + region[size - 1], 3);
}

void exhaust_memory() {
    init_console();
    AllocSpy spy(4);
    platform_hooks.sleep = [](DWORD milliseconds) {
        write_text(std_error, formatted("slept %u\n", milliseconds).c_str());
    };
    page_alloc(5000);
    process_exit(0);
}

TEST(PageAlloc, FourthFailureIsFatalAfterThreeWaits) {
    use_fresh_death_test_processes();
    const uint32_t aligned = (5000 + page_size() - 1) / page_size() * page_size();
    std::string expected = "slept 500\nslept 1000\nslept 2000\n" + plain(kFatalHeadText) +
                           formatted(kPageAllocFailedFmt, 5000u, aligned) + plain(kFatalTailText);
    EXPECT_EXIT(exhaust_memory(), testing::ExitedWithCode(1), Exactly(with_crlf(expected)));
}

void fail_with_message() {
    init_console();
    fatal_error("lost %u of %s\n", 3u, "them");
}

TEST(FatalError, WritesHeadMessageTailToStandardErrorAndExitsWithOne) {
    use_fresh_death_test_processes();
    std::string expected = plain(kFatalHeadText) + "lost 3 of them\n" + plain(kFatalTailText);
    EXPECT_EXIT(fail_with_message(), testing::ExitedWithCode(1), Exactly(with_crlf(expected)));
}

// Replaces the version value GetVersion reports for one test.
struct VersionSpy {
    static inline DWORD version;
    PlatformHooks saved = platform_hooks;
    explicit VersionSpy(DWORD v) {
        version = v;
        platform_hooks.get_version = [] { return version; };
    }
    ~VersionSpy() { platform_hooks = saved; }
};

TEST(WindowsVersionCode, PacksFamilyMajorMinorAndBuildBits) {
    struct Row {
        DWORD version;
        uint32_t code;
    } rows[] = {
        {0x0A280105, 0x0205010A},  // NT 5.1, build 2600
        {0x23F00206, 0x02060223},  // NT 6.2, build 9200
        {0x00000005, 0x02050000},  // NT 5.0: the threshold of the below-normal class
        {0xC0000A04, 0x01040A40},  // bit 31 set: the other family
        {0x80000004, 0x01040000},
        {0xFFFFFFFF, 0x01FFFF7F},
        {0x00000000, 0x02000000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.version);
        VersionSpy spy(row.version);
        EXPECT_EQ(windows_version_code(), row.code);
    }
}

TEST(Priority, NormalClassCanBeSet) { EXPECT_NE(set_priority_normal(), 0); }

// The priority the process runs at, as a number that tells the two low classes apart.
int current_priority() {
#ifdef _WIN32
    return static_cast<int>(GetPriorityClass(GetCurrentProcess()));
#else
    return getpriority(PRIO_PROCESS, 0);
#endif
}

void lower_priority(DWORD version) {
    VersionSpy spy(version);
    int before = current_priority();
    int set = set_priority_low();
    int after = current_priority();
    process_exit(set != 0 && after != before ? after : -1);
}

// A lowered priority cannot be raised again without privileges, so each runs in a child.
TEST(Priority, LowClassDependsOnTheVersion) {
    use_fresh_death_test_processes();
#ifdef _WIN32
    const int idle = IDLE_PRIORITY_CLASS, below_normal = BELOW_NORMAL_PRIORITY_CLASS;
#else
    const int idle = 19, below_normal = 10;
#endif
    EXPECT_EXIT(lower_priority(0x0A280105), testing::ExitedWithCode(below_normal), Exactly(""));
    EXPECT_EXIT(lower_priority(0x00000005), testing::ExitedWithCode(below_normal), Exactly(""));
    EXPECT_EXIT(lower_priority(0x00FF0004), testing::ExitedWithCode(idle), Exactly(""));
    EXPECT_EXIT(lower_priority(0x80000004), testing::ExitedWithCode(idle), Exactly(""));
}

}  // namespace
