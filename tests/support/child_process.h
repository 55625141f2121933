// Starts a test's helper program (a driver, logtally itself) as a child process with chosen
// standard handles and working folder, and collects its exit code and output.
#pragma once

#include <string>
#include <vector>

// Where a standard handle of the child goes.
enum class Sink {
    kFile,          // a fresh regular file, read back after the child ends
    kPipe,          // a pipe read by the test as the child writes
    kSameAsOutput,  // standard error only: the very handle of standard output
    kReadOnlyFile,  // a regular file opened for reading only: every write fails
    kClosedPipe,    // a pipe whose reading end is closed before the child starts
    kFullDevice,    // native build only: /dev/full, where every write fails
};

struct ChildOptions {
    Sink out = Sink::kFile;
    Sink err = Sink::kPipe;
    // The child's working folder, which must exist; empty: the test's own.
    std::string working_folder;
    // Where kFile and kReadOnlyFile sinks live: this path with "-out.tmp" and "-err.tmp"
    // appended, removed once read. Outside the working folder, so the child's files are alone.
    std::string capture_prefix = "child";
    // Native build: the child starts a session of its own, without a controlling terminal, so
    // the stand-in's message boxes go to standard error. Ignored on Windows.
    bool detach_terminal = false;
    // A child still running after this many seconds is ended (natively by SIGALRM, exit code
    // 142; on Windows with exit code 99); 0 waits for ever.
    int time_limit_seconds = 0;
};

// One read from the piped stream: where it starts in the text and when it came.
struct Arrival {
    size_t offset;
    long long ms;  // since the child was started
};

struct ChildRun {
    int exit_code = -1;  // -1: not started; a native child ended by a signal: 128 + the signal
    std::string out;     // what reached standard output (kFile or kPipe)
    std::string err;     // what reached standard error (kFile or kPipe)
    std::vector<Arrival> arrivals;  // the reads of the one piped stream
};

// Runs program with arguments; standard input is the null device. At most one of out and err
// may be kPipe: it is read until the child closes it, then the child is waited for.
ChildRun run_child(const std::string& program, const std::vector<std::string>& arguments,
                   const ChildOptions& options);

// The time at which the byte at offset of the piped stream arrived, or -1 before any read.
long long arrival_ms(const ChildRun& run, size_t offset);

// The folder of the running test executable, with its trailing separator.
std::string program_folder();

// name as an executable's file name on this build: ".exe" appended on Windows.
std::string executable(const std::string& name);
