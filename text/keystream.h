// The keystream that scrambles literal texts: shared by the build-time encoder and the decoder.
#pragma once

#include <cstdint>

namespace keystream {

inline constexpr uint16_t kSeed = 0x4C54;
inline constexpr uint8_t kMultiplier = 0xA5;
inline constexpr uint8_t kIncrement = 0x3B;

// A scrambled text starts with a marker byte in kMarkerFirst..kMarkerLast whose bits under
// kCheckMask repeat those of the XOR of the scrambled bytes after it.
inline constexpr uint8_t kMarkerFirst = 0x80;
inline constexpr uint8_t kMarkerLast = 0x9F;
inline constexpr uint8_t kCheckMask = 0x1F;
static_assert(kMarkerLast - kMarkerFirst == kCheckMask, "every check value has its marker");

constexpr bool is_marker(uint8_t b) { return b >= kMarkerFirst && b <= kMarkerLast; }

// Advances the state one step; the keystream byte for a character is the new state mod 255.
constexpr uint16_t advance(uint16_t s) {
    return static_cast<uint16_t>(s * kMultiplier + kIncrement);
}

constexpr uint8_t key_byte(uint16_t s) { return static_cast<uint8_t>(s % 255); }

}  // namespace keystream
