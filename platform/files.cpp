// Files: exclusive opening and creation with the names registered, flushing, closing,
// comparing, moving and deleting by name.
#include "platform/files.h"

#include "literals.h"
#include "platform/fatal.h"
#include "platform/handles.h"
#include "platform/output.h"
#include "platform/reasons.h"
#include "text/bytes.h"
#include "text/text.h"

int32_t create_fails_hard = 1;

namespace {

DWORD access_rights(uint32_t mode) {
    switch (mode) {
        case kOpenRead: return GENERIC_READ;
        case kOpenWrite: return GENERIC_WRITE;
        case kOpenReadWrite: return GENERIC_READ | GENERIC_WRITE;
        default: return mode;
    }
}

// Share mode 0: while the program holds a file, nobody else can open it, and a file held
// elsewhere cannot be opened here.
HANDLE open_exclusive(const char* name, DWORD rights, DWORD disposition) {
    return CreateFileA(name, rights, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The longest file name (the part after the last separator) that the common file systems
// take.
constexpr int32_t kLongestFileName = 255;

// The codes with which the systems refuse a name for its length: the name exceeds the range
// or is invalid (a name made of an existing file's name and plain ASCII can be invalid only
// by its length).
const DWORD kNameTooLongErrors[] = {ERROR_FILENAME_EXCED_RANGE, ERROR_INVALID_NAME};

int32_t file_name_length(const char* name) {
    int32_t length = 0;
    for (const char* p = name; *p != 0; ++p) length = is_folder_separator(*p) ? 0 : length + 1;
    return length;
}

// Whether a failed look at a name says that nothing has it.
bool name_is_free(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

int32_t open_file(const char* name, uint32_t mode, HANDLE* handle_out) {
    DWORD rights = access_rights(mode);
    decode_literal(name);
    *handle_out = open_exclusive(name, rights, OPEN_EXISTING);
    if (*handle_out == INVALID_HANDLE_VALUE) return 1;
    register_handle_name(*handle_out, name);
    return 0;
}

int32_t create_file(const char* name, uint32_t extra_access, HANDLE* handle_out) {
    decode_literal(name);
    *handle_out = open_exclusive(name, extra_access | GENERIC_READ | GENERIC_WRITE,
                                 CREATE_ALWAYS);
    if (*handle_out == INVALID_HANDLE_VALUE) {
        uint32_t code = file_error(name);
        if (create_fails_hard == 1) {
            create_fails_hard = 0;
            char reason[kReasonSize];
            fatal_error(kCreateFailedFmt, name, system_reason(code, reason));
        }
        return 1;
    }
    register_handle_name(*handle_out, name);
    return 0;
}

// Not every system says so when a name is too long: some report the file as not found.
int32_t refused_for_length(const char* name) {
    DWORD error = GetLastError();
    for (DWORD code : kNameTooLongErrors)
        if (code == error) return 1;
    return file_name_length(name) > kLongestFileName;
}

int32_t create_new_file(const char* name, HANDLE* handle_out) {
    decode_literal(name);
    *handle_out = open_exclusive(name, GENERIC_WRITE, CREATE_NEW);
    if (*handle_out != INVALID_HANDLE_VALUE) {
        register_handle_name(*handle_out, name);
        return 0;
    }
    DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return kNameTaken;
    return refused_for_length(name) ? kNameTooLong : 1;
}

int32_t file_begins_with(const char* name, const char* head, int32_t length) {
    constexpr int32_t kLongestHead = 128;
    decode_literal(name);
    DWORD attributes = GetFileAttributesA(name);
    constexpr DWORD kNoFile =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    if (length > kLongestHead || attributes == INVALID_FILE_ATTRIBUTES || (attributes & kNoFile))
        return 0;
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    char bytes[kLongestHead];
    DWORD read_count = 0;
    bool disk = GetFileType(file) == FILE_TYPE_DISK;
    bool read = disk && ReadFile(file, bytes, static_cast<DWORD>(length), &read_count, nullptr);
    CloseHandle(file);
    if (!read || read_count != static_cast<DWORD>(length)) return 0;
    for (int32_t i = 0; i < length; ++i)
        if (bytes[i] != head[i]) return 0;
    return 1;
}

int32_t flush_file(HANDLE handle) { return FlushFileBuffers(handle) ? 0 : 1; }

// Access 0 asks for nothing a holder could deny, so the held log itself can be looked at.
int32_t same_file(const char* name, HANDLE handle) {
    decode_literal(name);
    HANDLE other = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (other == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION a, b;
    bool known = GetFileInformationByHandle(other, &a) && GetFileInformationByHandle(handle, &b);
    CloseHandle(other);
    return known && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

uint32_t check_replaceable(const char* name) {
    decode_literal(name);
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES && name_is_free(GetLastError())) return 0;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return kErrorIsFolder;
        if (attributes & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
        if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) return 0;
    }
    // A short exclusive open with delete access finds a file held open without sharing and one
    // the user may not delete; it shows too what a system that gives no attributes for a name
    // (Wine, for a FIFO) has there.
    HANDLE probe = open_exclusive(name, GENERIC_READ | DELETE, OPEN_EXISTING);
    if (probe == INVALID_HANDLE_VALUE) return file_error(name);
    DWORD type = GetFileType(probe);
    CloseHandle(probe);
    return type == FILE_TYPE_DISK ? 0 : kErrorNotAFile;
}

int32_t move_file(const char* from, const char* to) {
    decode_literal(from);
    decode_literal(to);
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

int32_t move_file_synced(const char* from, const char* to) {
    decode_literal(from);
    decode_literal(to);
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : 1;
}

int32_t delete_file(const char* name) {
    decode_literal(name);
    return DeleteFileA(name) ? 0 : 1;
}

int32_t close_file(HANDLE handle) {
    int32_t status = CloseHandle(handle) ? 0 : 1;
    register_handle_name(handle, kClosedNameText);
    return status;
}
