// The digit converters: a 64-bit value in decimal, hex or binary, each built backwards at the
// end of a scratch area and copied out.
#include "text/digits.h"

#include "literals.h"
#include "text/text.h"

namespace {

uint64_t join(uint32_t low, uint32_t high) { return (static_cast<uint64_t>(high) << 32) | low; }

// Digits of v in base 2^shift, taken from `digits`; returns the first digit's position.
char* power_of_two_digits(uint64_t v, int32_t shift, const char* digits, char* end) {
    uint64_t mask = (uint64_t(1) << shift) - 1;
    *--end = 0;
    do {
        *--end = digits[v & mask];
        v >>= shift;
    } while (v != 0);
    return end;
}

}  // namespace

void format_unsigned(uint32_t low, uint32_t high, char* dst) {
    char scratch[kDigitRoom];
    char* p = scratch + kDigitRoom;
    *--p = 0;
    uint64_t v = join(low, high);
    // 64-bit division is a library call on a 32-bit processor: the digits below 2^32 are
    // taken with 32-bit arithmetic.
    while (v > 0xFFFFFFFFu) {
        *--p = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    uint32_t small = static_cast<uint32_t>(v);
    do {
        *--p = static_cast<char>('0' + small % 10);
        small /= 10;
    } while (small != 0);
    text_copy(dst, p);
}

// Works on the value made non-positive, so the most negative value needs no positive twin.
void format_signed(uint32_t low, uint32_t high, char* dst) {
    char scratch[kDigitRoom];
    char* p = scratch + kDigitRoom;
    *--p = 0;
    int64_t v = static_cast<int64_t>(join(low, high));
    if (v < 0)
        *dst++ = '-';
    else
        v = -v;
    do {
        int64_t q = v / 10;
        *--p = static_cast<char>('0' + (q * 10 - v));
        v = q;
    } while (v != 0);
    text_copy(dst, p);
}

void format_hex(uint32_t low, uint32_t high, char* dst) {
    char scratch[kDigitRoom];
    text_copy(dst, power_of_two_digits(join(low, high), 4, decode_literal(kHexDigitsText),
                                       scratch + kDigitRoom));
}

void format_binary(uint32_t low, uint32_t high, char* dst) {
    char scratch[kDigitRoom];
    text_copy(dst, power_of_two_digits(join(low, high), 1, "01", scratch + kDigitRoom));
}
