// Runs the test driver (or logtally itself) as a child process with chosen standard handles
// and collects its exit code and output.
#pragma once

#include <string>
#include <vector>

// Where a standard handle of the child goes.
enum class Sink {
    kFile,          // a fresh regular file, read back after the child ends
    kPipe,          // a pipe read by the test
    kSameAsOutput,  // standard error only: the very handle of standard output
    kReadOnlyFile,  // a regular file opened for reading only: every write fails
    kClosedPipe,    // a pipe whose reading end is closed before the child starts
    kFullDevice,    // native build only: /dev/full, where every write fails
};

struct ChildRun {
    int exit_code = -1;
    std::string out;  // what reached standard output (kFile or kPipe)
    std::string err;  // what reached standard error (kFile or kPipe)
};

// Runs the driver with the arguments; standard input is the null device. At most one of out
// and err may be kPipe (they are read one after the other). With
// detach_terminal the child has no controlling terminal (native build), so the stand-in's
// message boxes go to standard error.
ChildRun run_driver(const std::vector<std::string>& arguments, Sink out, Sink err,
                    bool detach_terminal = false);

// Runs the logtally executable the same way.
ChildRun run_logtally(const std::vector<std::string>& arguments, Sink out, Sink err);
