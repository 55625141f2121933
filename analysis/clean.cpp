// Cleaning: each occurrence of a pattern loses all but its last character, first for the
// first pattern, then for the second, until none is left.
#include "analysis/clean.h"

#include "literals.h"
#include "literals_plain.h"
#include "text/bytes.h"

namespace {

struct Pattern {
    Keyword keyword;
    int32_t length;
    const char* plain;
};
constexpr Pattern kPatterns[] = {
    {kPatternAKeyword, kCleanPatternALength, plain::kCleanPatternA},
    {kPatternBKeyword, kCleanPatternBLength, plain::kCleanPatternB},
};
constexpr int32_t kPatternCount = sizeof kPatterns / sizeof kPatterns[0];

// The other keywords the index finds, which a cleaned line keeps: their plain texts, for the
// check made when the program is compiled.
constexpr const char* kKeptKeywords[] = {
    plain::kKind1Keyword, plain::kKind4Keyword,  plain::kKind3Keyword,
    plain::kKind2Keyword, plain::kKind5KeywordA, plain::kKind5KeywordB,
};

constexpr int32_t plain_length(const char* t) {
    int32_t n = 0;
    while (t[n]) ++n;
    return n;
}

// Whether no removal of pattern can form or destroy an occurrence of keyword. A removal takes
// out the pattern's text before its last character; an occurrence reaching into that text
// starts before it, so holds the pattern's first character past its own first, or starts
// inside it, so agrees with the rest of the pattern from there. An occurrence formed across
// the removal holds the pattern's last character past its own first.
constexpr bool removal_keeps(const char* pattern, const char* keyword) {
    int32_t p = plain_length(pattern), k = plain_length(keyword);
    for (int32_t i = 1; i < k; ++i)
        if (keyword[i] == pattern[0] || keyword[i] == pattern[p - 1]) return false;
    for (int32_t j = 0; j < p - 1; ++j) {
        bool agree = true;
        for (int32_t i = 0; i < k && j + i < p; ++i) agree = agree && keyword[i] == pattern[j + i];
        if (agree) return false;
    }
    return true;
}

constexpr bool cleaning_keeps_keywords() {
    for (const Pattern& pattern : kPatterns)
        for (const char* keyword : kKeptKeywords)
            if (!removal_keeps(pattern.plain, keyword)) return false;
    return true;
}
// So a cleaned line holds the keywords of the line as read, in the same order.
static_assert(cleaning_keeps_keywords(), "cleaning neither forms nor destroys a keyword");

// Whether the patterns all start and end with one byte that none holds elsewhere. Then two
// occurrences share at most that byte, and the text a removal leaves at the junction, that
// byte, ended the text before: an occurrence that a removal forms ended there before it too.
// So removing the first occurrence until none is left, pattern after pattern, takes out just
// the text before the last byte of every occurrence in the line as read, and those texts
// do not overlap.
constexpr bool occurrences_are_read() {
    char edge = kPatterns[0].plain[0];
    for (const Pattern& pattern : kPatterns) {
        int32_t n = plain_length(pattern.plain);
        if (pattern.plain[0] != edge || pattern.plain[n - 1] != edge) return false;
        for (int32_t i = 1; i < n - 1; ++i)
            if (pattern.plain[i] == edge) return false;
    }
    return true;
}
static_assert(occurrences_are_read(),
              "every occurrence cleaning removes stands in the line as read, marked by the index");

// One removal: its place in the line as read, and how many characters go.
struct Removal {
    int32_t at;
    int32_t gap;
};

// Every removal takes out characters of its own, so a line holds no more removals than this.
constexpr int32_t kMostRemovals = kLineSize / (kCleanPatternALength - 1) + 1;
static_assert(kCleanPatternBLength >= kCleanPatternALength, "pattern A is the shorter");

static_assert(kPatterns[0].keyword == 0 && kPatterns[1].keyword == 1,
              "the patterns' keywords come first, in the order of the patterns");

// The removals of raw, in order: the marks of the patterns, every occurrence of which the
// index marked. Returns how many there are.
int32_t find_removals(const IndexedLine& raw, Removal* removals) {
    int32_t count = 0;
    for (int32_t m = 0; m < raw.mark_count; ++m) {
        int32_t k = raw.marks[m].keyword;
        if (k >= kPatternCount) continue;
        removals[count++] = Removal{raw.marks[m].at - raw.at, kPatterns[k].length - 1};
    }
    return count;
}

// Where the character at raw place q stands in the cleaned line: q less the removals before.
int32_t cleaned_place(const Removal* removals, int32_t count, int32_t q) {
    int32_t place = q;
    for (int32_t r = 0; r < count && removals[r].at < q; ++r) place -= removals[r].gap;
    return place;
}

}  // namespace

const IndexedLine* clean_copy(const IndexedLine* raw, CleanedLine* spare) {
    Removal removals[kMostRemovals];
    int32_t count = find_removals(*raw, removals);
    int32_t length = 0, from = 0;
    for (int32_t r = 0; r < count; ++r) {
        // The line's storage and spare both have room for whole blocks past their ends.
        copy_blocks(spare->text + length, raw->text + from, removals[r].at - from);
        length += removals[r].at - from;
        from = removals[r].at + removals[r].gap;
    }
    copy_blocks(spare->text + length, raw->text + from, raw->length - from + 1);
    length += raw->length - from;
    IndexedLine* clean = &spare->line;
    index_punctuation(spare->text, length, &spare->index, clean);
    // Cleaning neither forms nor destroys a keyword, so the line keeps those it was read with.
    clean->found.present = raw->found.present & ~kPatternBits;
    for (uint32_t kept = clean->found.present; kept; kept &= kept - 1) {
        int32_t k = __builtin_ctz(kept);
        clean->found.at[k] =
            static_cast<int16_t>(cleaned_place(removals, count, raw->found.at[k]));
    }
    return clean;
}
