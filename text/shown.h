// How the console shows a text it quotes (a log line, a path): every control character but
// TAB in caret notation, so that a log can neither steer the terminal nor forge a line.
#pragma once

#include <cstdint>

// The letter written after '^' in place of byte c: '@'..'_' for 0x00..0x1F ('[' for ESC, 'J'
// for LF), '?' for DEL (0x7F); 0 for a byte shown as it is (TAB, printable and high bytes).
inline char caret_letter(uint8_t c) {
    if (c == '\t') return 0;
    if (c < 0x20) return static_cast<char>(c + 0x40);
    return c == 0x7F ? '?' : 0;
}

// The number of bytes of t (NUL-terminated) whose shown form fits in limit characters, a
// caret pair never split; *shown gets the length of that form.
inline int64_t shown_prefix(const char* t, int64_t limit, int64_t* shown) {
    int64_t bytes = 0, characters = 0;
    for (; t[bytes] != 0; ++bytes) {
        int64_t width = caret_letter(static_cast<uint8_t>(t[bytes])) ? 2 : 1;
        if (characters + width > limit) break;
        characters += width;
    }
    *shown = characters;
    return bytes;
}
