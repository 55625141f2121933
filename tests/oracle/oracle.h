// The reference logtally is checked against: a frozen copy of the straightforward line
// pipeline as it stood before the pipeline was tuned for speed.
//
// Everything that decides what the program reads and writes lives here, in namespace oracle,
// and is never optimised: program flow, input selection, the line reader, cleaning, the
// timestamp check, classification, the event parser, the tallies with their append-only
// arena, the report writers, and the byte-at-a-time text primitives they use. Only services
// whose behaviour is fixed come from logtally_core: the literal pool, the formatter, the
// output channels, opening and creating files, the page allocator, the process exit and the
// crash handler. Do not change this copy to follow the product: the differential test
// (tests/oracle/differential.sh) exists to show that the product still does what this does.
#pragma once

#include <cstdint>

#include "platform/win_api.h"
#include "text/text.h"

namespace oracle {

inline constexpr int32_t kLineSize = 1024;
inline constexpr int32_t kStampSize = kLineSize + 1;
inline constexpr int32_t kProgramPathSize = 261;
inline constexpr int32_t kCommandLineSize = 32768;
inline constexpr int32_t kReportNameSize = 1024 + 32;
inline constexpr int32_t kReaderBufferSize = 65536;
inline constexpr int32_t kTallySize = 65535;
inline constexpr uint32_t kArenaRegionSize = 0xA00000;

// --- Text primitives and numbers (text.cpp): byte at a time, with the contracts of
// logtally's own primitives of the same names when this copy was made.
extern const uint8_t CharClass[256];
inline bool is_blank(char c) { return CharClass[static_cast<uint8_t>(c)] & kClassBlank; }
inline bool is_digit(char c) { return CharClass[static_cast<uint8_t>(c)] & kClassDigit; }
int32_t text_length(const char* t);
void text_copy(char* dst, TextArg src);
void text_copy_n(char* dst, const char* src, int32_t n);
void text_append(char* dst, TextArg src);
const char* text_find(const char* t, TextArg needle);
inline char* text_find(char* t, TextArg needle) {
    return const_cast<char*>(oracle::text_find(static_cast<const char*>(t), needle));
}
int text_compare(const char* a, const char* b);
int text_compare_n(const char* a, const char* b, int32_t n);
void text_insert_front(char* dst, TextArg src);
void text_upper(char* t);
void trim_leading(char* t);
void trim_trailing(char* t);
const char* skip_blanks(const char* t);
void move_bytes(const void* source, void* destination, int32_t count);
int word_copy(const char* text, int32_t n, char* dst);
int parse_integer(const char* text, const char** end, int32_t* value);
int parse_fixed(const char* text, const char** end, int32_t places, int32_t* value);

// --- The line reader (reader.cpp): a 64 KiB buffer, one byte at a time into the line.
struct LineReader {
    HANDLE handle;
    int32_t fill;
    int32_t cursor;
    char buffer[kReaderBufferSize];
};
int32_t reader_init(LineReader* reader, HANDLE handle);
int32_t reader_read(LineReader* reader, void* destination, int32_t count);
int32_t read_line(LineReader* reader, char* line, int32_t size);
bool line_goes_on(LineReader* reader);
int32_t read_raw(HANDLE handle, void* destination, int32_t count);

// --- Program flow and input selection (program.cpp, input.cpp).
extern HANDLE input_handle;
extern char input_path[kLineSize];
extern char base_name[kLineSize];
[[noreturn]] void program_entry();
int32_t main_sequence();
void select_input();

// --- The line loop (scan.cpp) and the event parser (event.cpp).
extern char raw_line[kLineSize];
extern char cleaned_line[kLineSize];
extern char previous_stamp[kStampSize];
extern char previous_line[kLineSize];
extern uint64_t line_counter;
typedef int32_t LineKind;
inline constexpr LineKind kEventLine = 5;
void scan_log();
void clean_line();
int32_t check_timestamp_order();
LineKind classify_line();
void parse_event_line();
[[noreturn]] void parse_error_exit(int32_t code);

// --- Tallies and the name arena (tally.cpp).
struct TallyEntry {
    int64_t count;
    int64_t total;
    const char* name;
};
struct TallyTable {
    TallyEntry entry[kTallySize];
    int32_t longest_name;
};
extern TallyTable first_party_table;
extern TallyTable second_party_table;
void name_arena_init();
const char* intern_name(const char* text);
void tally_event(TallyTable* table, int32_t identifier, int64_t duration, char* name);
int64_t add_saturating(int64_t a, int64_t b);

// --- The three reports (reports.cpp).
void write_summary_report();
void write_second_list();
void write_first_list();

}  // namespace oracle
