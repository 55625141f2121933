// Fuzzes parse_integer and parse_fixed against a simple independent model.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/words.h"

namespace {

bool blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool digit(char c) { return c >= '0' && c <= '9'; }

struct Model {
    int result;
    int64_t value;
    size_t end;
};

Model model_integer(const std::string& s) {
    size_t i = 0;
    while (blank(s[i])) ++i;
    bool negative = s[i] == '-';
    if (negative) ++i;
    size_t first = i;
    __int128 v = 0;
    for (; digit(s[i]); ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > (__int128)1 << 40) v = (__int128)1 << 40;  // stays out of range
    }
    if (i == first) return {2, 0, i};
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return {1, 0, i};
    return {0, (int64_t)v, i};
}

Model model_fixed(const std::string& s, int places) {
    size_t i = 0;
    while (blank(s[i])) ++i;
    bool negative = s[i] == '-';
    if (negative) ++i;
    std::string whole, fraction;
    for (; digit(s[i]); ++i) whole += s[i];
    if (s[i] == '.')
        for (++i; digit(s[i]); ++i) fraction += s[i];
    size_t digits = whole.size() + fraction.size();
    if (digits > 80) return {1, 0, i};
    if (digits == 0) return {2, 0, i};
    places = places < 0 ? 0 : places > 9 ? 9 : places;
    fraction += std::string(10, '0');
    std::string scaled = whole + fraction.substr(0, places);
    __int128 v = 0;
    for (char c : scaled) {
        v = v * 10 + (c - '0');
        if (v > (__int128)1 << 40) v = (__int128)1 << 40;
    }
    if (fraction[places] >= '5') v += 1;
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return {1, 0, i};
    return {0, (int64_t)v, i};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    int places = static_cast<int>(data[0] % 16) - 3;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    text = text.c_str();  // the parsers see a NUL-terminated text

    const char* end = nullptr;
    int32_t value = 0;
    Model want = model_integer(text);
    int got = parse_integer(text.c_str(), &end, &value);
    if (got != want.result) abort();
    if (got != 1 && (value != want.value || end != text.c_str() + want.end)) abort();

    // The line-storage readers must agree, digits in the bytes past the NUL notwithstanding.
    std::string line = text + '\0' + std::string(32, '7');
    LineNumber read = integer_in_line(line.c_str());
    if ((read.end != nullptr) != (got == 0)) abort();
    if (got == 0 && (read.value != value || read.end - line.c_str() != end - text.c_str()))
        abort();

    end = nullptr;
    int32_t tenths = 0;
    got = parse_fixed(text.c_str(), &end, 1, &tenths);
    read = tenths_in_line(line.c_str());
    if ((read.end != nullptr) != (got == 0)) abort();
    if (got == 0 && (read.value != tenths || read.end - line.c_str() != end - text.c_str()))
        abort();

    Model fixed = model_fixed(text, places);
    std::string number = text.substr(0, fixed.end);
    bool no_integer_digits = number.find_first_of("0123456789") == std::string::npos ||
                             !digit(number[number.find_first_not_of(" \t\n\v\f\r-")]);
    if (places <= 0 && no_integer_digits) return 0;  // left open: nothing but a fraction
    end = nullptr;
    got = parse_fixed(text.c_str(), &end, places, &value);
    if (end != text.c_str() + fixed.end) abort();
    if (got != fixed.result) abort();
    if (got == 0 && value != fixed.value) abort();
    return 0;
}
