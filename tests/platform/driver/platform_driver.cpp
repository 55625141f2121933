// Test driver: runs one platform service as a process of its own, so that the platform tests
// can give it the standard handles they need and watch its output and exit code. The
// end-to-end cases use its "hold" command as the other process that keeps a log open.
#include <cstring>
#include <string>

#include "literals.h"
#include "platform/fatal.h"
#include "platform/files.h"
#include "platform/output.h"
#include "platform/process.h"

namespace {

// A text of length characters cycling through the alphabet, without line feeds.
std::string letters(int length) {
    std::string text;
    for (int i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
    return text;
}

[[noreturn]] void run(const char* command, const char* argument) {
    init_console();
    enable_processed_input();
    if (std::strcmp(command, "print") == 0) {
        print("x\n");
    } else if (std::strcmp(command, "fatal") == 0) {
        fatal_error("failure %u of %s\n", 7u, "driver");
    } else if (std::strcmp(command, "long-fatal") == 0) {
        fatal_error("%s", letters(5000).c_str());
    } else if (std::strcmp(command, "null-write") == 0) {
        write_text(nullptr, "a\nb");
        write_text(nullptr, "\n\n");
    } else if (std::strcmp(command, "null-read") == 0) {
        char buffer[16];
        read_raw(nullptr, buffer, 16);
    } else if (std::strcmp(command, "percent-box") == 0) {
        write_raw(nullptr, "rate%d%s%99999999999s.log", 4);
    } else if (std::strcmp(command, "long-box") == 0) {
        std::string text = letters(1500);
        write_raw(nullptr, text.c_str(), 3);
    } else if (std::strcmp(command, "open") == 0 && argument) {
        HANDLE handle;
        process_exit(open_file(argument, kOpenRead, &handle) == 0 ? 0 : 2);
    } else if (std::strcmp(command, "hold") == 0 && argument) {
        // Keeps the file open (exclusively, as open_file does) until standard input ends.
        HANDLE handle;
        if (open_file(argument, kOpenRead, &handle) != 0) process_exit(2);
        print("held\n");
        char byte;
        while (read_raw(std_input, &byte, 1) == 1) {
        }
    } else {
        process_exit(3);
    }
    process_exit(0);
}

}  // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
    standin_set_arguments(argc, argv);
#endif
    run(argc > 1 ? argv[1] : "", argc > 2 ? argv[2] : nullptr);
}
