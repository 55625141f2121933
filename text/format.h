// The formatter: expands a format text with % directives into a bounded buffer.
//
// Arguments travel as an array of machine words. An integer of up to 32 bits or a text takes
// one word; a 64-bit value is passed as Wide and takes two words, low first, for a directive
// with the ~ modifier; a * width takes one word before its value. The formatter reads only
// the low 32 bits of a word for a 32-bit conversion.
//
// %v takes a text as %s does and writes it as the console is to show it (text/shown.h): every
// control character but TAB in caret notation, ^[ for ESC, ^J for LF, ^? for DEL. A precision
// bounds it ("%.1000v": at most 1000 characters); without one it takes at most 1023
// characters, or as many as the text has bytes when that is more. A caret pair is never split.
#pragma once

#include <cstdint>
#include <type_traits>

#include "text/text.h"

// A 64-bit argument for a directive with the ~ modifier.
struct Wide {
    uint64_t value;
    explicit Wide(uint64_t v) : value(v) {}
    explicit Wide(int64_t v) : value(static_cast<uint64_t>(v)) {}
};

// The argument words of one call; reading past count gives 0.
struct FormatArgs {
    const uintptr_t* words;
    int32_t count;
};

// Expands format with args into dst, which holds capacity bytes (capacity >= 1). Output that
// does not fit is cut; dst is always NUL-terminated. Returns the length of the text in dst
// from its start to that NUL (text stepped over by %> counts).
int32_t format_text(char* dst, int32_t capacity, const char* format, FormatArgs args);

namespace format_detail {

struct WordList {
    uintptr_t* words;
    int32_t count;
};

template <class T>
inline void put(WordList& list, T value) {
    if constexpr (std::is_same_v<T, Wide>) {
        list.words[list.count++] = static_cast<uint32_t>(value.value);
        list.words[list.count++] = static_cast<uint32_t>(value.value >> 32);
    } else if constexpr (std::is_same_v<T, TextArg>) {
        list.words[list.count++] = value.word;
    } else if constexpr (std::is_pointer_v<T>) {
        list.words[list.count++] = reinterpret_cast<uintptr_t>(value);
    } else {
        static_assert(std::is_integral_v<T> || std::is_enum_v<T>, "not a format argument");
        static_assert(sizeof(T) <= 4, "a 64-bit value goes as Wide under the ~ modifier");
        // A character is its unsigned byte: sign-extended, '\xE9' would be a word that %s
        // takes for a pointer.
        if constexpr (std::is_same_v<T, char> || std::is_same_v<T, signed char>)
            list.words[list.count++] = static_cast<uint8_t>(value);
        else if constexpr (std::is_signed_v<T>)
            list.words[list.count++] = static_cast<uintptr_t>(static_cast<intptr_t>(value));
        else
            list.words[list.count++] = static_cast<uintptr_t>(value);
    }
}

// Builds the word array of a call on the caller's stack and hands it to fn.
template <class Fn, class... A>
inline auto with_words(Fn fn, A... args) {
    uintptr_t words[2 * sizeof...(A) + 1];
    WordList list{words, 0};
    (put(list, args), ...);
    return fn(FormatArgs{words, list.count});
}

}  // namespace format_detail

// format_text with the arguments given directly.
template <class... A>
inline int32_t format_into(char* dst, int32_t capacity, const char* format, A... args) {
    return format_detail::with_words(
        [&](FormatArgs a) { return format_text(dst, capacity, format, a); }, args...);
}
