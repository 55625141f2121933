// Files: open, create and close with their names registered, moving and deleting by name,
// and the buffered line reader.
#pragma once

#include <cstdint>

#include "platform/win_api.h"
#include "text/limits.h"

extern int32_t create_fails_hard;  // one-shot switch, 1 until the first failed creation
extern int32_t read_fails_hard;    // one-shot switch, 1 until the first failed read

inline constexpr int32_t kReaderBufferSize = 65536;

// A 64 KiB read buffer on a handle, owned by the caller. Lines are handed out in place where
// they can be; the other storage holds lines that had to be assembled.
struct LineReader {
    HANDLE handle;
    int32_t fill;     // valid bytes in buffer
    int32_t cursor;   // next byte to deliver
    const char** held;                   // a line the caller still needs (reader_hold), or null
    char held_copy[kLineBufferSize];     // where that line moves when a refill would overwrite it
    char assembled[2][kLineBufferSize];  // lines with CR or cut by a refill, in turn
    char buffer[kReaderBufferSize + kSearchSlack];
};

// One line as read_line_in_place hands it out: NUL-terminated, without its LF and CRs.
struct LineView {
    char* text;      // in the reader's storage: valid until the next read from the reader
    int32_t length;  // characters before the first NUL
    int32_t cut;     // 1 when the line had more characters than fit: they come as the next line
};

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

// What create_new_file returns when the system refused the name as too long.
inline constexpr int32_t kNameTooLong = 2;

// Creates a file that must not exist yet, in any form (a link is never followed), for
// writing, exclusively. Returns 0 with the name registered; kNameTooLong, or 1 for any other
// refusal (the name is taken, the folder denies it), with INVALID_HANDLE_VALUE in
// *handle_out. Never fatal.
int32_t create_new_file(const char* name, HANDLE* handle_out);

// 0 when nothing has that name or what has it can be replaced by move_file now; else the
// reason's code (platform/reasons.h): a folder, a read-only file, a file that another
// program holds. A link, FIFO or device is replaced as a name and is never opened here.
uint32_t check_replaceable(const char* name);

// Moves the file from over the name to, replacing what has that name (a link as a link).
// Returns 0, or 1 with nothing moved.
int32_t move_file(const char* from, const char* to);

// Deletes the file (a link itself, not what it points at); 1 when that failed.
int32_t delete_file(const char* name);

// Closes handle and registers it as closed; 1 when the close failed.
int32_t close_file(HANDLE handle);

// Prepares an empty reader on handle; returns 0.
int32_t reader_init(LineReader* reader, HANDLE handle);

// Delivers up to count bytes into destination: fewer only at end of input (or after a failed
// read once read_fails_hard is cleared).
int32_t reader_read(LineReader* reader, void* destination, int32_t count);

// Reads one line into line (size bytes, at least 1) without its LF and with every CR dropped;
// a line longer than size - 1 is split. Returns the bytes stored (a NUL counts), or -1 at end
// of input with line untouched.
int32_t read_line(LineReader* reader, char* line, int32_t size);

// Reads the next line as read_line(reader, ..., kLineSize) would, but hands it out where it
// lies in the buffer when it can: a line without CR that ends in the buffer is terminated over
// its LF. Returns 0 with *line set, or -1 at end of input. Every line has kSearchSlack bytes
// of storage after its NUL, so the byte searches may run over it.
int32_t read_line_in_place(LineReader* reader, LineView* line);

// The bytes read but not yet delivered: *bytes gets where they start in the buffer, with
// kSearchSlack bytes of storage after the last. Returns how many there are, 0 when a read
// must refill the buffer. For a caller that finds the next line end itself.
inline int32_t reader_pending(LineReader* reader, char** bytes) {
    *bytes = reader->buffer + reader->cursor;
    return reader->fill - reader->cursor;
}

// The bytes that keep a line from being handed out in place: LF, CR and NUL. Set up by
// reader_init; for a caller that finds the next line end itself.
const ByteSet& line_stop_set();

// No byte of the line stop set is above this value: a block with no byte at or below it
// holds no line stop.
inline constexpr char kLargestLineStop = '\r';

// Delivers the next length pending bytes, which are followed by an LF and hold no CR, NUL or
// LF, as a line in place, as read_line_in_place would: the LF becomes the line's NUL.
inline void reader_take_line(LineReader* reader, int32_t length, LineView* line) {
    line->text = reader->buffer + reader->cursor;
    line->text[length] = 0;
    line->length = length;
    line->cut = 0;
    reader->cursor += length + 1;
}

// Keeps the line *slot points at readable across later reads: when a refill would overwrite
// it, the reader copies it to its own storage and points *slot there. The slot (owned by the
// caller) stays registered until the next reader_init; null in *slot holds nothing.
void reader_hold(LineReader* reader, const char** slot);

// One ReadFile call: the count read. A null handle shows a message box and reads 0 bytes. The
// first failed read of the process ends it with a fatal message naming the handle and the
// system's reason; later ones read 0 bytes.
int32_t read_raw(HANDLE handle, void* destination, int32_t count);
