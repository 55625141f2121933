// The line reader: whole 64 KiB reads, lines handed out in place where they can be, and the
// byte-by-byte way for every other line.
#include "platform/reader.h"

#include "literals.h"
#include "platform/fatal.h"
#include "platform/handles.h"
#include "platform/output.h"
#include "platform/reasons.h"
#include "text/bytes.h"
#include "text/text.h"

int32_t read_fails_hard = 1;

namespace {

bool inside(const char* p, const char* storage, int32_t size) {
    return p >= storage && p < storage + size;
}

// The line ends and the dropped byte: what ends a run of characters that read_line moves
// out of the buffer in one piece. Set up by reader_init.
ByteSet line_breaks;

void keep_pinned_line(LineReader* reader, LinePin* pin) {
    if (!pin || !pin->text || !inside(pin->text, reader->buffer, sizeof reader->buffer)) return;
    pin_line_copy(pin, pin->text, text_length(pin->text));
}

// Whether more of a line follows a full line buffer: the next byte but CR is not its LF and
// input is left. The CRs skipped on the way would be dropped by the next read anyway.
int32_t line_goes_on(LineReader* reader, LinePin* pin) {
    for (;;) {
        if (reader->cursor >= reader->fill && !reader_refill(reader, pin)) return 0;
        char next = reader->buffer[reader->cursor];
        if (next != kDroppedByte) return next != kLineEnd;
        reader->cursor += 1;
    }
}

// read_line with the pin kept across refills.
int32_t read_pinned_line(LineReader* reader, LinePin* pin, char* line, int32_t size) {
    if (size <= 0) return 0;
    if (size == 1) {
        line[0] = 0;
        return 0;
    }
    int32_t stored = 0;
    while (stored < size - 1) {
        if (reader->cursor >= reader->fill && !reader_refill(reader, pin)) {
            if (stored == 0) return -1;
            break;
        }
        const char* from = reader->buffer + reader->cursor;
        int32_t reach = reader->fill - reader->cursor;
        if (reach > size - 1 - stored) reach = size - 1 - stored;
        const char* stop = find_in_set<2>(from, reach, line_breaks);
        int32_t run = stop ? static_cast<int32_t>(stop - from) : reach;
        copy_bytes(line + stored, from, run);
        stored += run;
        reader->cursor += run;
        if (!stop) continue;
        reader->cursor += 1;
        if (*stop == kLineEnd) break;
    }
    line[stored] = 0;
    return stored;
}

}  // namespace

int32_t reader_init(LineReader* reader, HANDLE handle) {
    reader->handle = handle;
    reader->fill = 0;
    reader->cursor = 0;
    reader->refills = 0;
    line_breaks = byte_set(kLineStops, 2);
    return 0;
}

bool reader_refill(LineReader* reader, LinePin* pin) {
    keep_pinned_line(reader, pin);
    reader->cursor = 0;
    reader->fill = read_raw(reader->handle, reader->buffer, kReaderBufferSize);
    reader->refills += 1;
    if (reader->fill > 0) return true;
    reader->fill = 0;
    return false;
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
        if (count == 0 || !reader_refill(reader, nullptr)) break;
    }
    return delivered;
}

// Moves whole runs between line breaks out of the buffer: the same bytes as taking one byte at
// a time, storing all but CR and stopping after LF or at size - 1 stored characters.
int32_t read_line(LineReader* reader, char* line, int32_t size) {
    return read_pinned_line(reader, nullptr, line, size);
}

int32_t read_line_assembled(LineReader* reader, LinePin* pin, LineView* line) {
    int32_t stored = read_pinned_line(reader, pin, reader->assembled, kLineSize);
    if (stored == -1) return -1;
    line->text = reader->assembled;
    line->length = text_length(reader->assembled);
    line->cut = stored == kLineCut ? line_goes_on(reader, pin) : 0;
    return 0;
}

void pin_line_copy(LinePin* pin, const char* text, int32_t length) {
    // The line's storage reaches whole blocks past its NUL, and so does the copy.
    copy_blocks(pin->copy, text, length + 1);
    pin->text = pin->copy;
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
        uint32_t code = GetLastError();
        read_fails_hard = 0;
        char name[kHandleNameSize];
        handle_name(handle, name);
        char reason[kReasonSize];
        fatal_error(kReadFailedFmt, name, system_reason(code, reason));
    }
    return static_cast<int32_t>(read_count);
}
