// Process entry of logtally.exe, which runs without a C runtime, and the memory routines the
// compiler may call in its place.
#include <cstddef>

#include "app/program.h"

extern "C" {

void* memset(void* destination, int value, size_t count) {
    unsigned char* out = static_cast<unsigned char*>(destination);
    for (size_t i = 0; i < count; ++i) out[i] = static_cast<unsigned char>(value);
    return destination;
}

void* memmove(void* destination, const void* source, size_t count) {
    unsigned char* out = static_cast<unsigned char*>(destination);
    const unsigned char* in = static_cast<const unsigned char*>(source);
    if (out <= in) {
        for (size_t i = 0; i < count; ++i) out[i] = in[i];
    } else {
        for (size_t i = count; i > 0; --i) out[i - 1] = in[i - 1];
    }
    return destination;
}

void* memcpy(void* destination, const void* source, size_t count) {
    return memmove(destination, source, count);
}

// Windows enters with a stack aligned to 4 bytes only.
[[gnu::force_align_arg_pointer]] void logtally_start() { program_entry(); }

}  // extern "C"
