// Files: open, create and close with their names registered, moving and deleting by name,
// and the buffered line reader.
#pragma once

#include <cstdint>

#include "platform/win_api.h"

extern int32_t create_fails_hard;  // one-shot switch, 1 until the first failed creation
extern int32_t read_fails_hard;    // one-shot switch, 1 until the first failed read

inline constexpr int32_t kReaderBufferSize = 65536;

// A 64 KiB read buffer on a handle, owned by the caller.
struct LineReader {
    HANDLE handle;
    int32_t fill;     // valid bytes in buffer
    int32_t cursor;   // next byte to deliver
    char buffer[kReaderBufferSize];
};

// Opens an existing file for mode 0 read, 1 write, 2 both (other values: access mask as is),
// exclusively. Returns 0, or 1 with INVALID_HANDLE_VALUE in *handle_out; prints nothing.
int32_t open_file(const char* name, uint32_t mode, HANDLE* handle_out);

// Creates or truncates a file for reading and writing (| extra_access), exclusively. The
// first failure of the process ends it with a fatal message; later ones return 1.
int32_t create_file(const char* name, uint32_t extra_access, HANDLE* handle_out);

// What create_new_file returns when the system refused the name as too long.
inline constexpr int32_t kNameTooLong = 2;

// Creates a file that must not exist yet, in any form (a link is never followed), for
// writing, exclusively. Returns 0 with the name registered; kNameTooLong, or 1 for any other
// refusal (the name is taken, the folder denies it), with INVALID_HANDLE_VALUE in
// *handle_out. Never fatal.
int32_t create_new_file(const char* name, HANDLE* handle_out);

// 0 when nothing has that name or what has it can be replaced by move_file now; 1 for a
// folder, a read-only file or a file that another program holds. A link, FIFO or device is
// replaced as a name and is never opened here.
int32_t check_replaceable(const char* name);

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

// One ReadFile call: the count read. A null handle shows a message box and reads 0 bytes. The
// first failed read of the process ends it with a fatal message naming the handle; later
// ones read 0 bytes.
int32_t read_raw(HANDLE handle, void* destination, int32_t count);
