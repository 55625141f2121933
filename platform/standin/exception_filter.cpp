// SetUnhandledExceptionFilter over POSIX signals: a fault becomes the exception records of a
// 32-bit x86 process and goes to the installed filter (mapping in win_standin.h).
#include <signal.h>
#include <sys/mman.h>
#include <ucontext.h>

#include "platform/standin/ending.h"
#include "platform/standin/win_standin.h"

#if !defined(__x86_64__) || !defined(__linux__)
#error "the stand-in's exception filter reads the x86-64 Linux signal context"
#endif

namespace {

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP};

// A SIGSEGV this close to the stack pointer is the stack running out, not a stray pointer.
constexpr uint64_t kStackOverflowReach = 64 * 1024;

// Page-fault error code bits and the kernel's "SS saved" flag (asm/ucontext.h).
constexpr uint64_t kFaultWrite = 0x2;
constexpr uint64_t kFaultInstructionFetch = 0x10;
constexpr unsigned long kContextHasSs = 0x2;

constexpr DWORD kContextI386Full = 0x10007;

constexpr size_t kAlternateStackSize = 64 * 1024;
constexpr size_t kGuardSize = 4096;

LPTOP_LEVEL_EXCEPTION_FILTER installed_filter;
bool alternate_stack_ready;

uint64_t fault_address(const siginfo_t* info) {
    return reinterpret_cast<uint64_t>(info->si_addr);
}

bool is_stack_overflow(const siginfo_t* info, const mcontext_t& m) {
    uint64_t fault = fault_address(info);
    uint64_t sp = static_cast<uint64_t>(m.gregs[REG_RSP]);
    uint64_t distance = fault > sp ? fault - sp : sp - fault;
    return distance < kStackOverflowReach;
}

DWORD fpe_code(int si_code) {
    switch (si_code) {
        case FPE_INTOVF: return EXCEPTION_INT_OVERFLOW;
        case FPE_FLTDIV: return EXCEPTION_FLT_DIVIDE_BY_ZERO;
        case FPE_FLTOVF: return EXCEPTION_FLT_OVERFLOW;
        case FPE_FLTUND: return EXCEPTION_FLT_UNDERFLOW;
        case FPE_FLTRES: return EXCEPTION_FLT_INEXACT_RESULT;
        case FPE_FLTINV: return EXCEPTION_FLT_INVALID_OPERATION;
        case FPE_FLTSUB: return EXCEPTION_ARRAY_BOUNDS_EXCEEDED;
        default: return EXCEPTION_INT_DIVIDE_BY_ZERO;
    }
}

DWORD exception_code(int signal, const siginfo_t* info, const mcontext_t& m) {
    switch (signal) {
        case SIGSEGV:
            return is_stack_overflow(info, m) ? EXCEPTION_STACK_OVERFLOW
                                              : EXCEPTION_ACCESS_VIOLATION;
        case SIGBUS:
            return info->si_code == BUS_ADRALN ? EXCEPTION_DATATYPE_MISALIGNMENT
                                               : EXCEPTION_IN_PAGE_ERROR;
        case SIGFPE: return fpe_code(info->si_code);
        case SIGILL:
            return info->si_code == ILL_PRVOPC ? EXCEPTION_PRIV_INSTRUCTION
                                               : EXCEPTION_ILLEGAL_INSTRUCTION;
        default: break;
    }
    bool stepped = info->si_code == TRAP_TRACE || info->si_code == TRAP_HWBKPT;
    return stepped ? EXCEPTION_SINGLE_STEP : EXCEPTION_BREAKPOINT;
}

ULONG_PTR access_kind(const mcontext_t& m) {
    uint64_t error = static_cast<uint64_t>(m.gregs[REG_ERR]);
    if (error & kFaultInstructionFetch) return EXCEPTION_EXECUTE_FAULT;
    if (error & kFaultWrite) return EXCEPTION_WRITE_FAULT;
    return EXCEPTION_READ_FAULT;
}

// Windows reports a breakpoint at the int3 itself; the kernel leaves RIP after it.
uint64_t instruction_address(int signal, const siginfo_t* info, const mcontext_t& m) {
    uint64_t rip = static_cast<uint64_t>(m.gregs[REG_RIP]);
    return signal == SIGTRAP && info->si_code == SI_KERNEL ? rip - 1 : rip;
}

void fill_record(int signal, const siginfo_t* info, const mcontext_t& m,
                 EXCEPTION_RECORD* record) {
    record->ExceptionCode = exception_code(signal, info, m);
    record->ExceptionAddress = reinterpret_cast<LPVOID>(instruction_address(signal, info, m));
    if (signal != SIGSEGV && signal != SIGBUS) return;
    record->NumberParameters = 2;
    record->ExceptionInformation[0] = access_kind(m);
    record->ExceptionInformation[1] = static_cast<ULONG_PTR>(fault_address(info));
}

DWORD low32(greg_t value) { return static_cast<DWORD>(value); }

void fill_context(const ucontext_t* uc, uint64_t address, CONTEXT* c) {
    const greg_t* g = uc->uc_mcontext.gregs;
    c->ContextFlags = kContextI386Full;
    c->Eax = low32(g[REG_RAX]);
    c->Ebx = low32(g[REG_RBX]);
    c->Ecx = low32(g[REG_RCX]);
    c->Edx = low32(g[REG_RDX]);
    c->Esi = low32(g[REG_RSI]);
    c->Edi = low32(g[REG_RDI]);
    c->Ebp = low32(g[REG_RBP]);
    c->Esp = low32(g[REG_RSP]);
    c->Eip = static_cast<DWORD>(address);
    c->EFlags = low32(g[REG_EFL]);
    uint64_t segments = static_cast<uint64_t>(g[REG_CSGSFS]);  // cs, gs, fs, ss: 16 bits each
    c->SegCs = segments & 0xFFFF;
    c->SegGs = (segments >> 16) & 0xFFFF;
    c->SegFs = (segments >> 32) & 0xFFFF;
    c->SegSs = uc->uc_flags & kContextHasSs ? (segments >> 48) & 0xFFFF : 0;
}

void set_action(int signal, void (*handler)(int, siginfo_t*, void*)) {
    struct sigaction action = {};
    sigemptyset(&action.sa_mask);
    if (handler) {
        action.sa_sigaction = handler;
        // NODEFER lets a fault inside the filter reach it again instead of killing the process.
        action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    } else {
        action.sa_handler = SIG_DFL;
    }
    sigaction(signal, &action, nullptr);
}

void hand_back_to_system(int signal) {
    standin::process_ending();
    set_action(signal, nullptr);
    raise(signal);
}

// kill, sigqueue, tgkill and the like give si_code 0 or below; the kernel's own faults a
// positive one. Windows has no way for another process to raise an exception in this one.
bool sent_by_a_process(const siginfo_t* info) { return info->si_code <= 0; }

void on_fault(int signal, siginfo_t* info, void* context) {
    const ucontext_t* uc = static_cast<const ucontext_t*>(context);
    LPTOP_LEVEL_EXCEPTION_FILTER filter = installed_filter;
    if (!filter || sent_by_a_process(info)) return hand_back_to_system(signal);
    EXCEPTION_RECORD record = {};
    CONTEXT registers = {};
    fill_record(signal, info, uc->uc_mcontext, &record);
    fill_context(uc, reinterpret_cast<uint64_t>(record.ExceptionAddress), &registers);
    EXCEPTION_POINTERS pointers = {&record, &registers};
    filter(&pointers);
    hand_back_to_system(signal);
}

// The guard page below the stack turns a runaway filter into a fatal fault instead of letting
// it write over whatever lies below.
void prepare_alternate_stack() {
    if (alternate_stack_ready) return;
    void* area = mmap(nullptr, kGuardSize + kAlternateStackSize, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED) return;
    mprotect(area, kGuardSize, PROT_NONE);
    stack_t stack = {};
    stack.ss_sp = static_cast<char*>(area) + kGuardSize;
    stack.ss_size = kAlternateStackSize;
    alternate_stack_ready = sigaltstack(&stack, nullptr) == 0;
}

}  // namespace

LPTOP_LEVEL_EXCEPTION_FILTER SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter) {
    LPTOP_LEVEL_EXCEPTION_FILTER previous = installed_filter;
    installed_filter = filter;
    if (filter) prepare_alternate_stack();
    for (int signal : kFaultSignals) set_action(signal, filter ? on_fault : nullptr);
    return previous;
}
