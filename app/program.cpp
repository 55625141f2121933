// The process entry and the main sequence that runs the analysis from start to end.
#include "app/program.h"

#include "analysis/input.h"
#include "analysis/options.h"
#include "analysis/report_set.h"
#include "analysis/reports.h"
#include "analysis/scan.h"
#include "crash/crash.h"
#include "literals.h"
#include "platform/interrupts.h"
#include "platform/output.h"
#include "platform/process.h"

void program_entry() {
    init_console();
    enable_processed_input();
    process_exit(main_sequence());
}

int32_t main_sequence() {
    answer_help_or_version();
    print(kBannerText);
    // A crash deletes the temporary reports, as every other way out does.
    install_crash_handler(nullptr, 0, kCrashFileName, nullptr, discard_files);
    install_interrupt_handler();
    select_input();
    open_report_set(input_handle);
    scan_log(input_handle);
    warn_if_input_changed();
    write_reports();
    return 0;
}
