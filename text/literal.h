// Scrambled literals: the decoder that makes a literal plain in place on its first use.
#pragma once

#include <cstdint>

#include "text/keystream.h"

// The out-of-line part of decode_literal for a text whose first byte is a marker: decodes it
// in place when it lies in the literal pool; returns t.
const char* decode_marked_text(const char* t);

// Decodes a scrambled literal in place on its first use and returns t. Values 1..255 and
// every text outside the literal pool come back unchanged and untouched. A pool text whose
// marker disagrees with its check value is left as it is and used unchanged. t must not be
// null. Every text passes here, so the common case, a plain first byte, costs no call.
inline const char* decode_literal(const char* t) {
    if (reinterpret_cast<uintptr_t>(t) <= 255) return t;
    uint8_t first = static_cast<uint8_t>(*t);
    return keystream::is_marker(first) ? decode_marked_text(t) : t;
}

// Unscrambles a text in the stored form (marker, scrambled bytes, NUL) in place, wherever it
// lies. Returns 0 when decoded, 1 when the check failed (nothing written), 2 when the text
// carries no marker or is one character long (nothing written). Only decode_literal and the
// tests call it.
int32_t unscramble_text(char* t);
