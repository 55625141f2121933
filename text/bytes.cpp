// Bounded byte searches with SSE2: a whole block of sixteen bytes is tested per step.
#include "text/bytes.h"

namespace {

inline __m128i repeated(char c) { return _mm_set1_epi8(c); }

inline __m128i load(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

}  // namespace

ByteSet byte_set(const char* bytes, int32_t count) {
    ByteSet set;
    for (int32_t k = 0; k < 8; ++k) set.lanes[k] = repeated(k < count ? bytes[k] : bytes[0]);
    return set;
}

void copy_bytes(char* dst, const char* src, int32_t n) {
    int32_t i = 0;
    for (; i + 16 <= n; i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), load(src + i));
    for (; i < n; ++i) dst[i] = src[i];
}

ShortText short_text(const char* text, int32_t length) {
    text = decode_literal(text);
    ShortText t{{0, 0}, {0, 0}};
    for (int32_t i = 0; i < length && i < 16; ++i) {
        t.word[i / 8] |= uint64_t{static_cast<uint8_t>(text[i])} << (8 * (i % 8));
        t.mask[i / 8] |= uint64_t{0xFF} << (8 * (i % 8));
    }
    return t;
}
