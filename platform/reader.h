// The line reader: a 64 KiB buffer over a file, what ends a line, and where a long line is cut.
#pragma once

#include <cstdint>

#include "platform/win_api.h"
#include "text/limits.h"

inline constexpr int32_t kReaderBufferSize = 65536;

extern int32_t read_fails_hard;  // one-shot switch, 1 until the first failed read

// What ends a line, and the byte dropped wherever it stands; every other byte, NUL included,
// is stored. A NUL ends the line's text for every later step. A line is cut after kLineCut
// stored characters: the rest, its line end included, comes as the next line.
inline constexpr char kLineEnd = '\n';
inline constexpr char kDroppedByte = '\r';
inline constexpr int32_t kLineCut = kLineSize - 1;
// The bytes that keep a line from being handed out where it lies in the buffer (apart from a
// CR right before the LF): a line scanner looks for exactly these.
inline constexpr char kLineStops[] = {kLineEnd, kDroppedByte, '\0'};

// A 64 KiB read buffer on a handle, owned by the caller.
struct LineReader {
    HANDLE handle;
    int32_t fill;      // valid bytes in buffer
    int32_t cursor;    // next byte to deliver
    uint32_t refills;  // buffers read so far: a new value means new bytes in buffer
    char assembled[kLineBufferSize];  // the last line that could not be handed out in place
    alignas(16) char buffer[kReaderBufferSize + kSearchSlack];
};

// One line handed out: NUL-terminated, without its line end and its CRs, with kSearchSlack
// bytes of storage after the NUL.
struct LineView {
    char* text;      // in the reader's buffer or its assembled line: valid until the next read
    int32_t length;  // characters before the first NUL
    int32_t cut;     // 1 when the line had more characters than fit: they come as the next line
};

// A line the caller needs after later reads, owned by the caller: before a refill overwrites
// the buffer that holds it, the reader moves it into the pin's own storage.
struct LinePin {
    const char* text;  // the line, in the reader's buffer or in copy; null: nothing pinned
    char copy[kLineBufferSize];
};

// Prepares an empty reader on handle; returns 0.
int32_t reader_init(LineReader* reader, HANDLE handle);

// Delivers up to count bytes into destination: fewer only at end of input (or after a failed
// read once read_fails_hard is cleared).
int32_t reader_read(LineReader* reader, void* destination, int32_t count);

// Reads one line into line (size bytes, at least 1) without its LF and with every CR dropped;
// a line longer than size - 1 is split. Returns the bytes stored (a NUL counts), or -1 at end
// of input with line untouched.
int32_t read_line(LineReader* reader, char* line, int32_t size);

// Reads the next 64 KiB once every byte of the buffer is delivered, moving the pinned line
// out of the buffer first (pin may be null). Returns false at end of input or after a failed
// read, with the buffer left empty.
bool reader_refill(LineReader* reader, LinePin* pin);

// The out-of-line way of pin_line: copies text (length characters, NUL-terminated, in line
// storage) into the pin.
void pin_line_copy(LinePin* pin, const char* text, int32_t length);

// Pins text (length characters, NUL-terminated, in line storage): kept where it is when it
// lies in the buffer of reader (which may be null), else copied into the pin. Inline, as it
// runs for most lines and most of them lie in the buffer.
inline void pin_line(LinePin* pin, const LineReader* reader, const char* text, int32_t length) {
    if (reader) {
        // One unsigned compare tests both ends of the buffer.
        uintptr_t offset =
            reinterpret_cast<uintptr_t>(text) - reinterpret_cast<uintptr_t>(reader->buffer);
        if (offset < sizeof reader->buffer) {
            pin->text = text;
            return;
        }
    }
    pin_line_copy(pin, text, length);
}

// One ReadFile call: the count read. A null handle shows a message box and reads 0 bytes. The
// first failed read of the process ends it with a fatal message naming the handle and the
// system's reason; later ones read 0 bytes.
int32_t read_raw(HANDLE handle, void* destination, int32_t count);

// The out-of-line way of reader_next_line: a line with a CR elsewhere or a NUL, one of
// kLineCut characters or more, or one the end of the buffer cuts.
int32_t read_line_assembled(LineReader* reader, LinePin* pin, LineView* line);

// How the line from the cursor ends, stop being the buffer offset of the first line stop at
// or after the cursor (the fill when there is none): when it ends in LF or CR LF within
// kLineCut characters, the bytes of that line end (1 or 2), and it can be handed out in
// place; else 0, and it must be assembled.
inline int32_t in_place_ending(const LineReader* reader, int32_t stop) {
    if (stop >= reader->fill || stop - reader->cursor >= kLineCut) return 0;
    const char* end = reader->buffer + stop;
    if (end[0] == kLineEnd) return 1;
    if (end[0] == kDroppedByte && stop + 1 < reader->fill && end[1] == kLineEnd) return 2;
    return 0;
}

// Ends a line that in_place_ending takes at stop: the first byte of its line end becomes its
// NUL. A caller may do it while the line before is still in use, which never looks past its
// own NUL.
inline void end_in_place(LineReader* reader, int32_t stop) { reader->buffer[stop] = 0; }

// Hands out the line from the cursor to stop in place, ended by end_in_place, with ending
// bytes of line end (from in_place_ending) after it.
inline void take_in_place(LineReader* reader, int32_t stop, int32_t ending, LineView* line) {
    line->text = reader->buffer + reader->cursor;
    line->length = stop - reader->cursor;
    line->cut = 0;
    reader->cursor = stop + ending;
}

// Reads the next line as read_line(reader, ..., kLineSize) would, the line's text ending at
// its first NUL. stop is as for in_place_ending: a line it takes is handed out in place (its
// line end becomes its NUL); any other is assembled. Returns 0 with *line set, or -1 at end
// of input.
inline int32_t reader_next_line(LineReader* reader, LinePin* pin, int32_t stop, LineView* line) {
    int32_t ending = in_place_ending(reader, stop);
    if (!ending) return read_line_assembled(reader, pin, line);
    end_in_place(reader, stop);
    take_in_place(reader, stop, ending, line);
    return 0;
}
