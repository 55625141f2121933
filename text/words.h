// Words, integers and fixed-point numbers read out of texts.
//
// Result codes of the parsers: 0 a number was read, 1 too large, 2 no digits. Out arguments
// may be null (not wanted).
#pragma once

#include <cstdint>

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

// parse_integer for a text in line storage, which holds at least eight readable bytes from
// any position up to its NUL: the same result and *end, and a number of one to seven digits
// right after the blanks is read eight bytes at a time.
int32_t parse_integer_in_line(const char* text, const char** end, int32_t* value);

// Reads blanks, '-', digits and an optional '.' with digits (80 digits at most) as the value
// times 10^places (places limited to 0..9), rounded half away from zero on the next digit.
// *end is always stored: after the fraction digits, the point, or the integer digits. For
// results 1 and 2 from the digit count the value is not written.
int32_t parse_fixed(const char* text, const char** end, int32_t places, int32_t* value);

// parse_fixed for a text in line storage (eight readable bytes from any position up to its
// NUL, and past a '.' before it): the same result, *end and value; one to seven whole digits
// with one place are read eight bytes at a time.
int32_t parse_fixed_in_line(const char* text, const char** end, int32_t places, int32_t* value);
