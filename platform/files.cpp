// Files: exclusive opening and creation with the names registered, closing, moving and
// deleting by name, and the 64 KiB line reader.
#include "platform/files.h"

#include "literals.h"
#include "platform/fatal.h"
#include "platform/handles.h"
#include "platform/output.h"
#include "platform/reasons.h"
#include "text/bytes.h"
#include "text/text.h"

int32_t create_fails_hard = 1;
int32_t read_fails_hard = 1;

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

bool inside(const char* p, const char* storage, int32_t size) {
    return p >= storage && p < storage + size;
}

// The held line lies in the buffer that the next refill overwrites: it moves first.
void keep_held_line(LineReader* reader) {
    if (!reader->held || !*reader->held) return;
    if (!inside(*reader->held, reader->buffer, sizeof reader->buffer)) return;
    text_copy(reader->held_copy, *reader->held);
    *reader->held = reader->held_copy;
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
    for (const char* p = name; *p != 0; ++p) length = is_folder_separator(*p) ? 0 : length + 1;
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
    keep_held_line(reader);
    reader->cursor = 0;
    reader->fill = read_raw(reader->handle, reader->buffer, kReaderBufferSize);
    return reader->fill > 0;
}

// The bytes that end a run of plain line characters, and those that keep a line from being
// handed out in place; set up by reader_init.
ByteSet line_breaks;
ByteSet line_stops;

void prepare_byte_sets() {
    static constexpr char kStops[] = {'\n', '\r', '\0'};
    static_assert(kStops[0] <= kLargestLineStop && kStops[1] <= kLargestLineStop &&
                      kStops[2] <= kLargestLineStop,
                  "every line stop is at most the largest");
    line_breaks = byte_set(kStops, 2);
    line_stops = byte_set(kStops, 3);
}

// The assembly buffer that does not hold the caller's held line.
char* free_assembly_buffer(LineReader* reader) {
    const char* held = reader->held ? *reader->held : nullptr;
    bool first_busy = held && inside(held, reader->assembled[0], kLineBufferSize);
    return reader->assembled[first_busy ? 1 : 0];
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

int32_t create_new_file(const char* name, HANDLE* handle_out) {
    decode_literal(name);
    *handle_out = open_exclusive(name, GENERIC_WRITE, CREATE_NEW);
    if (*handle_out == INVALID_HANDLE_VALUE) return refused_for_length(name) ? kNameTooLong : 1;
    register_handle_name(*handle_out, name);
    return 0;
}

uint32_t check_replaceable(const char* name) {
    decode_literal(name);
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return kErrorIsFolder;
    if (attributes & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
    if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) return 0;
    // A file held open without sharing cannot be replaced; a short exclusive open finds it.
    HANDLE probe = open_exclusive(name, GENERIC_READ, OPEN_EXISTING);
    if (probe == INVALID_HANDLE_VALUE) return file_error(name);
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
    reader->held = nullptr;
    prepare_byte_sets();
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

// Moves whole runs between line breaks out of the buffer: the same bytes as taking one byte at
// a time, storing all but CR and stopping after LF or at size - 1 stored characters.
int32_t read_line(LineReader* reader, char* line, int32_t size) {
    if (size <= 0) return 0;
    if (size == 1) {
        line[0] = 0;
        return 0;
    }
    int32_t stored = 0;
    while (stored < size - 1) {
        if (reader->cursor >= reader->fill && !refill(reader)) {
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
        if (*stop == '\n') break;
    }
    line[stored] = 0;
    return stored;
}

// Whether more of a line follows a full line buffer: the next byte but CR is not its LF and
// input is left. The CRs skipped on the way would be dropped by the next read anyway.
int32_t line_goes_on(LineReader* reader) {
    for (;;) {
        if (reader->cursor >= reader->fill && !refill(reader)) return 0;
        char next = reader->buffer[reader->cursor];
        if (next != '\r') return next != '\n';
        reader->cursor += 1;
    }
}

int32_t read_line_in_place(LineReader* reader, LineView* line) {
    char* start = reader->buffer + reader->cursor;
    int32_t reach = reader->fill - reader->cursor;
    if (reach > kLineSize - 1) reach = kLineSize - 1;
    char* end = const_cast<char*>(find_in_set<3>(start, reach, line_stops));
    if (end && *end == '\n') {
        *end = 0;
        line->text = start;
        line->length = static_cast<int32_t>(end - start);
        line->cut = 0;
        reader->cursor += line->length + 1;
        return 0;
    }
    // A CR or NUL, a line cut by the end of the buffer, or one of 1023 characters or more.
    char* assembled = free_assembly_buffer(reader);
    int32_t stored = read_line(reader, assembled, kLineSize);
    if (stored == -1) return -1;
    line->text = assembled;
    line->length = text_length(assembled);
    line->cut = stored == kLineSize - 1 ? line_goes_on(reader) : 0;
    return 0;
}

void reader_hold(LineReader* reader, const char** slot) { reader->held = slot; }

const ByteSet& line_stop_set() { return line_stops; }

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
