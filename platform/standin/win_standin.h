// Windows calls over POSIX: the stand-in the native build links in place of KERNEL32 and
// USER32. It provides exactly the calls, types and constants logtally uses, with the
// semantics the platform services rely on; it holds no program logic.
//
// Handles: the standard handles and files are handle values (fd + 1) * 4, never 0 (which
// keeps its "no handle" meaning) and never INVALID_HANDLE_VALUE. A value that is not of this
// form fails every call like a closed handle. GetCurrentProcess gives the pseudo handle -1,
// as on Windows; only SetPriorityClass accepts it.
//
// The calls, one line each:
// - GetStdHandle: the handle of descriptor 0, 1 or 2; 0 when that descriptor is not open.
// - GetFileType: FILE_TYPE_CHAR for a terminal or other character device, FILE_TYPE_DISK for
//   a regular file or block device, FILE_TYPE_PIPE for a FIFO or socket, else UNKNOWN.
// - GetFileInformationByHandle: from fstat: size, last-write and last-access time, the
//   status-change time as creation time (POSIX keeps no other), links, device and inode.
// - GetConsoleMode / SetConsoleMode: fail (and change nothing) unless the handle is a
//   terminal. On a terminal ENABLE_PROCESSED_INPUT, ENABLE_LINE_INPUT and ENABLE_ECHO_INPUT
//   are the terminal's ISIG, ICANON and ECHO; the other bits are only remembered. A Windows
//   console keeps the mode a program set; a terminal is shared with the shell that started
//   the program, so the settings it had before the first change are put back when the
//   process ends: in ExitProcess, on a fault handed back to the system, and on SIGINT,
//   SIGQUIT, SIGTERM and SIGHUP (which then take their default action).
// - WriteFile / ReadFile: one write() / read() each; the count moved is reported (0 when the
//   call fails) and the result is nonzero unless the system call failed.
// - CreateFileA: OPEN_EXISTING, CREATE_ALWAYS or CREATE_NEW; the path is used as given. The
//   open never blocks (O_NONBLOCK, cleared once open): a FIFO without a writer opens at once,
//   and what it is is left to GetFileType. A regular file is locked with flock, exclusively
//   for share mode 0 (shared otherwise), so a second opener fails while the holder keeps it
//   open; CREATE_ALWAYS truncates only after the lock is held. CREATE_NEW fails when the name
//   exists in any form, a link included, so it never follows one. A directory cannot be
//   opened.
// - CloseHandle: close().
// - MoveFileExA: rename(), so a link or FIFO at the new name is replaced as a name. Refuses
//   as Windows does: an existing new name without MOVEFILE_REPLACE_EXISTING, a directory, a
//   read-only file (no write permission bit) or one that another opener holds (flock).
// - DeleteFileA: unlink(); a link is deleted, not what it points at.
// - GetFileAttributesA: lstat(): FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_REPARSE_POINT for a
//   symbolic link, FILE_ATTRIBUTE_DEVICE for a FIFO, socket or device, otherwise
//   FILE_ATTRIBUTE_NORMAL, or FILE_ATTRIBUTE_READONLY without a write permission bit;
//   INVALID_FILE_ATTRIBUTES when there is no such name.
// - GetCurrentProcessId: getpid().
// - GetLastError / SetLastError: a plain static (one thread). Every call above that fails
//   sets it from errno: ENOENT gives 2 when the folder part of the path exists, else 3
//   (Windows tells a missing file from a missing folder; POSIX does not); ENOTDIR 3;
//   EACCES, EPERM and EROFS 5; EISDIR 5 too, as Windows refuses to open a folder as a file
//   with access denied; EWOULDBLOCK from the exclusive flock 32 (a sharing violation, which
//   POSIX, whose locks are advisory, knows only here); ENOSPC, EDQUOT and EFBIG 112 (Windows
//   has no file-size limit of a process: reaching one is a full disk to the writer);
//   ENAMETOOLONG and EINVAL 123; EEXIST 80; EBUSY 32 (a name the system holds, as a mount
//   point); EBADF and ENOTTY 6, but EBADF of a read or write on a
//   descriptor open without that access 5; EPIPE 232; EIO 21; EMFILE, ENFILE 4; ENOMEM 8;
//   any other errno 31 (ERROR_GEN_FAILURE). Arguments a call does not take give 87, a
//   handle it does not take 6, a buffer too small 122. A successful call leaves it as it was.
// - GetCommandLineA: the program name (quoted when it is empty or holds a blank; double
//   quotes in it left out), a blank, and the arguments joined by blanks inside one pair of
//   double quotes. logtally takes its path from between the first and the last quote, so a
//   single argument comes back exactly as given; several come back as one path, as an
//   unquoted command line typed on Windows.
// - GetCommandLineW: the same line, each byte one UTF-16 unit. WideCharToMultiByte (CP_ACP
//   only) turns units up to 0xFF back into those bytes and anything else into the default
//   character, reporting that it used it. A POSIX file name is bytes taken as they are, so
//   natively no character of a command line lacks its exact ANSI form.
// - GetFullPathNameA: the name made absolute against the working directory, with "." and
//   ".." resolved as text; the file need not exist.
// - ExitProcess: the terminal's settings put back (see SetConsoleMode), then _exit().
// - Sleep: nanosleep. GetSystemInfo: page size, allocation granularity, processor count.
// - VirtualAlloc: mmap of whole pages, zero-filled; address must be null and protection
//   PAGE_READWRITE. VirtualFree with MEM_RELEASE: munmap of a whole region VirtualAlloc gave
//   (the stand-in remembers the sizes of the last 256 live regions; an unknown address fails).
// - SetPriorityClass: setpriority with nice values IDLE 19, BELOW_NORMAL 10, NORMAL 0,
//   HIGH -10 (raising the priority needs the privilege to do so).
// - GetVersion: a fixed NT-family value, version 6.2 build 9200.
// - MessageBoxA: there is no desktop: caption and text go to the terminal (/dev/tty), or to
//   standard error when there is none, and the result is IDOK.
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
inline constexpr DWORD ERROR_NO_DATA = 232;

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

// --- KERNEL32 -------------------------------------------------------------------------
HANDLE GetStdHandle(DWORD which);
DWORD GetFileType(HANDLE handle);
BOOL GetFileInformationByHandle(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION info);
BOOL GetConsoleMode(HANDLE handle, LPDWORD mode);
BOOL SetConsoleMode(HANDLE handle, DWORD mode);
BOOL WriteFile(HANDLE handle, LPCVOID data, DWORD count, LPDWORD written, LPOVERLAPPED overlapped);
BOOL ReadFile(HANDLE handle, LPVOID data, DWORD count, LPDWORD read, LPOVERLAPPED overlapped);
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD attributes, HANDLE template_file);
BOOL CloseHandle(HANDLE handle);
BOOL MoveFileExA(LPCSTR existing, LPCSTR new_name, DWORD flags);
BOOL DeleteFileA(LPCSTR name);
DWORD GetFileAttributesA(LPCSTR name);
DWORD GetLastError();
void SetLastError(DWORD code);
DWORD GetCurrentProcessId();
LPSTR GetCommandLineA();
LPWSTR GetCommandLineW();
int WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR wide, int wide_count, LPSTR out,
                        int out_size, LPCSTR default_char, LPBOOL used_default);
DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* file_part);
[[noreturn]] void ExitProcess(UINT code);
void Sleep(DWORD milliseconds);
void GetSystemInfo(LPSYSTEM_INFO info);
LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protection);
BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD type);
HANDLE GetCurrentProcess();
BOOL SetPriorityClass(HANDLE process, DWORD priority_class);
DWORD GetVersion();
LPTOP_LEVEL_EXCEPTION_FILTER SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter);

// --- USER32 ---------------------------------------------------------------------------
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// --- The stand-in's own start-up --------------------------------------------------------
// Records the process arguments, from which GetCommandLineA rebuilds the command line, and
// makes a write to a closed pipe or past the file-size limit fail (reported as a short
// write) instead of ending the process, as on Windows. Called by the native main before
// anything else.
void standin_set_arguments(int argc, char** argv);

// --- Paths ----------------------------------------------------------------------------
// A folder separator: only the slash here, where a backslash is an ordinary file-name
// character (win_api.h gives Windows both).
inline bool is_folder_separator(char c) { return c == '/'; }
