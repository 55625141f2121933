// The temporary file names of the reports.
#include "analysis/report_names.h"

#include "text/format.h"

void temp_report_name(const char* base, uint32_t unique, int32_t index, char* out) {
    format_into(out, kReportNameSize, kTempFileNameFmt, base, unique, index + 1);
}
