// Output channels: the standard handles, console and file writers, and the message box.
//
// Status results: 0 when every write was complete, 1 when at least one came up short. The
// first short write of the process is fatal (write_fails_hard); later ones only report.
#pragma once

#include <cstdint>

#include "platform/win_api.h"
#include "text/format.h"

// The style of the message box shown for a read or write on a null handle.
inline constexpr uint32_t kNoHandleBoxType = MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND;

extern HANDLE std_input;
extern HANDLE std_output;
extern HANDLE std_error;
extern int32_t std_kinds_differ;   // 1 when standard output and error are of different kinds
extern int32_t write_fails_hard;   // one-shot switch, 1 until the first short write

// Takes the standard handles, names them, sets std_kinds_differ and the console input mode.
void init_console();

// Sets ENABLE_PROCESSED_INPUT on the console input mode.
void enable_processed_input();

// Writes text (or a character) to standard output, LF as CR LF, doubled onto standard error
// when std_kinds_differ. Returns the status.
int32_t write_std_text(TextArg text);

// Writes text (or a character: 10 writes CR LF, 0 nothing) to handle, LF as CR LF, one write
// per run and one per line end. Returns the status.
int32_t write_text(HANDLE handle, TextArg text);

// The single place where bytes reach the system: returns the count written. A write the
// system cuts short without failing is followed by one for the rest; the fatal message of a
// short write ends with the system's reason. A write to standard output or standard error
// whose reader has gone (ERROR_NO_DATA, ERROR_BROKEN_PIPE, ERROR_PIPE_NOT_CONNECTED) is no
// fatal error: that handle is written no more, each later write returning 0, and the switch
// stays set. A null handle shows the text at data (up to its NUL, cut at 1023 characters) in
// a message box instead, exactly as it stands, and returns 0.
int32_t write_raw(HANDLE handle, const void* data, int32_t count);

// A file written through one 64 KiB buffer, owned by the caller: texts are expanded straight
// into the free room, line ends as the format gives them (no LF translation), and the buffer
// goes out in one write when the next text does not fit and when the caller flushes.
inline constexpr int32_t kFileBufferSize = 65536;

struct BufferedFile {
    HANDLE handle;
    int32_t fill;  // bytes waiting in buffer
    char buffer[kFileBufferSize];
};

// Prepares an empty buffer on handle.
void buffered_init(BufferedFile* file, HANDLE handle);

// Expands format into the free room; when the text would not fit, the waiting bytes go out
// first and the text is expanded again into the empty buffer (a text longer than 65535
// characters is cut there). Returns the status of the write it made, if any.
int32_t buffered_print_args(BufferedFile* file, const char* format, FormatArgs args);

// Writes the waiting bytes in one write_raw and empties the buffer; returns the status.
int32_t buffered_flush(BufferedFile* file);

// Formats into 2048 bytes (cut when longer) and writes with write_std_text / write_text.
int32_t print_args(const char* format, FormatArgs args);
int32_t print_to_args(HANDLE handle, const char* format, FormatArgs args);

// Formats into 1024 bytes and shows MessageBoxA(owner, text, caption, type); returns the button.
int32_t message_box_print_args(HWND owner, uint32_t type, const char* caption,
                               const char* format, FormatArgs args);

template <class... A>
inline int32_t print(const char* format, A... args) {
    return format_detail::with_words([&](FormatArgs a) { return print_args(format, a); },
                                     args...);
}

template <class... A>
inline int32_t print_to(HANDLE handle, const char* format, A... args) {
    return format_detail::with_words(
        [&](FormatArgs a) { return print_to_args(handle, format, a); }, args...);
}

template <class... A>
inline int32_t buffered_print(BufferedFile* file, const char* format, A... args) {
    return format_detail::with_words(
        [&](FormatArgs a) { return buffered_print_args(file, format, a); }, args...);
}

template <class... A>
inline int32_t message_box_print(HWND owner, uint32_t type, const char* caption,
                                 const char* format, A... args) {
    return format_detail::with_words(
        [&](FormatArgs a) { return message_box_print_args(owner, type, caption, format, a); },
        args...);
}
