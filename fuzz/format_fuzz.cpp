// Fuzzes the formatter with arbitrary format texts and capacities over fixed argument words.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "text/format.h"

namespace {

const char kText[] = "text";
const char kEmpty[] = "";
const char kLong[] =
    "a longer argument text that is cut when the destination is small, 0123456789";
// Control characters, which %v shows in caret notation.
const char kControls[] = "a\x1b]0;t\x07\n\x7f\tb\x01";

// Only character codes and real texts: %s may take any word.
const uintptr_t kWords[] = {
    0, 1, 2, 5, 9, 10, 65, 255,
    reinterpret_cast<uintptr_t>(kText), reinterpret_cast<uintptr_t>(kEmpty),
    reinterpret_cast<uintptr_t>(kLong), 100, 3, 1, reinterpret_cast<uintptr_t>(kControls),
};

// Expands format into dst (capacity bytes, zero-filled, starting with a short text that %>
// can step over) and returns the length.
int32_t expand(char* dst, int32_t capacity, const std::string& format, int32_t prefix) {
    std::memset(dst, 0, capacity);
    std::memset(dst, 'p', prefix);
    return format_text(dst, capacity, format.c_str(),
                       FormatArgs{kWords, static_cast<int32_t>(sizeof kWords / sizeof *kWords)});
}

// Room for every expansion that is not cut; longer ones are only checked for their bounds.
constexpr int32_t kReferenceRoom = 1 << 14;
char reference[kReferenceRoom];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    int32_t capacity = 1 + (data[0] | (data[1] & 0x0F) << 8);
    std::string format(reinterpret_cast<const char*>(data) + 2, size - 2);
    format = format.c_str();
    int32_t prefix = capacity - 1 > 8 ? 8 : capacity - 1;
    // The destination holds capacity bytes, then guard bytes that must stay untouched.
    char* dst = new char[capacity + 16];
    std::memset(dst + capacity, 'G', 16);
    int32_t n = expand(dst, capacity, format, prefix);
    if (n < 0 || n > capacity - 1) abort();
    if (dst[n] != 0 || std::strlen(dst) != static_cast<size_t>(n)) abort();
    for (int i = 0; i < 16; ++i)
        if (dst[capacity + i] != 'G') abort();
    // A cut expansion is the start of the whole one.
    int32_t whole = expand(reference, kReferenceRoom, format, prefix);
    if (whole < kReferenceRoom - 1) {
        int32_t kept = whole < capacity - 1 ? whole : capacity - 1;
        if (n != kept || std::memcmp(dst, reference, kept) != 0) abort();
    }
    delete[] dst;
    return 0;
}
