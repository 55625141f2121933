// The process entry and the main sequence; for now the main sequence shows the banner.
#include "analysis/program.h"

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
    return 0;
}
