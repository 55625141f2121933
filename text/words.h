// Words, integers and fixed-point numbers read out of texts.
//
// Result codes of the parsers: 0 a number was read, 1 too large, 2 no digits. Out arguments
// may be null (not wanted).
#pragma once

#include <cstdint>

#include "text/bytes.h"
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

// Reads blanks, '-', digits and an optional '.' with digits (80 digits at most) as the value
// times 10^places (places limited to 0..9), rounded half away from zero on the next digit.
// *end is always stored: after the fraction digits, the point, or the integer digits. For
// results 1 and 2 from the digit count the value is not written.
int32_t parse_fixed(const char* text, const char** end, int32_t places, int32_t* value);

// Numbers in line storage, which holds at least sixteen readable bytes from any position up
// to its NUL: the digits of a number are told apart sixteen bytes at a time, and its value is
// joined from one eight-byte word.

// Where the digits of the sixteen bytes at p stop: bit k set when byte k is no digit, and bit
// 16 set, so that the lowest bit set ends the run of digits at p. A digit less '0', 0 to 9,
// stays below 128 when 118 is added with saturation, and any other byte reaches 128.
inline uint32_t digit_stops(const char* p) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i value = _mm_sub_epi8(block, _mm_set1_epi8('0'));
    __m128i high = _mm_adds_epu8(value, _mm_set1_epi8(118));
    return static_cast<uint32_t>(_mm_movemask_epi8(high)) | 1u << 16;
}

// The length of the run of digits that stops (from digit_stops, maybe shifted right) starts
// with: 0 to 16, where the place of bit 16 means that the run may go on past the bytes mapped.
inline int32_t digit_run(uint32_t stops) { return __builtin_ctz(stops); }

// The value of the count (1 to 4) digits at the start of word (first byte lowest): moved to
// the top, the bytes shifted in below act as leading zeros, and pairs, then the two halves,
// are joined by two multiplications. A borrow from a byte after the digits cannot reach them.
inline uint32_t four_digits_value(uint32_t word, uint32_t count) {
    // The shift is 32 - 8 * count taken modulo 32, so that four digits are not moved.
    uint32_t v = (word - 0x30303030u) << ((0u - 8 * count) & 31);
    v = (v * 2561) >> 8;
    return ((v & 0x00FF00FFu) * 6553601) >> 16;
}

// Ten to the power n, for n from 0 to 4.
inline constexpr uint32_t kSmallPowersOfTen[] = {1, 10, 100, 1000, 10000};

// The value of the count (1 to 8) digits at the start of word: up to four in one 32-bit
// register, five (the longest identifier) as four and one more, more as four_digits_value
// does it with a third multiplication joining the quads.
inline uint32_t digits_value(uint64_t word, uint32_t count) {
    uint32_t low = static_cast<uint32_t>(word);
    uint32_t high = static_cast<uint32_t>(word >> 32);
    if (count <= 4) return four_digits_value(low, count);
    if (count == 5) return four_digits_value(low, 4) * 10 + (high & 0xFF) - '0';
    if (sizeof(void*) == 4) {
        // A 32-bit build has no 64-bit multiplication: the halves are joined in turn.
        return four_digits_value(low, 4) * kSmallPowersOfTen[count - 4] +
               four_digits_value(high, count - 4);
    }
    uint64_t v = (word - 0x3030303030303030u) << (8 * (8 - count));
    v = (v * 2561) >> 8;
    v = ((v & 0x00FF00FF00FF00FFu) * 6553601) >> 16;
    return static_cast<uint32_t>(((v & 0x0000FFFF0000FFFFu) * 42949672960001u) >> 32);
}

// A number read from line storage: where it ends, null where there is none, and its value.
struct LineNumber {
    const char* end;
    int32_t value;
};

// One to eight digits right at p, given stops = digit_stops(p) or that map shifted right by
// at most seven bytes to start at p: the position after them and their value, as
// parse_integer reads them (far below 2^31); no number for any other text.
[[gnu::always_inline]] inline LineNumber short_integer(const char* p, uint32_t stops) {
    uint32_t count = static_cast<uint32_t>(digit_run(stops));
    // One to four digits, the most common count, take one comparison.
    if (count - 1 < 4) {
        uint32_t value = four_digits_value(load_half_word(p), count);
        return LineNumber{p + count, static_cast<int32_t>(value)};
    }
    if (count - 1 >= 8) return LineNumber{nullptr, 0};
    return LineNumber{p + count, static_cast<int32_t>(digits_value(load_word(p), count))};
}

// integer_in_line for a number short_integer does not take.
LineNumber any_integer_in_line(const char* text);

// The number at text read as parse_integer reads it: the position after its digits and its
// value; no number where parse_integer gives 1 or 2. Inline: the parser reads three or four
// numbers a line.
inline LineNumber integer_in_line(const char* text) {
    // A number right at text or after one space, the ways the parser meets, goes the short way.
    const char* p = text + (text[0] == ' ');
    LineNumber number = short_integer(p, digit_stops(p));
    return number.end ? number : any_integer_in_line(text);
}

// One to seven whole digits right at p, maybe with a point and a fraction ending inside the
// sixteen bytes mapped, given stops = digit_stops(p): the position after the number and its
// value in tenths, as parse_fixed reads it with one place; no number for any other text.
[[gnu::always_inline]] inline LineNumber short_tenths(const char* p, uint32_t stops) {
    uint32_t whole = static_cast<uint32_t>(digit_run(stops));
    if (whole - 1 >= 7) return LineNumber{nullptr, 0};
    // Seven whole digits and one place stay far below 2^31.
    int32_t tenths = static_cast<int32_t>(digits_value(load_word(p), whole)) * 10;
    if (p[whole] != '.') return LineNumber{p + whole, tenths};
    uint32_t fraction = static_cast<uint32_t>(digit_run(stops >> (whole + 1)));
    if (whole + 1 + fraction == 16) return LineNumber{nullptr, 0};
    if (fraction >= 1) tenths += p[whole + 1] - '0';
    if (fraction >= 2 && p[whole + 2] >= '5') tenths += 1;
    return LineNumber{p + whole + 1 + fraction, tenths};
}

// tenths_in_line for a number short_tenths does not take.
LineNumber any_tenths_in_line(const char* text);

// The number at text read as parse_fixed reads it with one place: the position after it and
// its value in tenths; no number where parse_fixed gives 1 or 2.
inline LineNumber tenths_in_line(const char* text) {
    const char* p = skip_blanks(text);
    LineNumber number = short_tenths(p, digit_stops(p));
    return number.end ? number : any_tenths_in_line(text);
}
