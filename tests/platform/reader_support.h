// Helpers of the reader tests: a reader over a scratch file, and content whose line ends fall
// on chosen offsets around the 64 KiB refill boundaries.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/reader.h"
#include "platform_support.h"

using Lines = std::vector<std::string>;

// A reader over a scratch file with the given content; the reader is too big for the stack
// of a test.
struct ReaderOnFile {
    ScratchFile file;
    HANDLE handle;
    std::unique_ptr<LineReader> reader = std::make_unique<LineReader>();

    ReaderOnFile(const std::string& tag, const std::string& content)
        : file(tag, content), handle(system_open(file.name(), GENERIC_READ, OPEN_EXISTING)) {
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
        EXPECT_EQ(reader_init(reader.get(), handle), 0);
    }
    ~ReaderOnFile() { CloseHandle(handle); }

    // Every line up to the end of input; each result is the stored bytes.
    Lines lines(int32_t size) {
        Lines out;
        std::vector<char> line(size);
        for (int32_t length; (length = read_line(reader.get(), line.data(), size)) >= 0;) {
            EXPECT_EQ(line[length], '\0');
            out.emplace_back(line.data(), length);
        }
        return out;
    }
};

// Content built line by line, each line's characters depending on its number and place.
struct Straddle {
    std::string content;
    Lines lines;

    void add(int length, const std::string& end) {
        std::string line;
        for (int i = 0; i < length; ++i) line += static_cast<char>('a' + (lines.size() + i) % 26);
        lines.push_back(line);
        content += line + end;
    }
    // Fills with lines of at most 1000 characters until the content is offset bytes long.
    void fill_to(size_t offset) {
        while (content.size() + 1001 <= offset) add(1000, "\n");
        if (content.size() < offset) add(static_cast<int>(offset - content.size() - 1), "\n");
    }
};
