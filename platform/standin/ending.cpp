// The ways out of a stand-in process that run code.
#include "platform/standin/ending.h"

#include <signal.h>
#include <unistd.h>

#include "platform/standin/handle_marks.h"
#include "platform/standin/terminal.h"

namespace standin {

void process_ending() {
    restore_terminal();
    delete_all_on_close();
}

void end_by_signal(int signal) {
    process_ending();
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    _exit(128 + signal);  // a signal whose default action does not end the process
}

}  // namespace standin
