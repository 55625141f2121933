// The system's reason for a failed file call, in words a user can act on.
//
// A message about a file that could not be opened, created, read, written, moved or deleted
// ends with ": %s" and takes system_reason(code, buffer) as its last argument, the code taken
// with GetLastError() (or file_error for an open or a create) right after the failing call.
#pragma once

#include <cstdint>

#include "platform/win_api.h"

// The code of "it is a folder": Windows reports a folder opened as a file as access denied,
// which file_error refines to this one (ERROR_DIRECTORY_NOT_SUPPORTED).
inline constexpr uint32_t kErrorIsFolder = 336;

// Codes of the program's own (bit 29 set: never one of the system's): a report name that is
// the log itself, and a name that holds no file on a disk where the system wants one.
inline constexpr uint32_t kErrorIsTheLog = 0x20000001;
inline constexpr uint32_t kErrorNotAFile = 0x20000002;

// Room for the longest reason, "system error 4294967295", and its NUL.
inline constexpr int32_t kReasonSize = 24;

// The reason for code: a decoded literal of the table, or "system error N" formatted into
// buffer (kReasonSize bytes, owned by the caller). Never null.
const char* system_reason(uint32_t code, char* buffer);

// GetLastError() after a failed open or create of name, with access denied on a folder turned
// into kErrorIsFolder. Call it before any other system call.
uint32_t file_error(const char* name);
