// The line loop: read, clean, check the timestamp order, classify, parse, tally.
#include "analysis/scan.h"

#include "analysis/classify.h"
#include "analysis/clean.h"
#include "analysis/event.h"
#include "analysis/line_index.h"
#include "analysis/tally.h"
#include "analysis/timestamp.h"
#include "literals.h"
#include "platform/output.h"
#include "platform/reader.h"

namespace {

// Static rather than on the stack: 64 KiB of stack would need probing on Windows.
LineReader reader;
LineWalk walk;
TimeOrder time_order;  // holds the pin on the last line with a timestamp
CleanedLine cleaned;

}  // namespace

void parse_event_line(const IndexedLine& line, uint64_t number, const char* raw) {
    ParsedEvent event;
    ParseError code = parse_event(line, &event);
    if (code != kParsed) parse_error_exit(code, number, raw);
    tally_prefetch(&called_extension_table, event.extension_id);
    tally_event(&calling_line_table, event.line_id, event.duration, event.line_name,
                event.line_name_length);
    tally_event(&called_extension_table, event.extension_id, event.duration,
                event.extension_name, event.extension_name_length);
}

uint64_t scan_log(HANDLE input) {
    reader_init(&reader, input);
    walk_init(&walk);
    time_order_init(&time_order, &reader);
    uint64_t count = 0;
    bool continued = false;  // the line read before was cut: this one is its rest
    IndexedLine raw;
    int32_t cut = 0;
    while (next_line(&walk, &reader, &time_order.pin, &raw, &cut)) {
        ++count;
        // One warning for each line that was cut, however many pieces it makes.
        if (cut && !continued) print(kLineCutFmt, Wide(count));
        continued = cut;
        const IndexedLine& line = *clean_line(&raw, &cleaned);
        check_timestamp_order(&time_order, line.text, line.length);
        // Only an event line leads to more work: a line without an event keyword is of some
        // other kind, and which one does not matter.
        if (!(line.found.present & kEventKeywordBits)) continue;
        if (classify_line(line) == kEventLine) parse_event_line(line, count, raw.text);
    }
    print(kLinesReadFmt, Wide(count));
    return count;
}
