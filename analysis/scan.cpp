// Reads the log line by line: cleaning, the timestamp-order check and classification.
#include "analysis/scan.h"

#include "analysis/event.h"
#include "analysis/input.h"
#include "literals.h"
#include "platform/files.h"
#include "platform/output.h"
#include "text/text.h"
#include "text/words.h"

char raw_line[kLineSize];
char cleaned_line[kLineSize];
char previous_stamp[kStampSize];
char previous_line[kLineSize];
uint64_t line_counter;

namespace {

// Longest part of a line the time warning quotes: two of them and the warning's own text
// stay inside the 2047 characters a console message may have.
constexpr int32_t kQuotedLineMax = 1000;

// Static rather than on the stack: 64 KiB of stack would need probing on Windows.
LineReader reader;

// Removes all but the last character of every occurrence of pattern (length characters
// long) until none is left. A removal at p can only form a new occurrence that starts at most
// length - 1 characters before p, so the search resumes there instead of at the line start.
void remove_pattern(char* line, const char* pattern, int32_t length) {
    char* from = line;
    while (char* p = text_find(from, pattern)) {
        text_copy(p, p + length - 1);
        from = p - line >= length - 1 ? p - (length - 1) : line;
    }
}

// A timestamp stands at the line start: at least five characters with a ':' at index 3.
bool carries_timestamp(const char* line) {
    return line[0] && line[1] && line[2] && line[3] == ':' && line[4];
}

// Quotes both lines cut to kQuotedLineMax characters, so that the warning always fits the
// console buffer whole, line ends included.
void warn_time_backwards() {
    char previous[kQuotedLineMax + 1];
    char current[kQuotedLineMax + 1];
    text_copy_n(previous, previous_line, kQuotedLineMax);
    text_copy_n(current, cleaned_line, kQuotedLineMax);
    print(kTimeBackwardsFmt, previous, current);
}

// The keywords in the order they are tried: the first one found decides the kind, so an
// event line that also carries one of the first four keywords is not parsed.
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
    while (read_line(&reader, raw_line, kLineSize) != -1) {
        line_counter += 1;
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
