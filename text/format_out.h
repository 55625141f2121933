// The formatter's bounded writer: the text goes into a destination of fixed room, and what
// does not fit is counted as if it had been written, then dropped.
//
// The writer keeps the logical position of the text as if the destination were unbounded, so
// huge widths and decimals cost only the room that is really there, and the result is the
// unbounded text cut to the room less its NUL. Only text/format.cpp uses it.
#pragma once

#include <cstdint>

#include "text/shown.h"

namespace format_out {

// Far above any text a format can describe; keeps the logical position from overflowing.
inline constexpr int64_t kLogicalLimit = int64_t(1) << 62;

// Blanks and tabs are what %w trims.
inline bool is_trimmed(char c) { return c == ' ' || c == '\t'; }

inline int64_t min64(int64_t a, int64_t b) { return a < b ? a : b; }

inline int64_t trailing_trimmed(const char* t, int64_t n) {
    int64_t k = 0;
    while (k < n && is_trimmed(t[n - 1 - k])) ++k;
    return k;
}

// The bounded writer. Bytes at logical positions from `last` on are dropped; `last` itself is
// kept for the NUL.
struct Out {
    char* dst;
    int64_t last;
    int64_t pos;  // logical end of the text
    int64_t run;  // blanks and tabs at the logical end of the text

    int64_t room() const { return pos < last ? last - pos : 0; }

    void advance(int64_t n, int64_t trimmed) {
        pos = min64(pos + n, kLogicalLimit);
        run = trimmed == n ? min64(run + n, pos) : trimmed;
    }

    void put_copies(char c, int64_t n) {
        if (n <= 0) return;
        int64_t kept = min64(n, room());
        for (int64_t i = 0; i < kept; ++i) dst[pos + i] = c;
        advance(n, is_trimmed(c) ? n : 0);
    }

    void put_text(const char* t, int64_t n) {
        if (n <= 0) return;
        int64_t kept = min64(n, room());
        for (int64_t i = 0; i < kept; ++i) dst[pos + i] = t[i];
        advance(n, trailing_trimmed(t, n));
    }

    void put(char c) { put_copies(c, 1); }

    // A conversion leaves its text NUL-terminated, so a following %> finds nothing to step over.
    void mark_end() {
        if (pos <= last) dst[pos] = 0;
    }
};

// %>: steps over the text already standing at the output position, never past `last`. Text
// that goes on beyond the destination cannot be seen; it counts as one more character that is
// no blank, so %w never trims back into it.
inline void step_over(Out& out) {
    if (out.pos > out.last) return;
    int64_t end = out.pos;
    while (end < out.last && out.dst[end] != 0) ++end;
    int64_t n = end - out.pos;
    out.advance(n, trailing_trimmed(out.dst + out.pos, n));
    if (out.dst[end] != 0) out.advance(1, 0);
}

// %w: ends the text and removes its trailing blanks and tabs, those before a %> included.
inline void trim_end(Out& out) {
    int64_t end = out.pos - out.run;
    int64_t stop = min64(out.pos, out.last);
    for (int64_t i = end; i <= stop; ++i) out.dst[i] = 0;
    out.pos = end;
    out.run = 0;
}

// Ends the text with a NUL at the cut and returns the length that stands in the destination.
inline int32_t finish(Out& out) {
    int64_t end = min64(out.pos, out.last);
    out.dst[end] = 0;
    return static_cast<int32_t>(end);
}

// Writes the first `taken` bytes of t as the console shows them: each control character as
// '^' and its letter (see shown.h).
inline void put_shown(Out& out, const char* t, int64_t taken) {
    int64_t from = 0;
    for (int64_t i = 0; i < taken; ++i) {
        char letter = caret_letter(static_cast<uint8_t>(t[i]));
        if (!letter) continue;
        out.put_text(t + from, i - from);
        out.put('^');
        out.put(letter);
        from = i + 1;
    }
    out.put_text(t + from, taken - from);
}

}  // namespace format_out
