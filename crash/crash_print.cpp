// Formatted crash output through one static line.
#include "crash/crash_print.h"
#include "platform/output.h"

namespace {

char crash_line[512];

}  // namespace

int32_t crash_print_args(HANDLE handle, const char* format, FormatArgs args) {
    format_text(crash_line, sizeof crash_line, format, args);
    return write_text(handle, crash_line);
}
