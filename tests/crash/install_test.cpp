// Installing the handler: the options it keeps and the filter it puts in place.
#include <gtest/gtest.h>

#include "crash/crash.h"

namespace {

LONG WINAPI own_filter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }
void callback_one() {}
void callback_two() {}

TEST(InstallCrashHandler, StoresTheOptionsAndInstallsTheGivenFilterOrCrashFilter) {
    const char* name = "crash.txt";
    LPTOP_LEVEL_EXCEPTION_FILTER original =
        install_crash_handler(own_filter, 250, name, callback_one, callback_two);
    EXPECT_EQ(crash_options.sleep_ms, 250u);
    EXPECT_EQ(crash_options.crash_file_name, name);
    EXPECT_EQ(crash_options.before_report, callback_one);
    EXPECT_EQ(crash_options.after_report, callback_two);
    EXPECT_EQ(crash_options.reentered, 0);

    EXPECT_EQ(install_crash_handler(nullptr, 0, nullptr, nullptr, nullptr), own_filter);
    EXPECT_EQ(crash_options.crash_file_name, nullptr);
    EXPECT_EQ(crash_options.before_report, nullptr);
    EXPECT_EQ(SetUnhandledExceptionFilter(original), crash_filter);
}

}  // namespace
