// Runs the platform test driver (or logtally itself) as a child process with chosen standard
// handles and collects its exit code and output.
#pragma once

#include <string>
#include <vector>

#include "support/child_process.h"

// Runs the driver, which sits next to the tests, with the arguments in the test's working
// folder; standard input is the null device. At most one of out and err may be kPipe. With
// detach_terminal the child has no controlling terminal (native build), so the stand-in's
// message boxes go to standard error.
inline ChildRun run_driver(const std::vector<std::string>& arguments, Sink out, Sink err,
                           bool detach_terminal = false) {
    ChildOptions options;
    options.out = out;
    options.err = err;
    options.capture_prefix = "platform-child";
    options.detach_terminal = detach_terminal;
    return run_child(program_folder() + executable("platform_driver"), arguments, options);
}

// Runs the logtally executable, one folder up from the tests, the same way.
inline ChildRun run_logtally(const std::vector<std::string>& arguments, Sink out, Sink err) {
    ChildOptions options;
    options.out = out;
    options.err = err;
    options.capture_prefix = "platform-child";
    return run_child(program_folder() + executable("../logtally"), arguments, options);
}
