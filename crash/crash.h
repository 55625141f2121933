// The unhandled-exception report: a filter that reports the fault and its registers.
#pragma once

#include <cstdint>

#include "platform/win_api.h"

typedef void (*CrashCallback)();

// Settings read by crash_filter, written once by install_crash_handler.
struct CrashOptions {
    uint32_t sleep_ms;
    const char* crash_file_name;
    CrashCallback before_report;
    CrashCallback after_report;
    int32_t reentered;
};

extern CrashOptions crash_options;

// One row of the table of exception names.
struct ExceptionName {
    uint32_t code;
    const char* name;
};

inline constexpr int32_t kExceptionNameCount = 23;
extern const ExceptionName ExceptionNameTable[kExceptionNameCount];

// The values a report shows, taken from a real fault or made up by a test.
struct CrashValues {
    uint32_t code;
    uint32_t address;
    uint32_t information[3];
    uint32_t seg_gs, seg_fs, seg_es, seg_ds;
    uint32_t edi, esi, ebx, edx, ecx, eax, ebp, eip;
    uint32_t seg_cs, eflags, esp, seg_ss;
};

// Stores the options and installs filter, or crash_filter when filter is null; returns the
// filter installed before.
LPTOP_LEVEL_EXCEPTION_FILTER install_crash_handler(LPTOP_LEVEL_EXCEPTION_FILTER filter,
                                                   uint32_t sleep_ms, const char* crash_file_name,
                                                   CrashCallback before_report,
                                                   CrashCallback after_report);

// The top-level filter: reports to standard error and the crash file, then ends the process
// with exit code 1. Never returns.
LONG WINAPI crash_filter(EXCEPTION_POINTERS* pointers);

// Writes the report of values to handle; returns the status of its last write.
int32_t write_crash_report(HANDLE handle, const CrashValues& values);
