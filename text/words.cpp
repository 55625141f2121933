// Blank-separated words, signed integers and rounded fixed-point numbers read from texts.
#include "text/words.h"

#include "literals.h"
#include "text/text.h"

namespace {

inline constexpr int32_t kMaxFixedDigits = 80;
inline constexpr int32_t kMaxPlaces = 9;

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
int32_t word_copy(const char* text, int32_t n, char* dst) {
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

int32_t word_delete(char* text, int32_t n) {
    if (n <= 0) return 1;
    char* s = const_cast<char*>(word_at(text, n));
    if (!s) return 1;
    text_copy(s, word_end(s) + 1);
    trim_leading(s);
    return 0;
}

int32_t parse_integer(const char* text, const char** end, int32_t* value) {
    const char* p = skip_blanks(text);
    bool negative = *p == '-';
    if (negative) ++p;
    const char* digits = p;
    // The magnitude may reach 2^31 only with a '-' in front; 64 bits hold one digit more.
    uint64_t limit = negative ? 2147483648u : 2147483647u;
    uint64_t magnitude = 0;
    for (; is_digit(*p); ++p) {
        magnitude = magnitude * 10 + static_cast<uint64_t>(*p - '0');
        if (magnitude > limit) return 1;
    }
    if (end) *end = p;
    if (value) *value = static_cast<int32_t>(negative ? 0 - magnitude : magnitude);
    return p == digits ? 2 : 0;
}

LineNumber any_integer_in_line(const char* text) {
    LineNumber number{nullptr, 0};
    const char* end = nullptr;
    if (parse_integer(text, &end, &number.value) == 0) number.end = end;
    return number;
}

LineNumber any_tenths_in_line(const char* text) {
    LineNumber number{nullptr, 0};
    const char* end = nullptr;
    if (parse_fixed(text, &end, 1, &number.value) == 0) number.end = end;
    return number;
}

namespace {

// Reads digits into the magnitude m, one at a time; false when m passes limit.
bool add_digits(const char* digits, int32_t count, uint64_t limit, uint64_t* m) {
    for (int32_t i = 0; i < count; ++i) {
        *m = *m * 10 + static_cast<uint64_t>(digits[i] - '0');
        if (*m > limit) return false;
    }
    return true;
}

}  // namespace

int32_t parse_fixed(const char* text, const char** end, int32_t places, int32_t* value) {
    const char* start = skip_blanks(text);
    bool negative = *start == '-';
    int32_t whole_digits = 0, fraction_digits = 0;
    const char* p = skip_digits(start + negative, &whole_digits);
    const char* fraction = p;
    if (*p == '.') p = skip_digits(fraction = p + 1, &fraction_digits);
    if (end) *end = p;
    if (whole_digits + fraction_digits > kMaxFixedDigits) return 1;
    if (whole_digits + fraction_digits == 0) return 2;
    if (places < 0) places = 0;
    if (places > kMaxPlaces) places = kMaxPlaces;
    // With no digit before the point and none kept after it, no number is left to read.
    if (whole_digits + places == 0) return 2;

    // The value times 10^places: the whole digits, then places fraction digits padded with
    // zeros; the digit after them rounds half away from zero.
    uint64_t limit = negative ? 2147483648u : 2147483647u;
    uint64_t m = 0;
    if (!add_digits(start + negative, whole_digits, limit, &m)) return 1;
    int32_t kept = places < fraction_digits ? places : fraction_digits;
    if (!add_digits(fraction, kept, limit, &m)) return 1;
    for (int32_t i = kept; i < places; ++i)
        if ((m *= 10) > limit) return 1;
    if (places < fraction_digits && fraction[places] >= '5') {
        // A carry past the 32-bit range is a value too large, not a wrapped one.
        if (m == limit) return 1;
        m += 1;
    }
    if (value) *value = static_cast<int32_t>(negative ? 0 - m : m);
    return 0;
}
