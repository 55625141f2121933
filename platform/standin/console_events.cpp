// SetConsoleCtrlHandler over POSIX signals: SIGINT, SIGTERM and SIGHUP become console events,
// handled as Windows handles them, on a thread of their own while the program goes on.
#include <pthread.h>
#include <signal.h>

#include "platform/standin/ending.h"
#include "platform/standin/win_standin.h"

namespace {

struct ConsoleSignal {
    int signal;
    DWORD event;
};

// Ctrl+C is SIGINT; a closing terminal SIGHUP; SIGTERM, the request of the system or of
// another program to end, stands for the shutdown that Windows announces the same way.
constexpr ConsoleSignal kConsoleSignals[] = {
    {SIGINT, CTRL_C_EVENT}, {SIGTERM, CTRL_SHUTDOWN_EVENT}, {SIGHUP, CTRL_CLOSE_EVENT}};

constexpr int kMostHandlers = 8;
constexpr size_t kHandlerStackSize = 256 * 1024;

// Written by the program's thread, read by the handlers' thread once an event came; a
// handler is added before the events it is meant for.
PHANDLER_ROUTINE handlers[kMostHandlers];
volatile int handler_count;
volatile bool events_ignored;
volatile int last_console_signal;  // 0 until a console signal was taken

sigset_t waited_signals;
bool thread_started;

DWORD event_of(int signal) {
    for (const ConsoleSignal& s : kConsoleSignals)
        if (s.signal == signal) return s.event;
    return CTRL_C_EVENT;
}

// Handlers run last added first until one returns TRUE; none did: the system's own handling.
void handle(int signal) {
    last_console_signal = signal;
    if (events_ignored) return;
    for (int i = handler_count - 1; i >= 0; --i)
        if (handlers[i](event_of(signal))) return;
    ExitProcess(CONTROL_C_EXIT);
}

void* wait_for_events(void*) {
    for (;;) {
        int signal = 0;
        if (sigwait(&waited_signals, &signal) == 0) handle(signal);
    }
}

// A signal the user set to be ignored (nohup, a background job) stays ignored.
bool ignored(int signal) {
    struct sigaction current;
    return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

bool start_thread() {
    sigemptyset(&waited_signals);
    for (const ConsoleSignal& s : kConsoleSignals)
        if (!ignored(s.signal)) sigaddset(&waited_signals, s.signal);
    pthread_sigmask(SIG_BLOCK, &waited_signals, nullptr);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kHandlerStackSize);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    bool started = pthread_create(&thread, &attributes, wait_for_events, nullptr) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) pthread_sigmask(SIG_UNBLOCK, &waited_signals, nullptr);
    return started;
}

BOOL remove_handler(PHANDLER_ROUTINE handler) {
    for (int i = 0; i < handler_count; ++i) {
        if (handlers[i] != handler) continue;
        for (int j = i + 1; j < handler_count; ++j) handlers[j - 1] = handlers[j];
        handler_count = handler_count - 1;
        return 1;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

}  // namespace

BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add) {
    if (!handler) {
        events_ignored = add != 0;
        return 1;
    }
    if (!add) return remove_handler(handler);
    if (handler_count == kMostHandlers) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (!thread_started && !(thread_started = start_thread())) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    handlers[handler_count] = handler;
    handler_count = handler_count + 1;
    return 1;
}

namespace standin {

void end_by_console_signal() { end_by_signal(last_console_signal ? last_console_signal : SIGINT); }

}  // namespace standin
