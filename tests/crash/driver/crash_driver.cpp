// Test driver: prepares the console, installs the crash handler like logtally's main
// sequence (or with the options given) and then commits the fault named on its command line.
//
//   crash_driver FAULT [--sleep MS] [--file NAME | --no-file] [--before mark|fault|reenter]
//                [--after] [--creation-failed-before]
//
// FAULT: read (null pointer), write (read-only page), execute (non-executable page), divide
// (integer division by zero), stack (endless recursion), breakpoint (int3), illegal (ud2),
// bus (native only: a file mapping past the end of its file), none. Exit code 2 means the
// fault did not end the process, 3 a bad command line. Every byte of output comes from the
// program's own writers.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "crash/crash.h"
#include "literals.h"
#include "platform/files.h"
#include "platform/output.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

// Keeps the compiler from seeing what a pointer points at, so the fault is really executed.
template <class T>
T* hidden(T* pointer) {
    volatile uintptr_t word = reinterpret_cast<uintptr_t>(pointer);
    return reinterpret_cast<T*>(word);
}

const char kReadOnly[4096] = {'r'};
unsigned char kDataReturn[16] = {0xC3};  // "ret", in a writable, non-executable section

volatile int keep_recursing = 1;

int recurse(int depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (!keep_recursing) return frame[0];
    return recurse(depth + 1) + frame[0];
}

void fault_bus() {
#ifndef _WIN32
    char name[] = "crash-driver-bus-XXXXXX";
    int fd = mkstemp(name);
    unlink(name);
    void* page = mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0);
    if (page == MAP_FAILED) return;
    volatile char value = *static_cast<volatile char*>(hidden(page));
    (void)value;
#endif
}

void commit_fault(const char* fault) {
    if (!std::strcmp(fault, "read")) {
        volatile int value = *static_cast<volatile int*>(hidden<int>(nullptr));
        (void)value;
    } else if (!std::strcmp(fault, "write")) {
        *static_cast<volatile char*>(hidden(const_cast<char*>(kReadOnly))) = 'w';
    } else if (!std::strcmp(fault, "execute")) {
        reinterpret_cast<void (*)()>(hidden(kDataReturn))();
    } else if (!std::strcmp(fault, "divide")) {
        volatile int dividend = 1000, zero = 0;
        volatile int quotient = dividend / zero;
        (void)quotient;
    } else if (!std::strcmp(fault, "stack")) {
        recurse(0);
    } else if (!std::strcmp(fault, "breakpoint")) {
        asm volatile("int3");
    } else if (!std::strcmp(fault, "illegal")) {
        asm volatile("ud2");
    } else if (!std::strcmp(fault, "bus")) {
        fault_bus();
    }
}

void mark_before() { write_text(std_error, "<before>\n"); }
void mark_after() { write_text(std_error, "<after>\n"); }
void fault_before() { commit_fault("read"); }

// Enters the filter a second time the way the system would, with a made-up exception.
void reenter_before() {
    static EXCEPTION_RECORD record = {};
    static CONTEXT context = {};
    static EXCEPTION_POINTERS pointers = {&record, &context};
    crash_filter(&pointers);
}

struct Options {
    uint32_t sleep_ms = 0;
    const char* file_name = kCrashFileName;
    CrashCallback before = nullptr;
    CrashCallback after = nullptr;
    bool creation_failed_before = false;
};

bool parse_options(int argc, char** argv, Options* options) {
    for (int i = 2; i < argc; ++i) {
        const char* option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool takes_value = true;
        if (!std::strcmp(option, "--no-file")) {
            options->file_name = nullptr, takes_value = false;
        } else if (!std::strcmp(option, "--after")) {
            options->after = mark_after, takes_value = false;
        } else if (!std::strcmp(option, "--creation-failed-before")) {
            options->creation_failed_before = true, takes_value = false;
        } else if (!value) {
            return false;
        } else if (!std::strcmp(option, "--sleep")) {
            options->sleep_ms = std::strtoul(value, nullptr, 10);
        } else if (!std::strcmp(option, "--file")) {
            options->file_name = value;
        } else if (!std::strcmp(option, "--before")) {
            options->before = !std::strcmp(value, "fault")     ? fault_before
                              : !std::strcmp(value, "reenter") ? reenter_before
                                                               : mark_before;
        } else {
            return false;
        }
        if (takes_value) ++i;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (argc < 2 || !parse_options(argc, argv, &options)) return 3;
    init_console();
    if (options.creation_failed_before) create_fails_hard = 0;
    install_crash_handler(nullptr, options.sleep_ms, options.file_name, options.before,
                          options.after);
    commit_fault(argv[1]);
    return 2;
}
