// The reference's line loop: cleaning, the timestamp-order check and classification.
#include "literals.h"
#include "platform/output.h"
#include "tests/oracle/oracle.h"

namespace oracle {

char raw_line[kLineSize];
char cleaned_line[kLineSize];
char previous_stamp[kStampSize];
char previous_line[kLineSize];
uint64_t line_counter;

namespace {

// Longest part of a line the time warning quotes, so that the warning fits the console buffer.
constexpr int32_t kQuotedLineMax = 1000;

LineReader reader;

// Removes all but the last character of every occurrence of pattern until none is left,
// searching again from the start of the line after every removal.
void remove_pattern(char* line, const char* pattern, int32_t length) {
    while (char* p = text_find(line, pattern)) text_copy(p, p + length - 1);
}

bool carries_timestamp(const char* line) {
    return line[0] && line[1] && line[2] && line[3] == ':' && line[4];
}

void warn_time_backwards() {
    char previous[kQuotedLineMax + 1];
    char current[kQuotedLineMax + 1];
    text_copy_n(previous, previous_line, kQuotedLineMax);
    text_copy_n(current, cleaned_line, kQuotedLineMax);
    print(kTimeBackwardsFmt, previous, current);
}

struct KindRule {
    const char* keyword;
    LineKind kind;
};

const KindRule kKindRules[] = {
    {kKind1Keyword, 1}, {kKind4Keyword, 4},  {kKind3Keyword, 3},
    {kKind2Keyword, 2}, {kKind5KeywordA, kEventLine}, {kKind5KeywordB, kEventLine},
    {kKind8Keyword, 8}, {kKind7Keyword, 7},  {kKind9Keyword, 9},
};

}  // namespace

void scan_log() {
    reader_init(&reader, input_handle);
    bool continued = false;
    int32_t stored;
    while ((stored = read_line(&reader, raw_line, kLineSize)) != -1) {
        line_counter += 1;
        // A line longer than the buffer is read in pieces: one warning names its first.
        bool cut = stored == kLineSize - 1 && line_goes_on(&reader);
        if (cut && !continued) print(kLineCutFmt, Wide(line_counter));
        continued = cut;
        clean_line();
        check_timestamp_order();
        if (classify_line() == kEventLine) parse_event_line();
    }
    print(kLinesReadFmt, Wide(line_counter));
}

void clean_line() {
    text_copy(cleaned_line, raw_line);
    remove_pattern(cleaned_line, kCleanPatternA, kCleanPatternALength);
    remove_pattern(cleaned_line, kCleanPatternB, kCleanPatternBLength);
}

int32_t check_timestamp_order() {
    if (!carries_timestamp(cleaned_line)) {
        previous_stamp[0] = 0;
        return 0;
    }
    char stamp[kStampSize];
    word_copy(cleaned_line, 1, stamp);
    if (stamp[1] == ':') text_insert_front(stamp, '0');
    int32_t warned = text_compare(stamp, previous_stamp) < 0;
    if (warned) warn_time_backwards();
    text_copy(previous_line, cleaned_line);
    text_copy(previous_stamp, stamp);
    return warned;
}

LineKind classify_line() {
    for (const KindRule& rule : kKindRules)
        if (text_find(cleaned_line, rule.keyword)) return rule.kind;
    return 0;
}

}  // namespace oracle
