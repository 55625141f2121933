// The texts the tests expect and read back: literals in plain form, formats expanded as the
// program's writers put them out, whole files.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "text/format.h"
#include "text/text.h"

// The plain text of a literal (decoded in place, as the program does).
inline std::string plain(const char* literal) { return decode_literal(literal); }

// text as it reaches a handle: every LF written as CR LF.
inline std::string with_crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// The expansion of a format, as the writers produce it before LF translation.
template <class... A>
std::string formatted(const char* format, A... args) {
    char buffer[4096];
    int32_t length = format_into(buffer, sizeof buffer, format, args...);
    return std::string(buffer, length);
}

// The expansion of a format as it reaches a handle, LF as CR LF.
template <class... A>
std::string expanded(const char* format, A... args) {
    return with_crlf(formatted(format, args...));
}

// The whole content of a file; empty when it cannot be read.
inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
