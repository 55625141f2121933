// The reference's text primitives, words and numbers: byte-at-a-time loops, frozen.
#include "literals.h"
#include "tests/oracle/oracle.h"

namespace oracle {

const uint8_t CharClass[256] = {
     32,  32,  32,  32,  32,  32,  32,  32,  32,  40,  40,  40,  40,  40,  32,  32,  // 0x00
     32,  32,  32,  32,  32,  32,  32,  32,  32,  32,  32,  32,  32,  32,  32,  32,  // 0x10
     72,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  16,  // 0x20
    132, 132, 132, 132, 132, 132, 132, 132, 132, 132,  16,  16,  16,  16,  16,  16,  // 0x30
     16, 129, 129, 129, 129, 129, 129,   1,   1,   1,   1,   1,   1,   1,   1,   1,  // 0x40
      1,   1,   1,   1,   1,   1,   1,   1,   1,   1,   1,  16,  16,  16,  16,  16,  // 0x50
     16, 130, 130, 130, 130, 130, 130,   2,   2,   2,   2,   2,   2,   2,   2,   2,  // 0x60
      2,   2,   2,   2,   2,   2,   2,   2,   2,   2,   2,  16,  16,  16,  16,  32,  // 0x70
    // 0x80..0xFF: no class
};

namespace {

int compare_bytes(uint8_t a, uint8_t b) { return a < b ? -1 : 1; }

// A text, decoded when it is a literal, or a character as a one-character text in single.
const char* text_of(uintptr_t word, char* single) {
    if (word > 255) return decode_literal(reinterpret_cast<const char*>(word));
    single[0] = static_cast<char>(word);
    single[1] = 0;
    return single;
}

constexpr int32_t kMaxFixedDigits = 80;
constexpr int32_t kMaxPlaces = 9;
constexpr int32_t kInt32Min = -2147483647 - 1;
constexpr int32_t kInt32Max = 2147483647;

const char* skip_digits(const char* p, int32_t* count) {
    while (is_digit(*p)) {
        ++p;
        ++*count;
    }
    return p;
}

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

}  // namespace

int32_t text_length(const char* t) {
    t = decode_literal(t);
    int32_t n = 0;
    while (t[n]) ++n;
    return n;
}

void text_copy(char* dst, TextArg src) {
    char one[2];
    const char* s = text_of(src.word, one);
    do *dst++ = *s; while (*s++);
}

void text_copy_n(char* dst, const char* src, int32_t n) {
    src = decode_literal(src);
    int32_t i = 0;
    for (; i < n && src[i]; ++i) dst[i] = src[i];
    dst[i] = 0;
}

void text_append(char* dst, TextArg src) { oracle::text_copy(dst + text_length(dst), src); }

const char* text_find(const char* t, TextArg needle) {
    t = decode_literal(t);
    if (needle.is_char()) {
        char c = static_cast<char>(needle.word);
        if (c == 0) return nullptr;
        for (; *t; ++t)
            if (*t == c) return t;
        return nullptr;
    }
    const char* n = decode_literal(needle.text());
    if (n[0] == 0) return nullptr;
    for (; *t; ++t) {
        if (*t != n[0]) continue;
        int32_t i = 1;
        while (n[i] && t[i] == n[i]) ++i;
        if (n[i] == 0) return t;
    }
    return nullptr;
}

int text_compare(const char* a, const char* b) {
    b = decode_literal(b);
    for (;; ++a, ++b) {
        if (*a != *b) return compare_bytes(*a, *b);
        if (*a == 0) return 0;
    }
}

int text_compare_n(const char* a, const char* b, int32_t n) {
    b = decode_literal(b);
    if (n < 1) n = 1;
    for (int32_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) return compare_bytes(a[i], b[i]);
        if (a[i] == 0) return 0;
    }
    return 0;
}

void text_insert_front(char* dst, TextArg src) {
    char one[2];
    const char* s = text_of(src.word, one);
    int32_t n = text_length(s);
    if (n == 0) return;
    move_bytes(dst, dst + n, text_length(dst) + 1);
    move_bytes(s, dst, n);
}

void text_upper(char* t) {
    for (; *t; ++t)
        if (CharClass[static_cast<uint8_t>(*t)] & kClassLower) *t = static_cast<char>(*t - 32);
}

void trim_leading(char* t) {
    const char* rest = skip_blanks(t);
    if (rest != t) text_copy(t, rest);
}

void trim_trailing(char* t) {
    int32_t n = text_length(t);
    while (n > 0 && is_blank(t[n - 1])) t[--n] = 0;
}

const char* skip_blanks(const char* t) {
    while (is_blank(*t)) ++t;
    return t;
}

// One byte at a time, top first when the destination lies above the source.
void move_bytes(const void* source, void* destination, int32_t count) {
    const char* from = static_cast<const char*>(source);
    char* to = static_cast<char*>(destination);
    if (count <= 0) return;
    if (from <= to) {
        for (int32_t i = count - 1; i >= 0; --i) to[i] = from[i];
    } else {
        for (int32_t i = 0; i < count; ++i) to[i] = from[i];
    }
}

int word_copy(const char* text, int32_t n, char* dst) {
    dst[0] = 0;
    if (n <= 0) return 0;
    const char* s = word_at(text, n);
    if (!s) return 1;
    text_copy_n(dst, s, static_cast<int32_t>(word_end(s) - s + 1));
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
    char* point = text_find(work, '.');
    if (!point) return 2;  // never: a point was appended above
    char* fraction = point + 1;
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

}  // namespace oracle
