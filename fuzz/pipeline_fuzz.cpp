// Fuzzes the line pipeline over arbitrary log bytes: read_line, clean_line,
// check_timestamp_order, classify_line, parse_event_line and tally_event, as scan_log runs them,
// and holds the console text (cut lines, time warnings with the lines they quote, parse errors,
// the line count), both tally tables and the totals of the combined report against a model of
// the log format written here from its description, with none of the program's text routines.
#include <fcntl.h>
#include <setjmp.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "analysis/input.h"
#include "analysis/report_set.h"
#include "analysis/reports.h"
#include "analysis/scan.h"
#include "analysis/tally.h"
#include "platform/hooks.h"
#include "platform/output.h"
#include "platform/standin/handle_map.h"

namespace {

// Inputs longer than this are skipped: they add time, not paths.
constexpr size_t kLargestInput = 1 << 19;

int log_fd = -1;
int console_fd = -1;
char report_folder[] = "/tmp/logtally-pipeline-fuzz.XXXXXX";

struct ModelLine {
    std::string text;  // up to its first NUL
    bool cut;          // it filled its 1023 bytes and the same line goes on
};

// Whether a byte other than CR comes before the next LF or the end, from data[at] on.
bool line_goes_on(const uint8_t* data, size_t size, size_t at) {
    for (; at < size; ++at)
        if (data[at] != '\r') return data[at] != '\n';
    return false;
}

// The lines read_line delivers for the bytes: LF ends a line, CR is dropped, a line is split
// after 1023 stored bytes, and a last line without LF counts when it stored anything. Each
// line's text ends at its first NUL for every later step.
std::vector<ModelLine> model_lines(const uint8_t* data, size_t size) {
    std::vector<ModelLine> lines;
    std::string stored;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\r') continue;
        if (data[i] == '\n') {
            lines.push_back({stored, false});
            stored.clear();
            continue;
        }
        stored += static_cast<char>(data[i]);
        if (stored.size() == kLineSize - 1) {
            lines.push_back({stored, line_goes_on(data, size, i + 1)});
            stored.clear();
        }
    }
    if (!stored.empty()) lines.push_back({stored, false});
    for (ModelLine& line : lines) line.text.resize(strnlen(line.text.c_str(), line.text.size()));
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

// A number as the console shows counts: commas between groups of three from five digits on.
std::string grouped(uint64_t n) {
    std::string digits = std::to_string(n);
    if (digits.size() < 5) return digits;
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
    return digits;
}

// The last line that carried a timestamp, and that stamp ("" when the line before had none).
struct ModelOrder {
    std::string stamp;
    std::string line;
};

// A line as the console quotes it: every byte below 0x20 but TAB, and DEL, as '^' and a
// letter, in at most limit characters, a pair never cut in two.
std::string shown(const std::string& text, size_t limit) {
    std::string out;
    for (unsigned char c : text) {
        std::string one = c == '\t' || (c >= 0x20 && c != 0x7F) ? std::string(1, static_cast<char>(c))
                          : std::string("^") + static_cast<char>(c == 0x7F ? '?' : c + 0x40);
        if (out.size() + one.size() > limit) break;
        out += one;
    }
    return out;
}

// A line carries a timestamp when it has five characters or more and a ':' at index 3: its
// first word, with a '0' in front when the word's second character is ':'. One that sorts
// before the stamp of the line before, bytes unsigned, warns with both lines shown in at most
// 1000 characters.
void model_time_order(ModelOrder* order, const std::string& line, std::string* console) {
    if (line.size() < 5 || line[3] != ':') {
        order->stamp.clear();
        return;
    }
    size_t start = 0;
    while (model_blank(line[start])) ++start;  // the ':' at index 3 ends the blanks
    size_t end = start;
    while (end < line.size() && !model_blank(line[end])) ++end;
    std::string stamp = line.substr(start, end - start);
    if (stamp.size() > 1 && stamp[1] == ':') stamp.insert(0, "0");
    if (stamp.compare(order->stamp) < 0)
        *console += "time runs backward:\n   " + shown(order->line, 1000) + "\n-> " +
                    shown(line, 1000) + "\n";
    order->stamp = stamp;
    order->line = line;
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

// How a party is written and the parse error of each way it can be malformed.
struct ModelForm {
    const char* intro;
    const char* prefix;
    int no_prefix, bad_prefixed_id, bad_named_id;
};
const ModelForm kCaller{" (line", "line #", 2, 3, 4};
const ModelForm kCalled{" (ext", "ext", 6, 7, 8};

// "NAME<intro>ID" with intro anywhere ahead, the character after ID skipped, or
// "<prefix>ID" right at *at. Moves *at past the party; returns 0 or the parse error.
int model_party(const std::string& line, size_t* at, const ModelForm& form, ModelParty* party) {
    const std::string intro = form.intro, prefix = form.prefix;
    size_t end = 0;
    size_t found = line.find(intro, *at);
    if (found != std::string::npos) {
        party->name = line.substr(*at, found - *at);
        if (!model_integer(line, found + intro.size(), &end, &party->id)) return form.bad_named_id;
        *at = end < line.size() ? end + 1 : end;
        return 0;
    }
    if (line.compare(*at, prefix.size(), prefix) != 0) return form.no_prefix;
    if (!model_integer(line, *at + prefix.size(), &end, &party->id)) return form.bad_prefixed_id;
    *at = end;
    return 0;
}

// "[M:S]" when a ':' follows the first '[' anywhere, else "[N.Ns]"; no '[' is 0. Returns 0
// or the parse error.
int model_duration(const std::string& line, size_t at, int64_t* tenths) {
    size_t bracket = line.find('[', at);
    *tenths = 0;
    if (bracket == std::string::npos) return 0;
    size_t end = 0;
    if (line.find(':', bracket) != std::string::npos) {
        int64_t minutes = 0, seconds = 0;
        if (!model_integer(line, bracket + 1, &end, &minutes) || line[end] != ':') return 9;
        if (!model_integer(line, end + 1, &end, &seconds) || end >= line.size() || line[end] != ']')
            return 10;
        *tenths = minutes * 600 + seconds * 10;
        return 0;
    }
    bool read = model_tenths(line, bracket + 1, &end, tenths);
    return read && end < line.size() && line[end] == 's' ? 0 : 11;
}

struct ModelEvent {
    ModelParty caller, called;
    int64_t tenths = 0;
};

// The event of a line: 0, or the parse error of a malformed line.
int model_event(const std::string& line, ModelEvent* event) {
    size_t at = line.find("Call ended: ");
    if (at == std::string::npos) at = line.find("Conf ended: ");
    if (at == std::string::npos) return 1;
    at += 12;
    if (line.find(" -> ", at) != std::string::npos) {
        if (int code = model_party(line, &at, kCaller, &event->caller)) return code;
        if (line.compare(at, 4, " -> ") != 0) return 5;
        at += 4;
    }
    if (int code = model_party(line, &at, kCalled, &event->called)) return code;
    return model_duration(line, at, &event->tenths);
}

struct ModelEntry {
    int64_t count = 0;
    int64_t total = 0;
    std::string name;
};

struct ModelTable {
    std::map<int64_t, ModelEntry> entries;
    int32_t longest_name = 0;  // of every trimmed name offered for an identifier in range
};

int64_t model_add(int64_t a, int64_t b) {
    int64_t sum;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b < 0 ? INT64_MIN : INT64_MAX;
}

void model_tally(ModelTable* table, const ModelParty& party, int64_t tenths) {
    if (party.id < 1 || party.id > kTallySize) return;
    ModelEntry& entry = table->entries[party.id];
    entry.count += 1;
    entry.total = model_add(entry.total, tenths);
    size_t first = 0, last = party.name.size();
    while (first < last && model_blank(party.name[first])) ++first;
    while (last > first && model_blank(party.name[last - 1])) --last;
    if (static_cast<int32_t>(last - first) > table->longest_name)
        table->longest_name = static_cast<int32_t>(last - first);
    if (last > first) entry.name = party.name.substr(first, last - first);
}

// The line under a table's section of the combined report: "Total" in a column as wide as the
// longest name, the sums of the calls and of the time, the time in tenths of a minute rounded
// half up (at least 0.1), each sum held at the largest value instead of wrapping.
std::string model_total_line(const ModelTable& table) {
    int64_t calls = 0, tenths = 0;
    for (const auto& row : table.entries) {
        calls = model_add(calls, row.second.count);
        tenths = model_add(tenths, row.second.total);
    }
    std::string label = "Total";
    if (static_cast<int32_t>(label.size()) < table.longest_name) label.resize(table.longest_name, ' ');
    std::string count = std::to_string(calls);
    std::string minutes = std::to_string(tenths < 30 ? 1 : (tenths - 30) / 60 + 1);
    if (minutes.size() < 2) minutes.insert(0, "0");
    minutes.insert(minutes.size() - 1, ".");
    return "\t" + label + "   " + std::string(count.size() < 10 ? 10 - count.size() : 0, ' ') +
           count + "  " + std::string(minutes.size() < 12 ? 12 - minutes.size() : 0, ' ') +
           minutes + "\r\n";
}

// The lines through the model as scan_log takes them: the events go to the tables, and the
// return is what the console shows, LF for each line end. A parse error ends the run after
// its message, *stopped then being set.
std::string model_scan(const std::vector<ModelLine>& lines, ModelTable* callers,
                       ModelTable* called, bool* stopped) {
    *stopped = false;
    ModelOrder order;
    std::string console;
    bool continued = false;  // the line before was cut: this one is its rest
    for (size_t number = 1; number <= lines.size(); ++number) {
        const ModelLine& raw = lines[number - 1];
        if (raw.cut && !continued)
            console += "line " + grouped(number) +
                       " has more than 1023 characters and is read as several lines\n";
        continued = raw.cut;
        std::string line = model_clean(raw.text);
        model_time_order(&order, line, &console);
        if (!model_is_event(line)) continue;
        ModelEvent event;
        if (int code = model_event(line, &event)) {
            console += "parse error " + std::to_string(code) + " in line " + grouped(number) +
                       "; no report written:\n" +
                       shown(raw.text, raw.text.size() > 1023 ? raw.text.size() : 1023) + "\n";
            *stopped = true;
            return console;
        }
        model_tally(callers, event.caller, event.tenths);
        model_tally(called, event.called, event.tenths);
    }
    return console + grouped(lines.size()) + " log line" + (lines.size() == 1 ? "" : "s") +
           " read\n";
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
    for (const auto& [id, want] : model.entries) {
        TallyEntry& entry = table->entry[id - 1];
        if (!untouched_between(*table, next, id - 1)) abort();
        if (entry.count != want.count || entry.total != want.total) abort();
        if (!entry.name || want.name != entry.name) abort();
        next = id;
    }
    if (!untouched_between(*table, next, kTallySize)) abort();
    if (table->longest_name != model.longest_name) abort();
    for (const auto& row : model.entries) table->entry[row.first - 1] = TallyEntry{};
    table->longest_name = 0;
}

// Everything fd holds from its current position on.
std::string read_rest(int fd) {
    std::string text;
    char block[65536];
    for (ssize_t n; (n = read(fd, block, sizeof block)) > 0;) text.append(block, n);
    return text;
}

// The console text written since the last call, which empties the console.
std::string take_console() {
    lseek(console_fd, 0, SEEK_SET);
    std::string text = read_rest(console_fd);
    if (ftruncate(console_fd, 0) != 0) abort();
    lseek(console_fd, 0, SEEK_SET);
    return text;
}

// The console writes every LF as CR LF.
std::string as_console(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

std::string report_path(const char* suffix) { return std::string(base_name) + suffix; }

std::string read_report(const char* suffix) {
    int fd = open(report_path(suffix).c_str(), O_RDONLY);
    if (fd < 0) abort();
    std::string text = read_rest(fd);
    close(fd);
    return text;
}

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Writes the reports of the tables as they stand and holds the announcements and the totals of
// both sections of the combined report, called extensions first, against the model.
void check_reports(const ModelTable& callers, const ModelTable& called) {
    open_report_set(input_handle);
    write_reports();
    std::string announced = as_console("combined report written to: " + report_path("-calls.txt") +
                                       "\ncalled-extensions list written: " +
                                       report_path("-extlist.txt") +
                                       "\ncalling-lines list written: " +
                                       report_path("-linelist.txt") + "\n");
    if (take_console() != announced) abort();
    std::string summary = read_report("-calls.txt");
    std::string between = model_total_line(called) + "\r\nCalling lines in log " + base_name;
    if (summary.find(between) == std::string::npos) abort();
    if (!ends_with(summary, model_total_line(callers))) abort();
}

// Writing the reports scans every entry of both tables four times, the cost of some fifty
// inputs: one input in 64, picked by its bytes so that a failing input fails again on
// its own, has its reports written and checked.
bool reports_checked(const uint8_t* data, size_t size) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    return hash % 64 == 0;
}

void remove_reports() {
    for (const char* suffix : {"-calls.txt", "-extlist.txt", "-linelist.txt"})
        unlink(report_path(suffix).c_str());
    rmdir(report_folder);
}

// A parse error ends the process: here it comes back to the input's run instead, the loop's
// state being made anew by the next scan_log.
jmp_buf process_end;

[[noreturn]] void end_of_process(UINT code) {
    if (code != 1) abort();
    longjmp(process_end, 1);
}

void prepare_process() {
    platform_hooks.exit_process = end_of_process;
    // Messages (time warnings, parse errors, the line count) go to a file read back after
    // each input; the reports are written into a folder of their own.
    console_fd = memfd_create("console", 0);
    log_fd = memfd_create("log", 0);
    if (console_fd < 0 || log_fd < 0 || !mkdtemp(report_folder)) abort();
    std_output = standin::handle_of(console_fd);
    std_error = std_output;
    std_kinds_differ = 0;
    input_handle = standin::handle_of(log_fd);
    snprintf(base_name, sizeof base_name, "%s/FUZZ", report_folder);
    atexit(remove_reports);
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
    static uint64_t lines_read;
    lines_read = 0;
    bool ended = setjmp(process_end) != 0;
    if (!ended) lines_read = scan_log(input_handle);

    std::vector<ModelLine> lines = model_lines(data, size);
    ModelTable callers, called;
    bool stopped = false;
    std::string console = model_scan(lines, &callers, &called, &stopped);
    if (ended != stopped) abort();
    if (!ended && lines_read != lines.size()) abort();
    if (take_console() != as_console(console)) abort();
    // The names in use are at most the input's bytes: the arena never grows past its first
    // region however many inputs renamed the same entries.
    if (name_arena_size() > kArenaRegionSize) abort();
    if (!ended && reports_checked(data, size)) check_reports(callers, called);
    check_and_clear(&calling_line_table, callers);
    check_and_clear(&called_extension_table, called);
    return 0;
}
