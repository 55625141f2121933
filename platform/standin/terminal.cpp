// The terminal left as it was found: the settings before the stand-in's first tcsetattr,
// restored on every way out of the process that runs code.
#include "platform/standin/terminal.h"

#include <signal.h>
#include <sys/stat.h>
#include <termios.h>

#include "platform/standin/ending.h"

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};

bool recorded;
int recorded_fd;
dev_t recorded_device;
ino_t recorded_inode;
termios recorded_settings;

// The settings go back first; the signal then takes its default action.
void restore_then_end(int signal) { standin::end_by_signal(signal); }

// A signal the user set to be ignored (nohup, a background job) stays ignored.
void catch_if_default(int signal) {
    struct sigaction current;
    if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
    struct sigaction action = {};
    action.sa_handler = restore_then_end;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

// The descriptor may have been closed and taken by another file since the settings were
// recorded (the tests open and close terminals): only the very terminal counts.
bool recorded_terminal_open() {
    struct stat status;
    if (!recorded || fstat(recorded_fd, &status) != 0) return false;
    return status.st_rdev == recorded_device && status.st_ino == recorded_inode;
}

}  // namespace

namespace standin {

void remember_terminal(int fd) {
    struct stat status;
    if (recorded_terminal_open() || fstat(fd, &status) != 0) return;
    if (tcgetattr(fd, &recorded_settings) != 0) return;
    recorded_fd = fd;
    recorded_device = status.st_rdev;
    recorded_inode = status.st_ino;
    recorded = true;
    for (int signal : kEndingSignals) catch_if_default(signal);
}

void restore_terminal() {
    if (recorded_terminal_open()) tcsetattr(recorded_fd, TCSANOW, &recorded_settings);
}

}  // namespace standin
