// The top-level exception filter: claims the crash, reports it and ends the process.
#include "crash/crash.h"
#include "crash/crash_file.h"
#include "crash/crash_print.h"
#include "literals.h"
#include "platform/output.h"
#include "platform/process.h"

CrashOptions crash_options;

namespace {

uint32_t low_word(ULONG_PTR value) { return static_cast<uint32_t>(value); }

uint32_t low_word(const void* address) {
    return static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(address));
}

// NumberParameters is not consulted: the record always has room for the three words.
void take_record(const EXCEPTION_RECORD& record, CrashValues* values) {
    values->code = record.ExceptionCode;
    values->address = low_word(record.ExceptionAddress);
    for (int32_t i = 0; i < 3; ++i)
        values->information[i] = low_word(record.ExceptionInformation[i]);
}

void take_context(const CONTEXT& c, CrashValues* v) {
    v->seg_gs = c.SegGs;
    v->seg_fs = c.SegFs;
    v->seg_es = c.SegEs;
    v->seg_ds = c.SegDs;
    v->edi = c.Edi;
    v->esi = c.Esi;
    v->ebx = c.Ebx;
    v->edx = c.Edx;
    v->ecx = c.Ecx;
    v->eax = c.Eax;
    v->ebp = c.Ebp;
    v->eip = c.Eip;
    v->seg_cs = c.SegCs;
    v->eflags = c.EFlags;
    v->esp = c.Esp;
    v->seg_ss = c.SegSs;
}

void pause_for_reader() { Sleep(crash_options.sleep_ms); }

// The file gets the report alone; standard error learns whether and where it was written.
void copy_report_to_file(const char* name, const CrashValues& values) {
    const char* written = write_crash_file(name, values);
    if (written) crash_print(std_error, kCrashFileWrittenFmt, TextArg(written));
    else crash_print(std_error, kCrashFileFailedFmt, TextArg(name));
}

}  // namespace

LPTOP_LEVEL_EXCEPTION_FILTER install_crash_handler(LPTOP_LEVEL_EXCEPTION_FILTER filter,
                                                   uint32_t sleep_ms, const char* crash_file_name,
                                                   CrashCallback before_report,
                                                   CrashCallback after_report) {
    crash_options.sleep_ms = sleep_ms;
    crash_options.crash_file_name = crash_file_name;
    crash_options.before_report = before_report;
    crash_options.after_report = after_report;
    return SetUnhandledExceptionFilter(filter ? filter : crash_filter);
}

LONG WINAPI crash_filter(EXCEPTION_POINTERS* pointers) {
    set_priority_normal();
    // A fault while reporting must not report again: the first report stays as far as it got.
    if (crash_options.reentered) ExitProcess(1);
    crash_options.reentered = 1;
    if (crash_options.before_report) crash_options.before_report();

    // Static, so that the little stack left after a stack overflow goes to the writers.
    static CrashValues values;
    take_record(*pointers->ExceptionRecord, &values);
    take_context(*pointers->ContextRecord, &values);

    write_text(std_error, kCrashSeparatorText);
    pause_for_reader();
    write_crash_report(std_error, values);
    if (crash_options.crash_file_name) copy_report_to_file(crash_options.crash_file_name, values);
    write_text(std_error, kCrashSeparatorText);
    pause_for_reader();
    if (crash_options.after_report) crash_options.after_report();
    ExitProcess(1);
}
