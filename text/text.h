// The character-class table and the primitives on NUL-terminated byte texts.
//
// Texts live in caller storage. No primitive checks the room in a destination: the caller
// sizes it for the largest text it can receive. Every primitive that reads a text argument
// passes it through decode_literal first, so a literal (see literals.h) can be given anywhere
// a text is expected; only texts inside the literal pool are ever decoded.
#pragma once

#include <cstdint>

#include "text/literal.h"

namespace text_detail {
// Never defined and not constexpr: reaching it while a character code is checked at compile
// time stops the build.
void character_code_out_of_range();

consteval uintptr_t character_code(int32_t c) {
    if (c < 0 || c > 255) character_code_out_of_range();
    return static_cast<uintptr_t>(c);
}
}  // namespace text_detail

// A text parameter that may also be a single character: any value of 255 or less is a
// character code, never a pointer (so a null pointer reads as the character 0). A character
// is taken as its unsigned byte ('\xE9' is 0xE9, never a word that reads as a pointer); an
// integer code must be a constant 0..255, so 0x141 does not compile instead of becoming 'A'.
struct TextArg {
    uintptr_t word;
    TextArg(const char* t) : word(reinterpret_cast<uintptr_t>(t)) {}
    TextArg(char c) : word(static_cast<uint8_t>(c)) {}
    TextArg(unsigned char c) : word(c) {}
    consteval TextArg(int32_t c) : word(text_detail::character_code(c)) {}
    bool is_char() const { return word <= 255; }
    const char* text() const { return reinterpret_cast<const char*>(word); }
};

// Class bits of CharClass.
enum : uint8_t {
    kClassUpper = 1, kClassLower = 2, kClassDigit = 4, kClassBlank = 8,
    kClassPunct = 16, kClassControl = 32, kClassSpace = 64, kClassHex = 128,
};

// The 256-entry class table, indexed by the unsigned byte; bytes 0x80..0xFF have no class.
extern const uint8_t CharClass[256];

inline bool is_blank(char c) { return CharClass[static_cast<uint8_t>(c)] & kClassBlank; }
// The digits are exactly '0'..'9', so no table is needed.
inline bool is_digit(char c) { return static_cast<uint8_t>(c - '0') < 10; }

// decode_literal for a text parameter: a character comes back as it is.
TextArg decode_literal(TextArg t);

// The text t stands for: a text is decoded; a character becomes a one-character text in
// single, which the caller provides (two bytes), so the character 0 gives the empty text.
const char* text_of(TextArg t, char* single);

// Byte count before the NUL of t (decoded first).
int32_t text_length(const char* t);

// Copies src (a text, or a character as a one-character text; 0 gives the empty text) with
// its NUL to dst, from low to high addresses, so dst may lie just before src in one buffer.
void text_copy(char* dst, TextArg src);

// Copies at most n characters of src and always a NUL after them: dst needs n + 1 bytes.
// n of 0 or less gives the empty text.
void text_copy_n(char* dst, const char* src, int32_t n);

// Appends src (text or character) with its NUL to the end of dst.
void text_append(char* dst, TextArg src);

// Leftmost position of needle in t, or null. A character needle finds that byte (0: null);
// an empty text needle gives null.
const char* text_find(const char* t, TextArg needle);
inline char* text_find(char* t, TextArg needle) {
    return const_cast<char*>(text_find(static_cast<const char*>(t), needle));
}

// -1, 0 or 1 as a sorts before, with or after b, bytes unsigned; a proper prefix sorts first.
// Only b is decoded.
int32_t text_compare(const char* a, const char* b);

// As text_compare over at most the first n characters; n of 1 or less compares one.
int32_t text_compare_n(const char* a, const char* b, int32_t n);

// Puts src (text or character) in front of dst; dst needs room for both and the NUL.
void text_insert_front(char* dst, TextArg src);

// Turns a..z into A..Z in place; nothing else changes and nothing is decoded.
void text_upper(char* t);

// Removes the leading blanks of t in place; the text keeps its address.
void trim_leading(char* t);

// Overwrites the trailing blanks of t with NULs.
void trim_trailing(char* t);

// First non-blank position at or after t: possibly the NUL. Nothing is decoded.
inline const char* skip_blanks(const char* t) {
    while (is_blank(*t)) ++t;
    return t;
}
inline char* skip_blanks(char* t) {
    return const_cast<char*>(skip_blanks(static_cast<const char*>(t)));
}

// Moves count bytes from source to destination (source first!), right even when the ranges
// overlap; nothing for a count of 0 or less.
void move_bytes(const void* source, void* destination, int32_t count);
