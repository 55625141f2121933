// Bounded byte searches with SSE2: a whole block of sixteen bytes is tested per step.
#include "text/bytes.h"

namespace {

inline __m128i repeated(char c) { return _mm_set1_epi8(c); }

inline __m128i load(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline uint32_t equal_bits(const char* p, __m128i lanes) {
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(load(p), lanes)));
}

}  // namespace

ByteSet byte_set(const char* bytes, int32_t count) {
    ByteSet set;
    for (int32_t k = 0; k < 8; ++k) set.lanes[k] = repeated(k < count ? bytes[k] : bytes[0]);
    return set;
}

// Blanks are the space and the five control characters from tab (9) to carriage return (13):
// c - 9, taken unsigned, is at most 4 for those five.
const char* find_blank(const char* t, int32_t n) {
    const __m128i space = repeated(' '), tab = repeated(9), four = repeated(4);
    for (int32_t i = 0; i < n; i += 16) {
        __m128i block = load(t + i);
        __m128i shifted = _mm_sub_epi8(block, tab);
        __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(shifted, four), shifted);
        __m128i blank = _mm_or_si128(control, _mm_cmpeq_epi8(block, space));
        uint32_t bits = static_cast<uint32_t>(_mm_movemask_epi8(blank));
        if (n - i < 16) bits &= in_range_bits(n - i);
        if (bits) return t + i + __builtin_ctz(bits);
    }
    return nullptr;
}

int32_t first_difference(const char* a, const char* b, int32_t m) {
    for (int32_t i = 0; i < m; i += 16) {
        uint32_t same = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(load(a + i), load(b + i))));
        uint32_t differ = ~same & 0xFFFFu;
        if (m - i < 16) differ &= in_range_bits(m - i);
        if (differ) return i + __builtin_ctz(differ);
    }
    return m;
}

const char* find_byte(const char* t, int32_t n, char c) {
    __m128i lanes = repeated(c);
    for (int32_t i = 0; i < n; i += 16) {
        uint32_t bits = equal_bits(t + i, lanes);
        if (n - i < 16) bits &= in_range_bits(n - i);
        if (bits) return t + i + __builtin_ctz(bits);
    }
    return nullptr;
}

void copy_bytes(char* dst, const char* src, int32_t n) {
    int32_t i = 0;
    for (; i + 16 <= n; i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), load(src + i));
    for (; i < n; ++i) dst[i] = src[i];
}
