// Words, integers and fixed-point numbers read out of texts.
//
// Result codes of the parsers: 0 a number was read, 1 too large, 2 no digits. Out arguments
// may be null (not wanted).
#pragma once

#include <cstdint>

#include "text/text.h"

// First non-blank position at or after p, or null when only blanks remain before the NUL.
const char* word_start(const char* p);

// Last character of the word starting at p; for a blank or the NUL, the position before p.
const char* word_end(const char* p);

// Copies word n (counted from 1) of text into dst with a NUL: 0, or 1 (dst empty) when the
// text has fewer words; n of 0 or less gives the empty text and 0. dst holds the longest word;
// it may be text itself.
int32_t word_copy(const char* text, int32_t n, char* dst);

// Number of blank-separated words in text.
int32_t word_count(const char* text);

// First character of word n, null when there are fewer words, text itself for n <= 0.
const char* word_at(const char* text, int32_t n);

// Removes word n and the blanks after it in place: 0, or 1 when there is no word n.
int32_t word_delete(char* text, int32_t n);

// Reads blanks, an optional '-', then digits into a signed 32-bit value. *end gets the first
// position after the digits (for result 2: after the blanks and the '-'); for result 1 it is
// not stored and the value is meaningless.
int32_t parse_integer(const char* text, const char** end, int32_t* value);

// The number of leading digits among the eight bytes of word (first byte lowest). A byte is a
// digit when its high half is 3 and adding 6 keeps it 3; a carry out of a non-digit can only
// disturb the bytes after it, which are not counted.
inline int32_t leading_digits(uint64_t word) {
    constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0u, kThrees = 0x3030303030303030u;
    constexpr uint64_t kSixes = 0x0606060606060606u;
    uint64_t stray = ((word & kHigh) ^ kThrees) | (((word + kSixes) & kHigh) ^ kThrees);
    if (sizeof(void*) == 8) return stray ? __builtin_ctzll(stray) / 8 : 8;
    // A 32-bit build has no 64-bit bit scan: the halves are scanned in turn.
    uint32_t low = static_cast<uint32_t>(stray), high = static_cast<uint32_t>(stray >> 32);
    if (low) return __builtin_ctz(low) / 8;
    return high ? 4 + __builtin_ctz(high) / 8 : 8;
}

// The value of the count (1 to 7) digits at the start of word: moved to the top, the bytes
// below act as leading zeros, and pairs, quads and halves are joined by three multiplications.
inline uint32_t digits_value(uint64_t word, int32_t count) {
    if (sizeof(void*) == 4 && count <= 4) {
        // A 32-bit build joins up to four digits in one register, with two multiplications.
        uint32_t v = (static_cast<uint32_t>(word) - 0x30303030u) << (8 * (4 - count));
        v = ((v & 0x0F0F0F0Fu) * 2561) >> 8;
        return ((v & 0x00FF00FFu) * 6553601) >> 16;
    }
    uint64_t v = (word - 0x3030303030303030u) << (8 * (8 - count));
    v = ((v & 0x0F0F0F0F0F0F0F0Fu) * 2561) >> 8;
    v = ((v & 0x00FF00FF00FF00FFu) * 6553601) >> 16;
    return static_cast<uint32_t>(((v & 0x0000FFFF0000FFFFu) * 42949672960001u) >> 32);
}

// parse_integer for a text in line storage, which holds at least eight readable bytes from
// any position up to its NUL: the same result and *end, and a number of one to seven digits
// right after the blanks is read eight bytes at a time. Inline: the parser reads three or
// four numbers a line.
inline int32_t parse_integer_in_line(const char* text, const char** end, int32_t* value) {
    const char* p = skip_blanks(text);
    uint64_t word;
    __builtin_memcpy(&word, p, sizeof word);
    int32_t count = leading_digits(word);
    // No digit, a sign, or eight digits and maybe more: the general reader decides.
    if (count == 0 || count == 8) return parse_integer(text, end, value);
    if (end) *end = p + count;
    if (value) *value = static_cast<int32_t>(digits_value(word, count));
    return 0;
}

// Reads blanks, '-', digits and an optional '.' with digits (80 digits at most) as the value
// times 10^places (places limited to 0..9), rounded half away from zero on the next digit.
// *end is always stored: after the fraction digits, the point, or the integer digits. For
// results 1 and 2 from the digit count the value is not written.
int32_t parse_fixed(const char* text, const char** end, int32_t places, int32_t* value);

// parse_fixed for a text in line storage (eight readable bytes from any position up to its
// NUL, and past a '.' before it): the same result, *end and value; one to seven whole digits
// with one place are read eight bytes at a time.
int32_t parse_fixed_in_line(const char* text, const char** end, int32_t places, int32_t* value);
