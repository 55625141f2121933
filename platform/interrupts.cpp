// The console-event handler and the state through which it and the program share the files
// the program is making.
#include "platform/interrupts.h"

namespace {

enum FileState : int32_t {
    kNoFiles,     // nothing made yet: an event ends the run at once
    kHeld,        // the program is in a step that must not be cut: an event waits
    kAtRisk,      // between steps: an event deletes the files and ends the run
    kDiscarding,  // the files are being deleted, by the program or by an event
    kDiscarded,   // they are gone
    kMoving,      // the moves run: an event waits for their end
    kInPlace,     // moved: an event ends the run at once
};

// How long a waiting side sleeps before it looks again.
constexpr DWORD kWaitStepMs = 1;

int32_t state = kNoFiles;
int32_t event_waiting;  // 1 once an event waits for the end of the moves
void (*discard)();

int32_t load_state() { return __atomic_load_n(&state, __ATOMIC_SEQ_CST); }

void store_state(int32_t value) { __atomic_store_n(&state, value, __ATOMIC_SEQ_CST); }

bool take_state(int32_t from, int32_t to) {
    return __atomic_compare_exchange_n(&state, &from, to, false, __ATOMIC_SEQ_CST,
                                       __ATOMIC_SEQ_CST);
}

[[noreturn]] void end_as_interrupted() { ExitProcess(CONTROL_C_EXIT); }

// The files were deleted by an event, whose handler ends the process.
[[noreturn]] void wait_for_the_end() {
    for (;;) Sleep(INFINITE);
}

void discard_once(int32_t from) {
    if (!take_state(from, kDiscarding)) return;
    if (discard) discard();
    store_state(kDiscarded);
}

}  // namespace

void install_interrupt_handler() { SetConsoleCtrlHandler(end_on_console_event, TRUE); }

void begin_files(void (*discard_function)()) {
    discard = discard_function;
    store_state(kHeld);
}

void hold_files() {
    if (!take_state(kAtRisk, kHeld)) wait_for_the_end();
}

void release_files() { store_state(kAtRisk); }

void begin_moves() {
    if (!take_state(kAtRisk, kMoving)) wait_for_the_end();
}

void end_moves() {
    store_state(kInPlace);
    if (__atomic_load_n(&event_waiting, __ATOMIC_SEQ_CST)) end_as_interrupted();
}

// The program's own state: no event deletes the files while the program holds them or moves
// them, so only at risk can the two meet.
void discard_files() {
    for (;;) {
        int32_t seen = load_state();
        if (seen == kNoFiles || seen == kDiscarded || seen == kInPlace) return;
        if (seen == kDiscarding) {
            Sleep(kWaitStepMs);
            continue;
        }
        discard_once(seen);
    }
}

BOOL WINAPI end_on_console_event(DWORD) {
    for (;;) {
        int32_t seen = load_state();
        if (seen == kNoFiles || seen == kDiscarded || seen == kInPlace) break;
        if (seen == kAtRisk) {
            discard_once(kAtRisk);
            continue;
        }
        if (seen == kMoving) __atomic_store_n(&event_waiting, 1, __ATOMIC_SEQ_CST);
        Sleep(kWaitStepMs);
    }
    end_as_interrupted();
}
