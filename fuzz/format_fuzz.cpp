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

// Only character codes and real texts: %s may take any word.
const uintptr_t kWords[] = {
    0, 1, 2, 5, 9, 10, 65, 255,
    reinterpret_cast<uintptr_t>(kText), reinterpret_cast<uintptr_t>(kEmpty),
    reinterpret_cast<uintptr_t>(kLong), 100, 3, 1,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    int32_t capacity = 1 + (data[0] | (data[1] & 0x0F) << 8);
    std::string format(reinterpret_cast<const char*>(data) + 2, size - 2);
    format = format.c_str();
    // The destination holds capacity bytes and the prefix that %> steps over.
    char* dst = new char[capacity + 16];
    std::memset(dst, 'p', capacity - 1 > 8 ? 8 : capacity - 1);
    std::memset(dst + (capacity - 1 > 8 ? 8 : capacity - 1), 0, 1);
    std::memset(dst + capacity, 'G', 16);
    int32_t n = format_text(dst, capacity, format.c_str(),
                            FormatArgs{kWords, static_cast<int32_t>(sizeof kWords / sizeof *kWords)});
    if (n < 0 || n > capacity - 1) abort();
    if (dst[n] != 0 || std::strlen(dst) != static_cast<size_t>(n)) abort();
    for (int i = 0; i < 16; ++i)
        if (dst[capacity + i] != 'G') abort();
    delete[] dst;
    return 0;
}
