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
