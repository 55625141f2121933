// The fatal exit and its one-shot clean-up hook.
#include "platform/fatal.h"

#include "literals.h"
#include "platform/output.h"  // both ways: the message is written, a short write is fatal
#include "platform/process.h"

namespace {

constexpr int32_t kFatalBufferSize = 4096;

void (*fatal_cleanup)();

}  // namespace

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
