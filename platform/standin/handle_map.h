// How the stand-in turns descriptors into handle values and back.
#pragma once

#include <cstdint>

#include "platform/standin/win_standin.h"

namespace standin {

// The handle value of descriptor fd: (fd + 1) * 4, never 0 and never INVALID_HANDLE_VALUE.
inline HANDLE handle_of(int fd) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd + 1) * 4);
}

// The descriptor of handle, or -1 for a value no descriptor maps to (0, -1, misaligned).
inline int fd_of(HANDLE handle) {
    intptr_t value = reinterpret_cast<intptr_t>(handle);
    if (value <= 0 || value % 4 != 0 || value / 4 - 1 > INT32_MAX) return -1;
    return static_cast<int>(value / 4 - 1);
}

}  // namespace standin
