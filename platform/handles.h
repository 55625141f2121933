// The handle registry: a name for every handle the program set up, opened, created or closed.
#pragma once

#include <cstdint>

#include "platform/win_api.h"

// Longest name stored for a handle, without its NUL; callers of handle_name give
// kHandleNameSize bytes.
inline constexpr int32_t kHandleNameMax = 261;
inline constexpr int32_t kHandleNameSize = kHandleNameMax + 1;

// Records name (decoded first, cut to 261 characters) for handle in the next free of the 100
// slots; when all are taken the registration is dropped silently.
void register_handle_name(HANDLE handle, const char* name);

// Copies the most recent name recorded for handle into out (kHandleNameSize bytes), or makes
// out empty when the handle was never registered.
void handle_name(HANDLE handle, char* out);
