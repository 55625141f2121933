// The keystream that scrambles literal texts: shared by the build-time encoder and the decoder.
#pragma once

#include <cstdint>

namespace keystream {

inline constexpr uint16_t kSeed = 0x4C54;
inline constexpr uint8_t kMultiplier = 0xA5;
inline constexpr uint8_t kIncrement = 0x3B;

// Advances the state one step; the keystream byte for a character is the new state mod 255.
constexpr uint16_t advance(uint16_t s) {
    return static_cast<uint16_t>(s * kMultiplier + kIncrement);
}

constexpr uint8_t key_byte(uint16_t s) { return static_cast<uint8_t>(s % 255); }

}  // namespace keystream
