// Bounded byte searches, sixteen bytes at a time: the inner loops of the line pipeline.
//
// Every search looks at the n bytes from t on, treats NUL as an ordinary byte, and never
// reports a position outside them. To stay branch-free at the end of a range it may READ up
// to kSearchSlack bytes past t + n: the caller's storage must hold that many bytes after any
// range it searches (the line buffers and the reader buffer carry them). A needle, or the
// second text of a comparison, may be a literal: it is decoded at entry, as by every text
// primitive; the bytes searched are taken as they are.
#pragma once

#include <cstdint>

#include <emmintrin.h>

#include "text/literal.h"

#ifndef __SSE2__
#error "the byte searches need SSE2 (-msse2 on i686)"
#endif

// Bytes a search may read past the end of its range.
inline constexpr int32_t kSearchSlack = 32;  // a pair of blocks

// Up to eight byte values looked for together; the searches take how many lanes to test as a
// template argument, so that each block costs only the compares it needs.
struct ByteSet {
    __m128i lanes[8];  // each value repeated in all sixteen lanes; unused lanes repeat the first
};

// The set of the count values at bytes (1 to 8 of them).
ByteSet byte_set(const char* bytes, int32_t count);

// Bit k set when byte k of the sixteen at p is one of the first Lanes values of set.
template <int32_t Lanes>
inline uint32_t block_matches(const char* p, const ByteSet& set) {
    static_assert(Lanes >= 1 && Lanes <= 8, "a set has one to eight lanes");
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hits = _mm_cmpeq_epi8(block, set.lanes[0]);
    // Written out so that every compare is inline: a loop over lanes costs as much again.
    if constexpr (Lanes > 1) hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, set.lanes[1]));
    if constexpr (Lanes > 2) hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, set.lanes[2]));
    if constexpr (Lanes > 3) hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, set.lanes[3]));
    if constexpr (Lanes > 4) hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, set.lanes[4]));
    if constexpr (Lanes > 5) hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, set.lanes[5]));
    if constexpr (Lanes > 6) hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, set.lanes[6]));
    if constexpr (Lanes > 7) hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, set.lanes[7]));
    return static_cast<uint32_t>(_mm_movemask_epi8(hits));
}

// Bit k set when byte k of the sixteen at p is at most limit, taken unsigned: one compare
// for a set of small values, such as the control characters.
inline uint32_t at_most_bits(const char* p, char limit) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(block, _mm_set1_epi8(limit)), block);
    return static_cast<uint32_t>(_mm_movemask_epi8(low));
}

// The low n bits (n at most 16) that stay inside a block of which only n bytes are in range.
inline uint32_t in_range_bits(int32_t n) { return n >= 16 ? 0xFFFFu : (1u << n) - 1; }

// Bit k set when byte k of the thirty-two at p is one of the first Lanes values of set.
template <int32_t Lanes>
inline uint32_t pair_matches(const char* p, const ByteSet& set) {
    return block_matches<Lanes>(p, set) | block_matches<Lanes>(p + 16, set) << 16;
}

// The low n bits (n at most 32) of a pair of blocks of which only n bytes are in range.
inline uint32_t in_pair_bits(int32_t n) { return n >= 32 ? 0xFFFFFFFFu : (1u << n) - 1; }

// Calls visit(position) for every byte of t[0..n) among the first Lanes values of set, left to
// right, until visit returns false. Returns the position where visit stopped, or null. Two
// blocks are tested per step: most lines are done in one or two.
template <int32_t Lanes, class Visit>
const char* for_each_in_set(const char* t, int32_t n, const ByteSet& set, Visit visit) {
    for (int32_t i = 0; i < n; i += 32) {
        uint32_t bits = pair_matches<Lanes>(t + i, set);
        if (n - i < 32) bits &= in_pair_bits(n - i);
        for (; bits; bits &= bits - 1) {
            const char* p = t + i + __builtin_ctz(bits);
            if (!visit(p)) return p;
        }
    }
    return nullptr;
}

// First byte of t[0..n) among the first Lanes values of set, or null.
template <int32_t Lanes>
const char* find_in_set(const char* t, int32_t n, const ByteSet& set) {
    for (int32_t i = 0; i < n; i += 32) {
        uint32_t bits = pair_matches<Lanes>(t + i, set);
        if (n - i < 32) bits &= in_pair_bits(n - i);
        if (bits) return t + i + __builtin_ctz(bits);
    }
    return nullptr;
}

// Bit k set when byte k of the sixteen at p is a blank: the space or one of the five control
// characters from tab (9) to carriage return (13), for which c - 9, taken unsigned, is at most 4.
inline uint32_t blank_bits(const char* p) {
    const __m128i space = _mm_set1_epi8(' '), tab = _mm_set1_epi8(9), four = _mm_set1_epi8(4);
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i shifted = _mm_sub_epi8(block, tab);
    __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(shifted, four), shifted);
    __m128i blank = _mm_or_si128(control, _mm_cmpeq_epi8(block, space));
    return static_cast<uint32_t>(_mm_movemask_epi8(blank));
}

// First blank in t[0..n), or null.
inline const char* find_blank(const char* t, int32_t n) {
    for (int32_t i = 0; i < n; i += 16) {
        uint32_t bits = blank_bits(t + i);
        if (n - i < 16) bits &= in_range_bits(n - i);
        if (bits) return t + i + __builtin_ctz(bits);
    }
    return nullptr;
}

// Position of the first byte where the m bytes at a and at b differ, or m when they agree.
inline int32_t first_difference(const char* a, const char* b, int32_t m) {
    for (int32_t i = 0; i < m; i += 16) {
        __m128i same = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)),
                                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i)));
        uint32_t differ = ~static_cast<uint32_t>(_mm_movemask_epi8(same)) & 0xFFFFu;
        if (m - i < 16) differ &= in_range_bits(m - i);
        if (differ) return i + __builtin_ctz(differ);
    }
    return m;
}

// First position of byte c in t[0..n), or null.
inline const char* find_byte(const char* t, int32_t n, char c) {
    const __m128i lanes = _mm_set1_epi8(c);
    for (int32_t i = 0; i < n; i += 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        uint32_t bits = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lanes)));
        if (n - i < 16) bits &= in_range_bits(n - i);
        if (bits) return t + i + __builtin_ctz(bits);
    }
    return nullptr;
}


inline uint64_t load_word(const char* p) {
    uint64_t word;
    __builtin_memcpy(&word, p, sizeof word);
    return word;
}

inline uint32_t load_half_word(const char* p) {
    uint32_t word;
    __builtin_memcpy(&word, p, sizeof word);
    return word;
}

// A text of one to sixteen bytes made ready to be compared in two loads: its bytes as two
// words, and masks that keep the bytes it has.
struct ShortText {
    uint64_t word[2];
    uint64_t mask[2];
};

// The short form of text (a literal is decoded first), of its first length bytes (1..16).
ShortText short_text(const char* text, int32_t length);

// True when the bytes at p start with t. Reads sixteen bytes from p, which line storage has.
inline bool starts_with_short(const char* p, const ShortText& t) {
    return (((load_word(p) ^ t.word[0]) & t.mask[0]) | ((load_word(p + 8) ^ t.word[1]) & t.mask[1])) == 0;
}

// True when the m bytes at a equal the m bytes at b (decoded first); reads exactly those
// bytes. Eight (or four) at a time, the last group overlapping the one before it.
inline bool same_bytes(const char* a, const char* b, int32_t m) {
    b = decode_literal(b);
    if (m >= 8) {
        for (int32_t i = 0; i + 8 < m; i += 8)
            if (load_word(a + i) != load_word(b + i)) return false;
        return load_word(a + m - 8) == load_word(b + m - 8);
    }
    if (m >= 4)
        return load_half_word(a) == load_half_word(b) &&
               load_half_word(a + m - 4) == load_half_word(b + m - 4);
    for (int32_t i = 0; i < m; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

// Copies n bytes from src to dst, which must not overlap; reads and writes nothing beyond.
void copy_bytes(char* dst, const char* src, int32_t n);

// Copies n bytes from src to dst in whole blocks of sixteen: up to fifteen bytes past n are
// read from src and written to dst, so both must have that room. dst may also lie below src
// in an overlapping range: each block is read before any store reaches it.
inline void copy_blocks(char* dst, const char* src, int32_t n) {
    for (int32_t i = 0; i < n; i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)));
}

// A needle of at least two bytes, searched for by its first two.
struct Needle {
    const char* bytes;
    int32_t length;
};

// Bit k set when the needle's first two bytes stand at t + k (k below 16).
inline uint32_t needle_starts(const char* t, __m128i first, __m128i second) {
    __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t));
    __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + 1));
    return static_cast<uint32_t>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi8(here, first), _mm_cmpeq_epi8(next, second))));
}

// The first of the candidates bits (bit k: position i + k of t) where the whole needle stands
// inside t[0..n), or null.
inline const char* first_whole(const char* t, int32_t n, int32_t i, uint32_t bits,
                               Needle needle) {
    for (; bits; bits &= bits - 1) {
        int32_t at = i + __builtin_ctz(bits);
        if (at + needle.length > n) return nullptr;
        if (same_bytes(t + at + 2, needle.bytes + 2, needle.length - 2)) return t + at;
    }
    return nullptr;
}

// First position of the m bytes of needle (m at least 2) in t[0..n), or null. Candidates are
// the positions where the needle's first two bytes stand; only they are compared in full.
// Inline, so that a needle of known length is compared without a loop.
inline const char* find_bytes(const char* t, int32_t n, const char* needle, int32_t m) {
    needle = decode_literal(needle);
    __m128i first = _mm_set1_epi8(needle[0]);
    __m128i second = _mm_set1_epi8(needle[1]);
    for (int32_t i = 0; i + m <= n; i += 16)
        if (const char* p = first_whole(t, n, i, needle_starts(t + i, first, second),
                                        Needle{needle, m}))
            return p;
    return nullptr;
}

// The first positions of two needles in t[0..n), found in one pass that ends once both are
// found: *at_a and *at_b, null where a needle is absent.
inline void find_both(const char* t, int32_t n, Needle a, Needle b, const char** at_a,
                      const char** at_b) {
    *at_a = *at_b = nullptr;
    a.bytes = decode_literal(a.bytes);
    b.bytes = decode_literal(b.bytes);
    __m128i a0 = _mm_set1_epi8(a.bytes[0]), a1 = _mm_set1_epi8(a.bytes[1]);
    __m128i b0 = _mm_set1_epi8(b.bytes[0]), b1 = _mm_set1_epi8(b.bytes[1]);
    for (int32_t i = 0; i < n && !(*at_a && *at_b); i += 16) {
        if (!*at_a) *at_a = first_whole(t, n, i, needle_starts(t + i, a0, a1), a);
        if (!*at_b) *at_b = first_whole(t, n, i, needle_starts(t + i, b0, b1), b);
    }
}
