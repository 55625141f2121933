// Fuzzes the line pipeline over arbitrary log bytes: read_line, clean_line,
// check_timestamp_order, classify_line, parse_event_line and tally_event, as scan_log runs them.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "analysis/input.h"
#include "analysis/scan.h"
#include "analysis/tally.h"
#include "platform/output.h"
#include "platform/standin/handle_map.h"

namespace {

// Room for the names of one input: at most its own bytes, each name with its NUL.
char arena[1 << 20];

int log_fd = -1;

// The number of lines read_line delivers for the bytes: LF ends a line, CR is dropped, a
// line is split after 1023 stored bytes, and a last line without LF counts when it stored
// anything.
uint64_t model_line_count(const uint8_t* data, size_t size) {
    uint64_t lines = 0;
    int32_t stored = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\r') continue;
        if (data[i] == '\n') {
            ++lines;
            stored = 0;
            continue;
        }
        if (++stored == kLineSize - 1) {
            ++lines;
            stored = 0;
        }
    }
    return lines + (stored > 0);
}

void prepare_process() {
    // Messages (time warnings, parse errors, the line count) go to the null device.
    std_output = standin::handle_of(open("/dev/null", O_WRONLY));
    std_error = std_output;
    std_kinds_differ = 0;
    log_fd = memfd_create("log", 0);
    if (log_fd < 0) abort();
    input_handle = standin::handle_of(log_fd);
}

void load_log(const uint8_t* data, size_t size) {
    if (ftruncate(log_fd, 0) != 0 || pwrite(log_fd, data, size, 0) != static_cast<ssize_t>(size))
        abort();
    lseek(log_fd, 0, SEEK_SET);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (log_fd < 0) prepare_process();
    if (size > sizeof arena / 2) return 0;
    load_log(data, size);
    // Every input starts a fresh log. The tallies keep counting across inputs: nothing on the
    // line path reads them but tally_event, whose entries' names stay texts in the arena.
    line_counter = 0;
    previous_stamp[0] = 0;
    previous_line[0] = 0;
    name_arena.next = arena;
    name_arena.end = arena + sizeof arena;

    scan_log();

    if (line_counter != model_line_count(data, size)) abort();
    if (name_arena.next < arena || name_arena.next > arena + size + 2 * line_counter) abort();
    return 0;
}
