// Output channels: the standard handles, the writers with LF to CR LF translation, the
// buffered file writer of the reports, and the message box; console output is never buffered.
#include "platform/output.h"

#include "literals.h"
#include "platform/fatal.h"
#include "platform/handles.h"
#include "platform/reasons.h"
#include "text/text.h"

HANDLE std_input;
HANDLE std_output;
HANDLE std_error;
int32_t std_kinds_differ;
int32_t write_fails_hard = 1;

namespace {

constexpr int32_t kPrintBufferSize = 2048;
constexpr int32_t kMessageBoxBufferSize = 1024;

const char kLineEnd[] = "\r\n";

// Writes text run by run through put(data, count), which returns 1 for a short write, and
// each LF as CR LF. Empty runs are passed on too when keep_empty.
template <class Put>
int32_t write_runs(const char* run, bool keep_empty, Put put) {
    int32_t status = 0;
    while (*run != 0) {
        const char* line_feed = text_find(run, '\n');
        int32_t length = line_feed ? static_cast<int32_t>(line_feed - run) : text_length(run);
        if (length > 0 || keep_empty) status |= put(run, length);
        if (!line_feed) break;
        status |= put(kLineEnd, 2);
        run = line_feed + 1;
    }
    return status;
}

int32_t write_both(const char* data, int32_t count) {
    int32_t status = write_raw(std_output, data, count) != count;
    if (std_kinds_differ == 1 && write_raw(std_error, data, count) != count) status = 1;
    return status;
}

// The text is shown as it stands, never read as a format: a path holding % would otherwise
// show other characters and make the formatter take arguments nobody gave.
void show_in_message_box(const char* text) {
    char shown[kMessageBoxBufferSize];
    text_copy_n(shown, text, kMessageBoxBufferSize - 1);
    MessageBoxA(nullptr, shown, decode_literal(kNoHandleWriteCaptionText), kNoHandleBoxType);
}

// One WriteFile; the count moved, and in *code the system's error when it came up short. A
// write the system cut short without failing (the room ran out within it) is followed by one
// more for the rest, which either completes it or fails and so gives the reason.
int32_t write_or_fail(HANDLE handle, const void* data, int32_t count, uint32_t* code) {
    DWORD written = 0;
    BOOL done = WriteFile(handle, data, static_cast<DWORD>(count), &written, nullptr);
    int32_t moved = static_cast<int32_t>(written);
    if (moved == count) return moved;
    if (done && moved > 0) {
        written = 0;
        done = WriteFile(handle, static_cast<const char*>(data) + moved,
                         static_cast<DWORD>(count - moved), &written, nullptr);
        moved += static_cast<int32_t>(written);
    }
    if (!done) *code = GetLastError();
    return moved;
}

// Standard output and standard error whose reader has gone (a pipe into `head` that closed):
// they take no more output, and the run goes on without them, since the reports are what it
// is for. Any other short write, also to a console on a full disk, stays fatal.
bool console_gone[2];

// Windows reports a pipe whose reader closed as ERROR_NO_DATA or ERROR_BROKEN_PIPE; Wine
// reports a POSIX pipe so (`| head` in a shell) as ERROR_PIPE_NOT_CONNECTED.
bool reader_gone(uint32_t code) {
    return code == ERROR_NO_DATA || code == ERROR_BROKEN_PIPE || code == ERROR_PIPE_NOT_CONNECTED;
}

// 0 for standard output, 1 for standard error, -1 for any other handle.
int32_t console_index(HANDLE handle) {
    if (handle == std_output) return 0;
    return handle == std_error ? 1 : -1;
}

int32_t write_to_std_error(const char* text) { return write_text(std_error, text); }

void change_console_mode(DWORD clear, DWORD set) {
    DWORD mode;
    if (!GetConsoleMode(std_input, &mode)) return;
    SetConsoleMode(std_input, (mode & ~clear) | set);
}

}  // namespace

void init_console() {
    std_input = GetStdHandle(STD_INPUT_HANDLE);
    std_output = GetStdHandle(STD_OUTPUT_HANDLE);
    std_error = GetStdHandle(STD_ERROR_HANDLE);
    register_handle_name(std_input, kStdInputNameText);
    register_handle_name(std_output, kStdOutputNameText);
    register_handle_name(std_error, kStdErrorNameText);
    std_kinds_differ = GetFileType(std_output) != GetFileType(std_error);
    set_fatal_writer(write_to_std_error);
    change_console_mode(ENABLE_MOUSE_INPUT, ENABLE_WINDOW_INPUT);
}

void enable_processed_input() { change_console_mode(0, ENABLE_PROCESSED_INPUT); }

// Every line goes out as: run to output, run to error, CR LF to output, CR LF to error.
int32_t write_std_text(TextArg text) {
    char single[2];
    return write_runs(text_of(text, single), true, write_both);
}

int32_t write_text(HANDLE handle, TextArg text) {
    char single[2];
    return write_runs(text_of(text, single), false, [handle](const char* data, int32_t count) {
        return static_cast<int32_t>(write_raw(handle, data, count) != count);
    });
}

// Kept out of line so that its return address is the code address of the caller's call.
[[gnu::noinline]] int32_t write_raw(HANDLE handle, const void* data, int32_t count) {
    if (handle == 0) {
        show_in_message_box(static_cast<const char*>(data));
        return 0;
    }
    int32_t console = console_index(handle);
    if (console >= 0 && console_gone[console]) return 0;
    uint32_t code = 0;
    int32_t moved = write_or_fail(handle, data, count, &code);
    if (moved != count && console >= 0 && reader_gone(code)) {
        console_gone[console] = true;
        return moved;
    }
    if (moved != count && write_fails_hard == 1) {
        write_fails_hard = 0;
        char name[kHandleNameSize];
        handle_name(handle, name);
        char reason[kReasonSize];
        fatal_error(kShortWriteFmt, __builtin_return_address(0), handle, data, count, moved,
                    name, system_reason(code, reason));
    }
    return moved;
}

void buffered_init(BufferedFile* file, HANDLE handle) {
    file->handle = handle;
    file->fill = 0;
}

// The formatter cuts what does not fit, so only a text shorter than the room less its NUL
// surely stands whole; anything else is expanded again after the flush.
int32_t buffered_print_args(BufferedFile* file, const char* format, FormatArgs args) {
    int32_t status = 0;
    for (;;) {
        int32_t room = kFileBufferSize - file->fill;
        int32_t length = format_text(file->buffer + file->fill, room, format, args);
        if (length < room - 1 || file->fill == 0) {
            file->fill += length;
            return status;
        }
        status |= buffered_flush(file);
    }
}

int32_t buffered_flush(BufferedFile* file) {
    int32_t count = file->fill;
    if (count == 0) return 0;
    file->fill = 0;
    return write_raw(file->handle, file->buffer, count) != count;
}

int32_t print_args(const char* format, FormatArgs args) {
    char buffer[kPrintBufferSize];
    format_text(buffer, kPrintBufferSize, format, args);
    return write_std_text(buffer);
}

int32_t print_to_args(HANDLE handle, const char* format, FormatArgs args) {
    char buffer[kPrintBufferSize];
    format_text(buffer, kPrintBufferSize, format, args);
    return write_text(handle, buffer);
}

int32_t message_box_print_args(HWND owner, uint32_t type, const char* caption,
                               const char* format, FormatArgs args) {
    char buffer[kMessageBoxBufferSize];
    format_text(buffer, kMessageBoxBufferSize, format, args);
    return MessageBoxA(owner, buffer, decode_literal(caption), type);
}
