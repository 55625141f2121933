// The reference's line reader: 64 KiB ReadFile requests, one byte at a time into the line.
#include "literals.h"
#include "platform/fatal.h"
#include "platform/handles.h"
#include "platform/output.h"
#include "platform/reasons.h"
#include "tests/oracle/oracle.h"

namespace oracle {

namespace {

int32_t read_fails_hard = 1;

bool refill(LineReader* reader) {
    reader->cursor = 0;
    reader->fill = read_raw(reader->handle, reader->buffer, kReaderBufferSize);
    return reader->fill > 0;
}

}  // namespace

int32_t reader_init(LineReader* reader, HANDLE handle) {
    reader->handle = handle;
    reader->fill = 0;
    reader->cursor = 0;
    return 0;
}

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

// LF ends the line, CR is dropped wherever it stands, any other byte (NUL too) is stored; a
// line that fills size - 1 bytes ends there and its rest is the next line.
int32_t read_line(LineReader* reader, char* line, int32_t size) {
    if (size <= 0) return 0;
    if (size == 1) {
        line[0] = 0;
        return 0;
    }
    int32_t stored = 0;
    for (;;) {
        char byte;
        if (reader_read(reader, &byte, 1) == 0) {
            if (stored == 0) return -1;
            break;
        }
        if (byte == '\n') break;
        if (byte == '\r') continue;
        line[stored++] = byte;
        if (stored == size - 1) break;
    }
    line[stored] = 0;
    return stored;
}

// After a line that filled its buffer: true when the same line goes on, that is when a byte
// other than CR and LF comes before its LF or the end of input. The CRs skipped on the way
// would be dropped by the next read anyway.
bool line_goes_on(LineReader* reader) {
    for (;;) {
        if (reader->cursor >= reader->fill && !refill(reader)) return false;
        char byte = reader->buffer[reader->cursor];
        if (byte != '\r') return byte != '\n';
        reader->cursor += 1;
    }
}

// A null handle shows a message box and reads nothing; the first failed read is fatal.
int32_t read_raw(HANDLE handle, void* destination, int32_t count) {
    if (handle == 0) {
        message_box_print(nullptr, kNoHandleBoxType, kNoHandleReadCaptionText, kNoHandleReadFmt,
                          count);
        return 0;
    }
    DWORD read_count = 0;
    BOOL read = ReadFile(handle, destination, static_cast<DWORD>(count), &read_count, nullptr);
    if (!read && read_fails_hard == 1) {
        uint32_t code = GetLastError();
        read_fails_hard = 0;
        char name[kHandleNameSize];
        handle_name(handle, name);
        char reason[kReasonSize];
        fatal_error(kReadFailedFmt, name, system_reason(code, reason));
    }
    return static_cast<int32_t>(read_count);
}

}  // namespace oracle
