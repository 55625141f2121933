// Test driver: runs one platform service as a process of its own, so that the platform tests
// can give it the standard handles they need and watch its output and exit code. The
// end-to-end cases use its "hold" and "hold-lock" commands as the other process that keeps a
// log open or writes the same reports.
#include <cstring>
#include <string>
#include <thread>

#include "literals.h"
#include "platform/fatal.h"
#include "platform/files.h"
#include "platform/interrupts.h"
#include "platform/output.h"
#include "platform/process.h"
#include "platform/reader.h"
#include "platform/run_lock.h"

namespace {

// A text of length characters cycling through the alphabet, without line feeds.
std::string letters(int length) {
    std::string text;
    for (int i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
    return text;
}

void say_discarded() { print("discarded\n"); }

// A console event, delivered as the system does: on a thread of its own.
std::thread console_event() { return std::thread([] { end_on_console_event(CTRL_C_EVENT); }); }

// The files of a run and a console event: how they meet at each step (the event ends the
// process; the driver says what it did on the way).
void files_and_event(const char* step) {
    begin_files(say_discarded);
    if (std::strcmp(step, "held") == 0) {
        std::thread event = console_event();
        print("made\n");
        release_files();
        event.join();
    }
    release_files();
    if (std::strcmp(step, "at-risk") == 0) console_event().join();
    if (std::strcmp(step, "exit") == 0) process_exit(1);
    begin_moves();
    std::thread event = console_event();
    print("moved\n");
    end_moves();
    event.join();
}

[[noreturn]] void run(const char* command, const char* argument) {
    init_console();
    enable_processed_input();
    if (std::strcmp(command, "print") == 0) {
        print("x\n");
    } else if (std::strcmp(command, "fatal") == 0) {
        fatal_error("failure %u of %s\n", 7u, "driver");
    } else if (std::strcmp(command, "long-fatal") == 0) {
        fatal_error("%s", letters(kFatalMessageSize + 1000).c_str());
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
    } else if (std::strcmp(command, "gone-then-short") == 0 && argument) {
        // Two prints to a console that may have lost its reader, then a write the file refuses.
        print("x\n");
        print("x\n");
        HANDLE handle;
        if (open_file(argument, kOpenRead, &handle) != 0) process_exit(2);
        write_raw(handle, "abc", 3);
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
    } else if (std::strcmp(command, "files-and-event") == 0 && argument) {
        files_and_event(argument);
    } else if (std::strcmp(command, "hold-lock") == 0 && argument) {
        // Holds a report set's lock, as a run of logtally does, until standard input ends.
        HANDLE handle;
        if (take_lock_file(argument, 0, &handle) != 0) process_exit(2);
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
