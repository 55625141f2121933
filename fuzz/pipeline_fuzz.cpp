// Fuzzes the line pipeline over arbitrary log bytes: read_line, clean_line,
// check_timestamp_order, classify_line, parse_event_line and tally_event, as scan_log runs them,
// and holds the line count and both tally tables against a model of the log format written
// here from its description, with none of the program's text routines.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "analysis/input.h"
#include "analysis/scan.h"
#include "analysis/tally.h"
#include "platform/output.h"
#include "platform/standin/handle_map.h"

namespace {

// Inputs longer than this are skipped: they add time, not paths.
constexpr size_t kLargestInput = 1 << 19;

int log_fd = -1;

// The lines read_line delivers for the bytes: LF ends a line, CR is dropped, a line is split
// after 1023 stored bytes, and a last line without LF counts when it stored anything. Each
// line's text ends at its first NUL for every later step.
std::vector<std::string> model_lines(const uint8_t* data, size_t size) {
    std::vector<std::string> lines;
    std::string stored;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\r') continue;
        if (data[i] != '\n') stored += static_cast<char>(data[i]);
        if (data[i] == '\n' || stored.size() == kLineSize - 1) {
            lines.push_back(stored);
            stored.clear();
        }
    }
    if (!stored.empty()) lines.push_back(stored);
    for (std::string& line : lines) line.resize(strnlen(line.c_str(), line.size()));
    return lines;
}

// Every occurrence of "(VIP) (" and "(home) (" loses all but its last character, until none
// is left, the first pattern before the second.
std::string model_clean(std::string line) {
    for (const std::string pattern : {"(VIP) (", "(home) ("}) {
        size_t at;
        while ((at = line.find(pattern)) != std::string::npos) line.erase(at, pattern.size() - 1);
    }
    return line;
}

// An event line holds either event keyword and none of the four that are tried before them.
bool model_is_event(const std::string& line) {
    for (const char* earlier : {"System clock adjusted by admin.", "Conference bridge opened",
                                "(voice mail)", "(not counted)"})
        if (line.find(earlier) != std::string::npos) return false;
    return line.find("Call ended:") != std::string::npos ||
           line.find("Conf ended:") != std::string::npos;
}

bool model_blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

size_t skip_blanks_at(const std::string& line, size_t at) {
    while (at < line.size() && model_blank(line[at])) ++at;
    return at;
}

bool model_digit(char c) { return c >= '0' && c <= '9'; }

// Blanks, an optional '-', digits, as a signed 32-bit value; *end is after the digits.
bool model_integer(const std::string& line, size_t at, size_t* end, int64_t* value) {
    at = skip_blanks_at(line, at);
    bool negative = at < line.size() && line[at] == '-';
    size_t digits = at + negative;
    int64_t magnitude = 0;
    for (at = digits; at < line.size() && model_digit(line[at]); ++at) {
        magnitude = magnitude * 10 + (line[at] - '0');
        if (magnitude > 2147483648) return false;
    }
    if (at == digits || (!negative && magnitude > 2147483647)) return false;
    *end = at;
    *value = negative ? -magnitude : magnitude;
    return true;
}

// Blanks, an optional '-', digits with an optional '.' and fraction (80 digits at most in
// all, one at least) as tenths, rounded half away from zero; *end is after the number.
bool model_tenths(const std::string& line, size_t at, size_t* end, int64_t* value) {
    at = skip_blanks_at(line, at);
    bool negative = at < line.size() && line[at] == '-';
    at += negative;
    std::string whole, fraction;
    for (; at < line.size() && model_digit(line[at]); ++at) whole += line[at];
    if (at < line.size() && line[at] == '.')
        for (++at; at < line.size() && model_digit(line[at]); ++at) fraction += line[at];
    size_t digits = whole.size() + fraction.size();
    if (digits == 0 || digits > 80) return false;
    fraction += "00";
    int64_t magnitude = 0;
    for (char c : whole + fraction[0]) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > 2147483648) return false;
    }
    magnitude += fraction[1] >= '5';
    if (magnitude > (negative ? 2147483648 : 2147483647)) return false;
    *end = at;
    *value = negative ? -magnitude : magnitude;
    return true;
}

struct ModelParty {
    int64_t id = 0;
    std::string name;
};

// "NAME<intro>ID" with intro anywhere ahead, the character after ID skipped, or
// "<prefix>ID" right at *at. Moves *at past the party.
bool model_party(const std::string& line, size_t* at, const std::string& intro,
                 const std::string& prefix, ModelParty* party) {
    size_t end = 0;
    size_t found = line.find(intro, *at);
    if (found != std::string::npos) {
        party->name = line.substr(*at, found - *at);
        if (!model_integer(line, found + intro.size(), &end, &party->id)) return false;
        *at = end < line.size() ? end + 1 : end;
        return true;
    }
    if (line.compare(*at, prefix.size(), prefix) != 0) return false;
    if (!model_integer(line, *at + prefix.size(), &end, &party->id)) return false;
    *at = end;
    return true;
}

// "[M:S]" when a ':' follows the first '[' anywhere, else "[N.Ns]"; no '[' is 0.
bool model_duration(const std::string& line, size_t at, int64_t* tenths) {
    size_t bracket = line.find('[', at);
    *tenths = 0;
    if (bracket == std::string::npos) return true;
    size_t end = 0;
    if (line.find(':', bracket) != std::string::npos) {
        int64_t minutes = 0, seconds = 0;
        if (!model_integer(line, bracket + 1, &end, &minutes) || line[end] != ':') return false;
        if (!model_integer(line, end + 1, &end, &seconds) || end >= line.size() || line[end] != ']')
            return false;
        *tenths = minutes * 600 + seconds * 10;
        return true;
    }
    return model_tenths(line, bracket + 1, &end, tenths) && end < line.size() && line[end] == 's';
}

struct ModelEvent {
    ModelParty caller, called;
    int64_t tenths = 0;
};

// The event of a line, or false for a line that is a parse error.
bool model_event(const std::string& line, ModelEvent* event) {
    size_t at = line.find("Call ended: ");
    if (at == std::string::npos) at = line.find("Conf ended: ");
    if (at == std::string::npos) return false;
    at += 12;
    if (line.find(" -> ", at) != std::string::npos) {
        if (!model_party(line, &at, " (line", "line #", &event->caller)) return false;
        if (line.compare(at, 4, " -> ") != 0) return false;
        at += 4;
    }
    return model_party(line, &at, " (ext", "ext", &event->called) &&
           model_duration(line, at, &event->tenths);
}

struct ModelEntry {
    int64_t count = 0;
    int64_t total = 0;
    std::string name;
};

typedef std::map<int64_t, ModelEntry> ModelTable;

void model_tally(ModelTable* table, const ModelParty& party, int64_t tenths) {
    if (party.id < 1 || party.id > kTallySize) return;
    ModelEntry& entry = (*table)[party.id];
    entry.count += 1;
    if (__builtin_add_overflow(entry.total, tenths, &entry.total))
        entry.total = tenths < 0 ? INT64_MIN : INT64_MAX;
    size_t first = 0, last = party.name.size();
    while (first < last && model_blank(party.name[first])) ++first;
    while (last > first && model_blank(party.name[last - 1])) --last;
    if (last > first) entry.name = party.name.substr(first, last - first);
}

// Entries no event touched, to compare against: all zero, like the tables at load, and never
// written (static storage rather than a 1.5 MB constant in the executable).
TallyEntry untouched[kTallySize];

// The entries from index first up to last (not included) were never touched.
bool untouched_between(const TallyTable& table, int64_t first, int64_t last) {
    size_t bytes = static_cast<size_t>(last - first) * sizeof(TallyEntry);
    return memcmp(&table.entry[first], untouched, bytes) == 0;
}

// Every counted identifier of table agrees with the model and no other entry was touched.
// The counted entries are cleared afterwards, so the next input starts from empty tables.
void check_and_clear(TallyTable* table, const ModelTable& model) {
    int64_t next = 0;  // index of the first entry not yet checked
    for (const auto& [id, want] : model) {
        TallyEntry& entry = table->entry[id - 1];
        if (!untouched_between(*table, next, id - 1)) abort();
        if (entry.count != want.count || entry.total != want.total) abort();
        if (!entry.name || want.name != entry.name) abort();
        next = id;
    }
    if (!untouched_between(*table, next, kTallySize)) abort();
    for (const auto& row : model) table->entry[row.first - 1] = TallyEntry{};
}

void prepare_process() {
    // Messages (time warnings, parse errors, the line count) go to the null device.
    std_output = standin::handle_of(open("/dev/null", O_WRONLY));
    std_error = std_output;
    std_kinds_differ = 0;
    log_fd = memfd_create("log", 0);
    if (log_fd < 0) abort();
    input_handle = standin::handle_of(log_fd);
    name_arena_init();
}

void load_log(const uint8_t* data, size_t size) {
    if (ftruncate(log_fd, 0) != 0 || pwrite(log_fd, data, size, 0) != static_cast<ssize_t>(size))
        abort();
    lseek(log_fd, 0, SEEK_SET);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (log_fd < 0) prepare_process();
    if (size > kLargestInput) return 0;
    load_log(data, size);
    // Every input starts a fresh log; the tallies were cleared by the previous input's check.
    // The arena keeps the names of earlier inputs until a compaction drops them.
    uint64_t lines_read = scan_log(input_handle);

    std::vector<std::string> lines = model_lines(data, size);
    ModelTable callers, called;
    for (const std::string& raw : lines) {
        std::string line = model_clean(raw);
        ModelEvent event;
        if (!model_is_event(line) || !model_event(line, &event)) continue;
        model_tally(&callers, event.caller, event.tenths);
        model_tally(&called, event.called, event.tenths);
    }
    if (lines_read != lines.size()) abort();
    // The names in use are at most the input's bytes: the arena never grows past its first
    // region however many inputs renamed the same entries.
    if (name_arena_size() > kArenaRegionSize) abort();
    check_and_clear(&calling_line_table, callers);
    check_and_clear(&called_extension_table, called);
    return 0;
}
