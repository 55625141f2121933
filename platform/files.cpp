// Files: exclusive opening and creation with the names registered, closing, moving and
// deleting by name, and the 64 KiB line reader.
#include "platform/files.h"

#include "literals.h"
#include "platform/handles.h"
#include "platform/output.h"
#include "platform/process.h"
#include "text/text.h"

int32_t create_fails_hard = 1;
int32_t read_fails_hard = 1;

namespace {

DWORD access_rights(uint32_t mode) {
    switch (mode) {
        case 0: return GENERIC_READ;
        case 1: return GENERIC_WRITE;
        case 2: return GENERIC_READ | GENERIC_WRITE;
        default: return mode;
    }
}

// Share mode 0: while the program holds a file, nobody else can open it, and a file held
// elsewhere cannot be opened here.
HANDLE open_exclusive(const char* name, DWORD rights, DWORD disposition) {
    return CreateFileA(name, rights, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The longest file name (the part after the last separator) that the common file systems
// take. Not every system says so when a name is longer: some report the file as not found.
constexpr int32_t kLongestFileName = 255;

// The codes with which the systems refuse a name for its length: the name exceeds the range
// or is invalid (a name made of an existing file's name and plain ASCII can be invalid only
// by its length).
const DWORD kNameTooLongErrors[] = {ERROR_FILENAME_EXCED_RANGE, ERROR_INVALID_NAME};

int32_t file_name_length(const char* name) {
    int32_t length = 0;
    for (const char* p = name; *p != 0; ++p) length = (*p == '\\' || *p == '/') ? 0 : length + 1;
    return length;
}

// Whether the creation of name that just failed was refused for the name's length.
bool refused_for_length(const char* name) {
    DWORD error = GetLastError();
    for (DWORD code : kNameTooLongErrors)
        if (code == error) return true;
    return file_name_length(name) > kLongestFileName;
}

// Refills the buffer with one whole 64 KiB request; false at end of input or after a failed
// read.
bool refill(LineReader* reader) {
    reader->cursor = 0;
    reader->fill = read_raw(reader->handle, reader->buffer, kReaderBufferSize);
    return reader->fill > 0;
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
        if (create_fails_hard == 1) {
            create_fails_hard = 0;
            fatal_error(kCreateFailedFmt, name);
        }
        return 1;
    }
    register_handle_name(*handle_out, name);
    return 0;
}

int32_t create_new_file(const char* name, HANDLE* handle_out) {
    decode_literal(name);
    *handle_out = open_exclusive(name, GENERIC_WRITE, CREATE_NEW);
    if (*handle_out == INVALID_HANDLE_VALUE) return refused_for_length(name) ? kNameTooLong : 1;
    register_handle_name(*handle_out, name);
    return 0;
}

int32_t check_replaceable(const char* name) {
    decode_literal(name);
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return 1;
    if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) return 0;
    // A file held open without sharing cannot be replaced; a short exclusive open finds it.
    HANDLE probe = open_exclusive(name, GENERIC_READ, OPEN_EXISTING);
    if (probe == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(probe);
    return 0;
}

int32_t move_file(const char* from, const char* to) {
    decode_literal(from);
    decode_literal(to);
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
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

int32_t reader_init(LineReader* reader, HANDLE handle) {
    reader->handle = handle;
    reader->fill = 0;
    reader->cursor = 0;
    return 0;
}

// Serves from the buffer first and refills it with whole 64 KiB requests only when it is used
// up and more bytes are wanted.
int32_t reader_read(LineReader* reader, void* destination, int32_t count) {
    char* out = static_cast<char*>(destination);
    int32_t delivered = 0;
    while (count > 0) {
        int32_t n = reader->fill - reader->cursor;
        if (n > count) n = count;
        if (n > 0) {
            move_bytes(reader->buffer + reader->cursor, out + delivered, n);
            reader->cursor += n;
            delivered += n;
            count -= n;
        }
        if (count == 0 || !refill(reader)) break;
    }
    return delivered;
}

// Takes the bytes straight from the buffer, as reader_read would one at a time, without a call
// per byte.
int32_t read_line(LineReader* reader, char* line, int32_t size) {
    if (size <= 0) return 0;
    if (size == 1) {
        line[0] = 0;
        return 0;
    }
    int32_t stored = 0;
    for (;;) {
        if (reader->cursor >= reader->fill && !refill(reader)) {
            if (stored == 0) return -1;
            break;
        }
        char byte = reader->buffer[reader->cursor++];
        if (byte == '\n') break;
        if (byte == '\r') continue;
        line[stored++] = byte;
        if (stored == size - 1) break;
    }
    line[stored] = 0;
    return stored;
}

int32_t read_raw(HANDLE handle, void* destination, int32_t count) {
    if (handle == 0) {
        message_box_print(nullptr, kNoHandleBoxType, kNoHandleReadCaptionText, kNoHandleReadFmt,
                          count);
        return 0;
    }
    DWORD read_count = 0;
    BOOL read = ReadFile(handle, destination, static_cast<DWORD>(count), &read_count, nullptr);
    // A failed read is no end of input: reports made from the bytes before it would lack the
    // rest of the log without a word, so the first one is fatal.
    if (!read && read_fails_hard == 1) {
        read_fails_hard = 0;
        char name[kHandleNameSize];
        handle_name(handle, name);
        fatal_error(kReadFailedFmt, name);
    }
    return static_cast<int32_t>(read_count);
}
