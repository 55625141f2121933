// Blank-separated words, signed integers and rounded fixed-point numbers read from texts.
#include "text/words.h"

#include "literals.h"
#include "text/text.h"

namespace {

inline constexpr int32_t kMaxFixedDigits = 80;
inline constexpr int32_t kMaxPlaces = 9;
inline constexpr int32_t kInt32Min = -2147483647 - 1;
inline constexpr int32_t kInt32Max = 2147483647;

const char* skip_digits(const char* p, int32_t* count) {
    while (is_digit(*p)) {
        ++p;
        ++*count;
    }
    return p;
}

}  // namespace

const char* word_start(const char* p) {
    p = skip_blanks(p);
    return *p ? p : nullptr;
}

const char* word_end(const char* p) {
    if (*p == 0 || is_blank(*p)) return p - 1;
    while (p[1] && !is_blank(p[1])) ++p;
    return p;
}

const char* word_at(const char* text, int32_t n) {
    if (n <= 0) return text;
    const char* scan = text;
    for (int32_t i = 1;; ++i) {
        const char* s = word_start(scan);
        if (!s || i == n) return s;
        scan = word_end(s) + 1;
    }
}

// dst may be text itself: the word is found before dst is written, and the copy runs from
// low to high addresses onto a start at or before the word's.
int word_copy(const char* text, int32_t n, char* dst) {
    const char* s = n > 0 ? word_at(text, n) : nullptr;
    if (!s) {
        dst[0] = 0;
        return n > 0 ? 1 : 0;
    }
    text_copy_n(dst, s, static_cast<int32_t>(word_end(s) - s + 1));
    return 0;
}

int32_t word_count(const char* text) {
    int32_t n = 0;
    for (const char* s = word_start(text); s; s = word_start(word_end(s) + 1)) ++n;
    return n;
}

int word_delete(char* text, int32_t n) {
    if (n <= 0) return 1;
    char* s = const_cast<char*>(word_at(text, n));
    if (!s) return 1;
    text_copy(s, word_end(s) + 1);
    trim_leading(s);
    return 0;
}

int parse_integer(const char* text, const char** end, int32_t* value) {
    const char* p = skip_blanks(text);
    bool negative = *p == '-';
    if (negative) ++p;
    const char* digits = p;
    // Built below zero, so that -2147483648, which has no positive counterpart, reads.
    int32_t v = 0;
    for (; is_digit(*p); ++p) {
        int32_t d = *p - '0';
        if (v < (kInt32Min + d) / 10) return 1;
        v = v * 10 - d;
    }
    if (!negative && p != digits) {
        if (v == kInt32Min) return 1;
        v = -v;
    }
    if (end) *end = p;
    if (value) *value = v;
    return p == digits ? 2 : 0;
}

int parse_fixed(const char* text, const char** end, int32_t places, int32_t* value) {
    const char* start = skip_blanks(text);
    const char* p = start + (*start == '-');
    int32_t digits = 0;
    p = skip_digits(p, &digits);
    if (*p == '.') p = skip_digits(p + 1, &digits);
    if (end) *end = p;
    if (digits > kMaxFixedDigits) return 1;
    if (digits == 0) return 2;
    if (places < 0) places = 0;
    if (places > kMaxPlaces) places = kMaxPlaces;

    // Sign, 80 digits, the point, ten pad digits and the NUL.
    char work[100];
    text_copy_n(work, start, static_cast<int32_t>(p - start));
    if (!text_find(work, '.')) text_append(work, '.');
    text_append(work, kFractionPadText);
    char* fraction = text_find(work, '.') + 1;
    bool round_up = fraction[places] >= '5';
    fraction[places] = 0;
    text_copy(fraction - 1, fraction);

    int32_t v = 0;
    int result = parse_integer(work, nullptr, &v);
    if (result != 0) return result;
    if (round_up) {
        bool negative = *start == '-';
        // A carry past the 32-bit range is a value too large, not a wrapped one.
        if (v == (negative ? kInt32Min : kInt32Max)) return 1;
        v += negative ? -1 : 1;
    }
    if (value) *value = v;
    return 0;
}
