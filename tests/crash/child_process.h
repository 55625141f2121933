// Runs the crash driver in a directory of its own and captures what it leaves behind.
#pragma once

#include <string>
#include <vector>

// One read from the child's standard error: where it starts in the text and when it came.
struct Arrival {
    size_t offset;
    long long ms;  // since the child was started
};

struct ChildRun {
    int exit_code = -1;  // a native child killed by a signal gives 128 + the signal
    std::string output;  // standard output, a file
    std::string error;   // standard error, a pipe read as it arrives
    std::vector<Arrival> arrivals;
};

// Starts the crash driver with args in work_dir (which must exist) and waits for its end.
ChildRun run_driver(const std::vector<std::string>& args, const std::string& work_dir);

// The time at which the byte at offset of the child's standard error arrived.
long long arrival_ms(const ChildRun& run, size_t offset);
