// The primitives on NUL-terminated byte texts: measure, copy, search, compare, trim, move.
#include "text/text.h"

namespace {

int32_t compare_bytes(uint8_t a, uint8_t b) { return a < b ? -1 : 1; }

// Moves whole 4-byte units; the type may alias any storage.
typedef uint32_t __attribute__((may_alias)) Unit;

}  // namespace

TextArg decode_literal(TextArg t) {
    if (t.is_char()) return t;
    return TextArg(decode_literal(t.text()));
}

const char* text_of(TextArg t, char* single) {
    if (!t.is_char()) return decode_literal(t.text());
    single[0] = static_cast<char>(t.word);
    single[1] = 0;
    return single;
}

int32_t text_length(const char* t) {
    t = decode_literal(t);
    int32_t n = 0;
    while (t[n]) ++n;
    return n;
}

void text_copy(char* dst, TextArg src) {
    char one[2];
    const char* s = text_of(src, one);
    do *dst++ = *s; while (*s++);
}

void text_copy_n(char* dst, const char* src, int32_t n) {
    src = decode_literal(src);
    int32_t i = 0;
    for (; i < n && src[i]; ++i) dst[i] = src[i];
    dst[i] = 0;
}

void text_append(char* dst, TextArg src) {
    text_copy(dst + text_length(dst), src);
}

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

int32_t text_compare(const char* a, const char* b) {
    b = decode_literal(b);
    for (;; ++a, ++b) {
        if (*a != *b) return compare_bytes(*a, *b);
        if (*a == 0) return 0;
    }
}

int32_t text_compare_n(const char* a, const char* b, int32_t n) {
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
    const char* s = text_of(src, one);
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
    const char* rest = skip_blanks(static_cast<const char*>(t));
    if (rest != t) text_copy(t, rest);
}

void trim_trailing(char* t) {
    int32_t n = text_length(t);
    while (n > 0 && is_blank(t[n - 1])) t[--n] = 0;
}

void move_bytes(const void* source, void* destination, int32_t count) {
    if (count <= 0) return;
    uintptr_t from = reinterpret_cast<uintptr_t>(source);
    uintptr_t to = reinterpret_cast<uintptr_t>(destination);
    bool units = ((from | to | static_cast<uint32_t>(count)) & 3) == 0;
    int32_t size = units ? 4 : 1;
    int32_t n = count / size;
    // With the destination above the source the top goes first, otherwise the bottom, so no
    // byte of an overlapping source is overwritten before it is moved.
    bool downward = from <= to;
    for (int32_t k = 0; k < n; ++k) {
        int32_t i = downward ? n - 1 - k : k;
        if (units)
            reinterpret_cast<Unit*>(to)[i] = reinterpret_cast<const Unit*>(from)[i];
        else
            reinterpret_cast<char*>(to)[i] = reinterpret_cast<const char*>(from)[i];
    }
}
