// The fatal exit and its one-shot clean-up hook.
#include "platform/fatal.h"

#include "literals.h"
#include "platform/process.h"

namespace {

void (*fatal_cleanup)();

int32_t write_nothing(const char*) { return 0; }

int32_t (*error_writer)(const char* text) = write_nothing;

}  // namespace

void set_fatal_cleanup(void (*cleanup)()) { fatal_cleanup = cleanup; }

void set_fatal_writer(int32_t (*writer)(const char* text)) { error_writer = writer; }

void fatal_error_args(const char* format, FormatArgs args) {
    error_writer(kFatalHeadText);
    // Static, not on the stack: the crash filter may get here with little stack left, and the
    // process ends inside this call (a nested call only ever follows a finished expansion).
    static char message[kFatalMessageSize];
    format_text(message, kFatalMessageSize, format, args);
    error_writer(message);
    if (fatal_cleanup) {
        void (*cleanup)() = fatal_cleanup;
        fatal_cleanup = nullptr;
        cleanup();
    }
    error_writer(kFatalTailText);
    process_exit(1);
}
