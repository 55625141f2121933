// How the stand-in turns errno into the Windows error code GetLastError gives.
#pragma once

#include "platform/standin/win_standin.h"

namespace standin {

// The Windows code for err; path, when given, is the file the failed call named, which tells
// a missing file (2) from a missing folder (3).
DWORD error_code_of(int err, const char* path);

// SetLastError(error_code_of(err, path)); returns false, for a failing call to pass on.
bool fail_with(int err, const char* path = nullptr);

}  // namespace standin
