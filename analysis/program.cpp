// The process entry and the main sequence that runs the analysis from start to end.
#include "analysis/program.h"

#include "analysis/input.h"
#include "analysis/reports.h"
#include "analysis/scan.h"
#include "crash/crash.h"
#include "literals.h"
#include "platform/output.h"
#include "platform/process.h"

void program_entry() {
    init_console();
    enable_processed_input();
    process_exit(main_sequence());
}

int32_t main_sequence() {
    print(kBannerText);
    install_crash_handler(nullptr, 0, kCrashFileName, nullptr, nullptr);
    select_input();
    scan_log(input_handle);
    warn_if_input_changed();
    write_reports();
    return 0;
}
