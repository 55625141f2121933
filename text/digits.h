// The digit converters the formatter's number conversions write with.
#pragma once

#include <cstdint>

// Room every converter's dst must have: the longest converted value (64 binary digits), a
// sign and the NUL, with a margin.
inline constexpr int32_t kDigitRoom = 72;

// The 64-bit value given as low and high word, written most significant digit first with a
// NUL into dst (kDigitRoom bytes, owned by the caller); 0 gives "0".
void format_unsigned(uint32_t low, uint32_t high, char* dst);
void format_signed(uint32_t low, uint32_t high, char* dst);
void format_hex(uint32_t low, uint32_t high, char* dst);
void format_binary(uint32_t low, uint32_t high, char* dst);
