// The lock of a report set: a file beside the reports that one run at a time can hold, and
// that the system deletes when the process holding it ends, however it ends.
#pragma once

#include <cstdint>

#include "platform/win_api.h"

// What take_lock_file returns when another run held the lock for the whole wait.
inline constexpr int32_t kLockHeld = 4;

// Takes the lock file name: created empty, without sharing, deleted on close. An empty file
// of that name that nobody holds was left by a run the system could not clean up after (one
// killed natively, a power loss) and is taken over. Waits up to wait_ms for a run that holds
// it. Returns 0 with the handle registered under name; kLockHeld; kNameTooLong; kNameTaken
// when something else has the name (a folder, a link, a file with content); 1 for any other
// refusal with the system's error left for file_error. *handle_out is INVALID_HANDLE_VALUE
// on failure.
int32_t take_lock_file(const char* name, uint32_t wait_ms, HANDLE* handle_out);
