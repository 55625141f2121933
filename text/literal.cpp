// Decoding of scrambled literals, in place and only inside the literal pool.
#include "literals.h"
#include "text/literal.h"

namespace {

// Log lines, names and paths pass through the same primitives as the literals. A text that
// merely looks scrambled (marker byte, matching check) must never be rewritten, so only the
// pool's own storage is ever decoded.
bool in_literal_pool(const char* t) {
    uintptr_t p = reinterpret_cast<uintptr_t>(t);
    uintptr_t start = reinterpret_cast<uintptr_t>(literal_pool);
    return p >= start && p < start + kLiteralPoolSize;
}

}  // namespace

int32_t unscramble_text(char* t) {
    uint8_t marker = static_cast<uint8_t>(t[0]);
    if (!keystream::is_marker(marker) || t[1] == 0) return 2;
    uint8_t check = 0;
    for (const char* p = t + 1; *p; ++p) check ^= static_cast<uint8_t>(*p);
    if ((check & keystream::kCheckMask) != (marker & keystream::kCheckMask)) return 1;

    uint16_t s = keystream::kSeed;
    char* out = t;
    for (const char* p = t + 1; *p; ++p) {
        s = keystream::advance(s);
        uint8_t k = keystream::key_byte(s);
        uint8_t stored = static_cast<uint8_t>(*p);
        // The encoder writes k for a character that would have scrambled to 0.
        *out++ = static_cast<char>(stored == k ? 256 - k : stored - k);
    }
    *out = 0;
    return 0;
}

const char* decode_marked_text(const char* t) {
    if (!in_literal_pool(t)) return t;
    // A failed check leaves the text as it is: it is then used unchanged.
    unscramble_text(const_cast<char*>(t));
    return t;
}
