// The text of a crash report: exception code, name, address, access and registers.
#include "crash/crash.h"
#include "crash/crash_print.h"
#include "literals.h"
#include "platform/output.h"

namespace {

// The first row naming code wins, so a duplicated code could never change a report.
const char* exception_name(uint32_t code) {
    for (const ExceptionName& row : ExceptionNameTable) {
        if (row.code == code) return row.name;
    }
    return kUnlistedExceptionText;
}

const char* access_kind_text(uint32_t kind) {
    if (kind == EXCEPTION_READ_FAULT) return kAccessReadText;
    if (kind == EXCEPTION_WRITE_FAULT) return kAccessWriteText;
    if (kind == EXCEPTION_EXECUTE_FAULT) return kAccessExecuteText;
    return kAccessOtherText;
}

// Only the two access codes carry a meaningful access kind and data address.
void write_access_lines(HANDLE handle, const CrashValues& values) {
    if (values.code != EXCEPTION_ACCESS_VIOLATION && values.code != EXCEPTION_IN_PAGE_ERROR)
        return;
    uint32_t kind = values.information[0];
    uint32_t data_address = values.information[1];
    crash_print(handle, kAccessFmt, TextArg(access_kind_text(kind)), data_address, data_address);
    if (kind == EXCEPTION_EXECUTE_FAULT)
        crash_print(handle, kAccessExtraFmt, values.information[2]);
}

void write_register_lines(HANDLE handle, const CrashValues& v) {
    write_text(handle, kRegistersHeadText);
    crash_print(handle, kRegisterLine1Fmt, v.seg_ds, v.seg_cs, v.eip, v.eax);
    crash_print(handle, kRegisterLine2Fmt, v.seg_es, v.seg_ss, v.esp, v.ebx);
    crash_print(handle, kRegisterLine3Fmt, v.seg_fs, v.eflags, v.ebp, v.ecx);
    crash_print(handle, kRegisterLine4Fmt, v.seg_gs, v.esi, v.edi, v.edx);
}

}  // namespace

int32_t write_crash_report(HANDLE handle, const CrashValues& values) {
    write_text(handle, kCrashHeadText);
    crash_print(handle, kExceptionCodeFmt, values.code);
    crash_print(handle, kExceptionNameFmt, TextArg(exception_name(values.code)));
    crash_print(handle, kExceptionAddressFmt, values.address);
    write_access_lines(handle, values);
    write_register_lines(handle, values);
    return write_text(handle, kCrashTailText);
}
