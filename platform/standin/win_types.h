// The Windows types, records and constants the stand-in's calls take, as the system defines
// them.
#pragma once

#include <cstdint>

typedef void* HANDLE;
typedef void* HWND;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef uint32_t DWORD;
typedef DWORD* LPDWORD;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef int32_t BOOL;
typedef BOOL* LPBOOL;
typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t SIZE_T;
typedef struct OVERLAPPED* LPOVERLAPPED;
typedef struct SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

#define WINAPI
#define TRUE 1
#define FALSE 0
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))

inline constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
inline constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
inline constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);

inline constexpr DWORD FILE_TYPE_UNKNOWN = 0;
inline constexpr DWORD FILE_TYPE_DISK = 1;
inline constexpr DWORD FILE_TYPE_CHAR = 2;
inline constexpr DWORD FILE_TYPE_PIPE = 3;

inline constexpr DWORD ENABLE_PROCESSED_INPUT = 0x1;
inline constexpr DWORD ENABLE_LINE_INPUT = 0x2;
inline constexpr DWORD ENABLE_ECHO_INPUT = 0x4;
inline constexpr DWORD ENABLE_WINDOW_INPUT = 0x8;
inline constexpr DWORD ENABLE_MOUSE_INPUT = 0x10;

inline constexpr DWORD GENERIC_READ = 0x80000000u;
inline constexpr DWORD GENERIC_WRITE = 0x40000000u;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD FILE_SHARE_DELETE = 0x4;
inline constexpr DWORD DELETE = 0x00010000;
inline constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;
inline constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000;
inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_DEVICE = 0x40;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
inline constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
inline constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;
inline constexpr DWORD INFINITE = 0xFFFFFFFFu;

inline constexpr DWORD CTRL_C_EVENT = 0;
inline constexpr DWORD CTRL_BREAK_EVENT = 1;
inline constexpr DWORD CTRL_CLOSE_EVENT = 2;
inline constexpr DWORD CTRL_LOGOFF_EVENT = 5;
inline constexpr DWORD CTRL_SHUTDOWN_EVENT = 6;
inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;

inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_NOT_READY = 21;
inline constexpr DWORD ERROR_GEN_FAILURE = 31;
inline constexpr DWORD ERROR_SHARING_VIOLATION = 32;
inline constexpr DWORD ERROR_FILE_EXISTS = 80;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_DISK_FULL = 112;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_INVALID_NAME = 123;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr DWORD ERROR_BROKEN_PIPE = 109;
inline constexpr DWORD ERROR_NO_DATA = 232;
inline constexpr DWORD ERROR_PIPE_NOT_CONNECTED = 233;

inline constexpr UINT CP_ACP = 0;
inline constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;

inline constexpr DWORD MEM_COMMIT = 0x1000;
inline constexpr DWORD MEM_RESERVE = 0x2000;
inline constexpr DWORD MEM_RELEASE = 0x8000;
inline constexpr DWORD PAGE_READWRITE = 0x04;

inline constexpr DWORD NORMAL_PRIORITY_CLASS = 0x20;
inline constexpr DWORD IDLE_PRIORITY_CLASS = 0x40;
inline constexpr DWORD HIGH_PRIORITY_CLASS = 0x80;
inline constexpr DWORD BELOW_NORMAL_PRIORITY_CLASS = 0x4000;

inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_SETFOREGROUND = 0x10000;
inline constexpr int IDOK = 1;

struct SYSTEM_INFO {
    WORD wProcessorArchitecture;
    WORD wReserved;
    DWORD dwPageSize;
    LPVOID lpMinimumApplicationAddress;
    LPVOID lpMaximumApplicationAddress;
    ULONG_PTR dwActiveProcessorMask;
    DWORD dwNumberOfProcessors;
    DWORD dwProcessorType;
    DWORD dwAllocationGranularity;
    WORD wProcessorLevel;
    WORD wProcessorRevision;
};
typedef SYSTEM_INFO* LPSYSTEM_INFO;

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
};
typedef BY_HANDLE_FILE_INFORMATION* LPBY_HANDLE_FILE_INFORMATION;

// --- Exceptions: the 32-bit x86 records a top-level filter receives ---------------------
// SetUnhandledExceptionFilter (x86-64 Linux only) catches SIGSEGV, SIGBUS, SIGFPE, SIGILL and
// SIGTRAP on an alternate signal stack, so that a stack overflow is reported too, and hands
// the installed filter an EXCEPTION_RECORD and a CONTEXT built from the signal. Only a fault
// of the process itself is an exception: such a signal sent by a process (kill, sigqueue,
// raise: si_code SI_USER, SI_QUEUE, SI_TKILL) takes its default action, unreported.
//
//   SIGSEGV within 64 KiB of the stack pointer    EXCEPTION_STACK_OVERFLOW
//   SIGSEGV otherwise                             EXCEPTION_ACCESS_VIOLATION
//   SIGBUS, BUS_ADRALN                            EXCEPTION_DATATYPE_MISALIGNMENT
//   SIGBUS otherwise                              EXCEPTION_IN_PAGE_ERROR
//   SIGFPE, FPE_INTDIV                            EXCEPTION_INT_DIVIDE_BY_ZERO
//   SIGFPE, FPE_INTOVF                            EXCEPTION_INT_OVERFLOW
//   SIGFPE, FPE_FLTDIV                            EXCEPTION_FLT_DIVIDE_BY_ZERO
//   SIGFPE, FPE_FLTOVF                            EXCEPTION_FLT_OVERFLOW
//   SIGFPE, FPE_FLTUND                            EXCEPTION_FLT_UNDERFLOW
//   SIGFPE, FPE_FLTRES                            EXCEPTION_FLT_INEXACT_RESULT
//   SIGFPE, FPE_FLTINV                            EXCEPTION_FLT_INVALID_OPERATION
//   SIGFPE, FPE_FLTSUB                            EXCEPTION_ARRAY_BOUNDS_EXCEEDED
//   SIGILL, ILL_PRVOPC                            EXCEPTION_PRIV_INSTRUCTION
//   SIGILL otherwise                              EXCEPTION_ILLEGAL_INSTRUCTION
//   SIGTRAP, TRAP_TRACE / TRAP_HWBKPT             EXCEPTION_SINGLE_STEP
//   SIGTRAP otherwise                             EXCEPTION_BREAKPOINT
//
// ExceptionAddress is RIP; after an int3 (SIGTRAP from the kernel) it and Eip are moved back
// onto the int3, as Windows reports a breakpoint. The access violation and the in-page error
// (and the stack overflow) carry NumberParameters 2: word 0 the access kind from the
// page-fault error code of the signal context (bit 4 instruction fetch:
// EXCEPTION_EXECUTE_FAULT; else bit 1 write: EXCEPTION_WRITE_FAULT; else
// EXCEPTION_READ_FAULT), word 1 the fault address (si_addr); word 2 is 0. Every other word is 0.
// CONTEXT: the low 32 bits of RIP, RSP, RBP, RAX, RBX, RCX, RDX, RSI, RDI and EFLAGS; SegCs,
// SegGs and SegFs from the signal context, SegSs when the kernel saved it; SegDs, SegEs, the
// debug and floating-point areas 0. Only the low 32 bits of an address reach the filter.
//
// The filter runs inside the signal handler, so it may only use async-signal-safe calls
// (the stand-in's WriteFile, CreateFileA, Sleep and ExitProcess are). A fault inside the
// filter enters it again. When the filter returns, the signal's default action ends the
// process, as the system's own handling would. SetUnhandledExceptionFilter(nullptr) restores
// the default actions. The previous filter is returned, null at first.
inline constexpr int EXCEPTION_MAXIMUM_PARAMETERS = 15;
inline constexpr LONG EXCEPTION_EXECUTE_HANDLER = 1;
inline constexpr LONG EXCEPTION_CONTINUE_SEARCH = 0;

// The exception codes an EXCEPTION_RECORD carries, and the access kinds in word 0 of an
// access violation's or in-page error's ExceptionInformation.
inline constexpr DWORD EXCEPTION_GUARD_PAGE = 0x80000001u;
inline constexpr DWORD EXCEPTION_DATATYPE_MISALIGNMENT = 0x80000002u;
inline constexpr DWORD EXCEPTION_BREAKPOINT = 0x80000003u;
inline constexpr DWORD EXCEPTION_SINGLE_STEP = 0x80000004u;
inline constexpr DWORD EXCEPTION_ACCESS_VIOLATION = 0xC0000005u;
inline constexpr DWORD EXCEPTION_IN_PAGE_ERROR = 0xC0000006u;
inline constexpr DWORD EXCEPTION_INVALID_HANDLE = 0xC0000008u;
inline constexpr DWORD EXCEPTION_ILLEGAL_INSTRUCTION = 0xC000001Du;
inline constexpr DWORD EXCEPTION_NONCONTINUABLE_EXCEPTION = 0xC0000025u;
inline constexpr DWORD EXCEPTION_INVALID_DISPOSITION = 0xC0000026u;
inline constexpr DWORD EXCEPTION_ARRAY_BOUNDS_EXCEEDED = 0xC000008Cu;
inline constexpr DWORD EXCEPTION_FLT_DENORMAL_OPERAND = 0xC000008Du;
inline constexpr DWORD EXCEPTION_FLT_DIVIDE_BY_ZERO = 0xC000008Eu;
inline constexpr DWORD EXCEPTION_FLT_INEXACT_RESULT = 0xC000008Fu;
inline constexpr DWORD EXCEPTION_FLT_INVALID_OPERATION = 0xC0000090u;
inline constexpr DWORD EXCEPTION_FLT_OVERFLOW = 0xC0000091u;
inline constexpr DWORD EXCEPTION_FLT_STACK_CHECK = 0xC0000092u;
inline constexpr DWORD EXCEPTION_FLT_UNDERFLOW = 0xC0000093u;
inline constexpr DWORD EXCEPTION_INT_DIVIDE_BY_ZERO = 0xC0000094u;
inline constexpr DWORD EXCEPTION_INT_OVERFLOW = 0xC0000095u;
inline constexpr DWORD EXCEPTION_PRIV_INSTRUCTION = 0xC0000096u;
inline constexpr DWORD EXCEPTION_STACK_OVERFLOW = 0xC00000FDu;
inline constexpr DWORD CONTROL_C_EXIT = 0xC000013Au;
inline constexpr DWORD EXCEPTION_READ_FAULT = 0;
inline constexpr DWORD EXCEPTION_WRITE_FAULT = 1;
inline constexpr DWORD EXCEPTION_EXECUTE_FAULT = 8;

struct EXCEPTION_RECORD {
    DWORD ExceptionCode;
    DWORD ExceptionFlags;
    EXCEPTION_RECORD* ExceptionRecord;
    LPVOID ExceptionAddress;
    DWORD NumberParameters;
    ULONG_PTR ExceptionInformation[EXCEPTION_MAXIMUM_PARAMETERS];
};

struct FLOATING_SAVE_AREA {
    DWORD ControlWord, StatusWord, TagWord, ErrorOffset, ErrorSelector, DataOffset, DataSelector;
    BYTE RegisterArea[80];
    DWORD Cr0NpxState;
};

struct CONTEXT {
    DWORD ContextFlags;
    DWORD Dr0, Dr1, Dr2, Dr3, Dr6, Dr7;
    FLOATING_SAVE_AREA FloatSave;
    DWORD SegGs, SegFs, SegEs, SegDs;
    DWORD Edi, Esi, Ebx, Edx, Ecx, Eax;
    DWORD Ebp, Eip, SegCs, EFlags, Esp, SegSs;
    BYTE ExtendedRegisters[512];
};

struct EXCEPTION_POINTERS {
    EXCEPTION_RECORD* ExceptionRecord;
    CONTEXT* ContextRecord;
};

typedef LONG(WINAPI* LPTOP_LEVEL_EXCEPTION_FILTER)(EXCEPTION_POINTERS* pointers);
typedef BOOL(WINAPI* PHANDLER_ROUTINE)(DWORD event);
