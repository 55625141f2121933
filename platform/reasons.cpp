// The table of system error codes and the words shown for them.
#include "platform/reasons.h"

#include "literals.h"
#include "text/format.h"
#include "text/text.h"

namespace {

struct Reason {
    uint32_t code;
    const char* text;
};

const Reason kReasons[] = {
    {2, kReasonFileMissingText},   // ERROR_FILE_NOT_FOUND
    {3, kReasonFolderMissingText}, // ERROR_PATH_NOT_FOUND
    {5, kReasonDeniedText},        // ERROR_ACCESS_DENIED
    {32, kReasonInUseText},        // ERROR_SHARING_VIOLATION
    {33, kReasonInUseText},        // ERROR_LOCK_VIOLATION
    {39, kReasonDiskFullText},     // ERROR_HANDLE_DISK_FULL
    {80, kReasonExistsText},       // ERROR_FILE_EXISTS
    {109, kReasonPipeClosedText},  // ERROR_BROKEN_PIPE
    {112, kReasonDiskFullText},    // ERROR_DISK_FULL
    {123, kReasonBadNameText},     // ERROR_INVALID_NAME
    {183, kReasonExistsText},      // ERROR_ALREADY_EXISTS
    {232, kReasonPipeClosedText},  // ERROR_NO_DATA: the reader closed its end
    {233, kReasonPipeClosedText},  // ERROR_PIPE_NOT_CONNECTED
    {kErrorIsFolder, kReasonFolderText},
    {kErrorIsTheLog, kReasonIsTheLogText},
    {kErrorNotAFile, kReasonNotAFileText},
};

}  // namespace

const char* system_reason(uint32_t code, char* buffer) {
    for (const Reason& reason : kReasons)
        if (reason.code == code) return decode_literal(reason.text);
    format_into(buffer, kReasonSize, kReasonOtherFmt, code);
    return buffer;
}

uint32_t file_error(const char* name) {
    uint32_t code = GetLastError();
    if (code != ERROR_ACCESS_DENIED) return code;
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return code;
    return kErrorIsFolder;
}
