// The run lock: creation without sharing and with deletion on close, the take-over of a lock
// left behind, and the bounded wait for another run.
#include "platform/run_lock.h"

#include "platform/files.h"
#include "platform/handles.h"
#include "text/text.h"

namespace {

constexpr uint32_t kRetryMs = 50;

// A lock left behind may vanish or be taken by another run while it is looked at; each of
// those sends the look back to the start, a few times at most.
constexpr int32_t kLooksPerTry = 4;
constexpr int32_t kLookAgain = -1;

HANDLE open_lock(const char* name, DWORD disposition) {
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

// What a failed open of an existing lock name means.
int32_t open_failure() {
    DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION) return kLockHeld;
    if (error == ERROR_FILE_NOT_FOUND) return kLookAgain;
    return 1;
}

// The name is taken: by a run that holds it, by an empty lock left behind, or by something
// that is no lock of ours and is never opened to be deleted.
int32_t take_left_lock(const char* name, HANDLE* handle_out) {
    // A name the system gives no attributes for is no file of ours (Wine: a FIFO).
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? kLookAgain : kNameTaken;
    constexpr DWORD kNoFile =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    if (attributes & kNoFile) return kNameTaken;
    HANDLE probe = CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return open_failure();
    BY_HANDLE_FILE_INFORMATION info;
    bool empty = GetFileInformationByHandle(probe, &info) &&
                 GetFileType(probe) == FILE_TYPE_DISK && info.nFileSizeHigh == 0 &&
                 info.nFileSizeLow == 0;
    CloseHandle(probe);
    if (!empty) return kNameTaken;
    *handle_out = open_lock(name, OPEN_EXISTING);
    return *handle_out != INVALID_HANDLE_VALUE ? 0 : open_failure();
}

int32_t try_lock(const char* name, HANDLE* handle_out) {
    for (int32_t look = 0; look < kLooksPerTry; ++look) {
        *handle_out = open_lock(name, CREATE_NEW);
        if (*handle_out != INVALID_HANDLE_VALUE) return 0;
        DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION) return kLockHeld;
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return refused_for_length(name) ? kNameTooLong : 1;
        int32_t status = take_left_lock(name, handle_out);
        if (status != kLookAgain) return status;
    }
    return kLockHeld;
}

}  // namespace

int32_t take_lock_file(const char* name, uint32_t wait_ms, HANDLE* handle_out) {
    decode_literal(name);
    int32_t status = try_lock(name, handle_out);
    for (uint32_t waited = 0; status == kLockHeld && waited < wait_ms; waited += kRetryMs) {
        Sleep(kRetryMs);
        status = try_lock(name, handle_out);
    }
    if (status == 0) register_handle_name(*handle_out, name);
    else *handle_out = INVALID_HANDLE_VALUE;
    return status;
}
