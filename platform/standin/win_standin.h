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
//   unless the share mode holds FILE_SHARE_READ or FILE_SHARE_WRITE (shared then), so a
//   second opener fails while the holder keeps it open; CREATE_ALWAYS truncates only after
//   the lock is held. CREATE_NEW fails when the name exists in any form, a link included, so
//   it never follows one. A directory cannot be opened. Access 0 only looks at the file
//   (O_PATH: no lock, no sharing conflict, as on Windows). DELETE access fails, as access
//   denied, where POSIX would not let the caller remove the name: a folder it cannot write,
//   or a sticky folder (/tmp) holding another owner's file. FILE_FLAG_DELETE_ON_CLOSE: the
//   name is removed when the handle is closed or the process ends in a way that runs code
//   (not after SIGKILL: the empty file left can be opened again); the open fails with a
//   sharing violation when the name came to hold another file while it was being locked. A
//   name that lies in /dev or /proc, or leads there through symbolic links (/dev/stdin), is
//   opened as a device of Windows' device namespace: GetFileType says FILE_TYPE_CHAR.
// - SetFilePointer: lseek() to a 32-bit offset from the start (FILE_BEGIN only, no high
//   part); the new offset, or INVALID_SET_FILE_POINTER when the call fails.
// - CloseHandle: close(), after removing a FILE_FLAG_DELETE_ON_CLOSE file's name when it
//   still holds that file.
// - FlushFileBuffers: fsync().
// - MoveFileExA: rename(), so a link or FIFO at the new name is replaced as a name. Refuses
//   as Windows does: an existing new name without MOVEFILE_REPLACE_EXISTING, a directory or a
//   link to one, a read-only file (no write permission bit) or one that another opener holds
//   (flock). MOVEFILE_WRITE_THROUGH: the folder of the new name is synced (fsync) before the
//   call returns, so that the move outlives a power loss.
// - DeleteFileA: unlink(); a link is deleted, not what it points at.
// - GetFileAttributesA: lstat(): FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_REPARSE_POINT for a
//   symbolic link (with FILE_ATTRIBUTE_DIRECTORY when it leads to a folder, as a Windows
//   folder link has), FILE_ATTRIBUTE_DEVICE for a FIFO, socket or device, otherwise
//   FILE_ATTRIBUTE_NORMAL, or FILE_ATTRIBUTE_READONLY without a write permission bit;
//   INVALID_FILE_ATTRIBUTES when there is no such name.
// - GetCurrentProcessId: getpid(). GetTickCount: milliseconds of the monotonic clock.
// - SetConsoleCtrlHandler: SIGINT, SIGTERM and SIGHUP (those not ignored when the first
//   handler is added) become CTRL_C_EVENT, CTRL_SHUTDOWN_EVENT and CTRL_CLOSE_EVENT. As on
//   Windows the handlers run on a thread of their own, the last added first, while the
//   program goes on; when none returns TRUE, the process ends as ExitProcess(CONTROL_C_EXIT).
//   A null handler with TRUE ignores the events. The signals are blocked in the thread that
//   adds the first handler and waited for by the handlers' thread.
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
//   unquoted command line typed on Windows. A first argument "--" stands before the quotes
//   (the line is then as `logtally -- "PATH"` typed on Windows).
// - GetCommandLineW: the same line, each byte one UTF-16 unit. WideCharToMultiByte (CP_ACP
//   only) turns units up to 0xFF back into those bytes and anything else into the default
//   character, reporting that it used it. A POSIX file name is bytes taken as they are, so
//   natively no character of a command line lacks its exact ANSI form.
// - GetFullPathNameA: the name made absolute against the working directory, with "." and
//   ".." resolved as text; the file need not exist.
// - ExitProcess: the terminal's settings put back (see SetConsoleMode), the files opened with
//   FILE_FLAG_DELETE_ON_CLOSE deleted, then _exit(). CONTROL_C_EXIT, the code Windows gives a
//   process ended by a console event, has no POSIX exit status: the process ends by the
//   last console signal instead (SIGINT when none came), as a shell expects of an
//   interrupted program (exit status 130, 143 or 129).
// - GetFullPathNameA: not reentrant (it builds the path in static storage).
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

#include "platform/standin/win_types.h"

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
DWORD SetFilePointer(HANDLE handle, LONG distance, LONG* distance_high, DWORD method);
BOOL CloseHandle(HANDLE handle);
BOOL FlushFileBuffers(HANDLE handle);
BOOL MoveFileExA(LPCSTR existing, LPCSTR new_name, DWORD flags);
BOOL DeleteFileA(LPCSTR name);
DWORD GetFileAttributesA(LPCSTR name);
DWORD GetLastError();
void SetLastError(DWORD code);
DWORD GetCurrentProcessId();
DWORD GetTickCount();
BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add);
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

// A POSIX name is taken as written, to its last character (win_api.h gives Windows' rule).
inline bool dropped_at_name_end(char) { return false; }
// No switch starts with a slash here, where a slash starts an absolute path: /? names a file.
inline constexpr bool kSlashSwitches = false;
