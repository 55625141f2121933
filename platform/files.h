// Files: open, create, flush and close with their names registered, comparing, moving and
// deleting by name.
#pragma once

#include <cstdint>

#include "platform/win_api.h"

extern int32_t create_fails_hard;  // one-shot switch, 1 until the first failed creation

// The modes of open_file; any other value is an access mask, taken as it stands.
inline constexpr uint32_t kOpenRead = 0;
inline constexpr uint32_t kOpenWrite = 1;
inline constexpr uint32_t kOpenReadWrite = 2;

// The extra access of create_file when reading and writing are all the caller needs.
inline constexpr uint32_t kNoExtraAccess = 0;

// Opens an existing file for mode kOpenRead, kOpenWrite or kOpenReadWrite (or an access mask),
// exclusively. Returns 0, or 1 with INVALID_HANDLE_VALUE in *handle_out and the system's
// error left for file_error (platform/reasons.h); prints nothing.
int32_t open_file(const char* name, uint32_t mode, HANDLE* handle_out);

// Creates or truncates a file for reading and writing (| extra_access), exclusively. The
// first failure of the process ends it with a fatal message ending with the system's reason;
// later ones return 1 with the system's error left for file_error.
int32_t create_file(const char* name, uint32_t extra_access, HANDLE* handle_out);

// What create_new_file returns when the system refused the name as too long, and when
// something has the name already.
inline constexpr int32_t kNameTooLong = 2;
inline constexpr int32_t kNameTaken = 3;

// Creates a file that must not exist yet, in any form (a link is never followed), for
// writing, exclusively. Returns 0 with the name registered; kNameTooLong, kNameTaken, or 1 for
// any other refusal (the folder denies it) with the system's error left for file_error; with
// INVALID_HANDLE_VALUE in *handle_out. Never fatal.
int32_t create_new_file(const char* name, HANDLE* handle_out);

// 1 when the creation of name that just failed (GetLastError) was refused for the name's
// length, or the name is longer than the common file systems take; else 0.
int32_t refused_for_length(const char* name);

// 1 when name is a regular file on a disk (not a link, folder or device) whose first
// length bytes are head; 0 otherwise or when it cannot be read. Prints nothing, never fatal.
int32_t file_begins_with(const char* name, const char* head, int32_t length);

// Hands what was written to handle to the disk (FlushFileBuffers); 0, or 1 with the
// system's error left for GetLastError.
int32_t flush_file(HANDLE handle);

// 1 when name, a link followed, is the very file that handle is open on; 0 when it is
// another, or nothing, or cannot be looked at. Holds no lock: it works while the file is held.
int32_t same_file(const char* name, HANDLE handle);

// 0 when nothing has that name or what has it can be replaced by move_file now; else the
// reason's code (platform/reasons.h): a folder, a read-only file, a file that another
// program holds or that the user may not delete, and anything that is no file on a disk
// where the system will not replace it (a FIFO or device under Wine). A link, and natively a
// FIFO or device, is replaced as a name and is never opened here.
uint32_t check_replaceable(const char* name);

// Moves the file from over the name to, replacing what has that name (a link as a link).
// Returns 0, or 1 with nothing moved.
int32_t move_file(const char* from, const char* to);

// As move_file, and the move is on the disk when it returns (its folder is synced).
int32_t move_file_synced(const char* from, const char* to);

// Deletes the file (a link itself, not what it points at); 1 when that failed.
int32_t delete_file(const char* name);

// Closes handle and registers it as closed; 1 when the close failed.
int32_t close_file(HANDLE handle);
