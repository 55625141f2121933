// Writes the combined report and the two party lists next to the input: each into a
// temporary file through one output buffer, then the three over the old reports as a set.
#include "analysis/reports.h"

#include "analysis/input.h"
#include "analysis/tally.h"
#include "literals.h"
#include "platform/fatal.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/output.h"
#include "platform/reasons.h"
#include "text/text.h"

namespace {

constexpr int32_t kNameColumnMinimum = 5;  // the length of the name column's literals
constexpr int32_t kReportCount = 3;
constexpr int32_t kLongestReport = 2;      // the calling-line list has the longest pattern

typedef void (*ReportContent)(BufferedFile* out);

struct Report {
    const char* name_format;
    ReportContent content;
    const char* done_format;
};

char final_names[kReportCount][kReportNameSize];
char temp_names[kReportCount][kReportNameSize];
int32_t temps_made;                          // temporary files that exist, in report order
HANDLE open_temp = INVALID_HANDLE_VALUE;     // the one being written, until it is closed
BufferedFile report_out;

void write_section(BufferedFile* out, const char* title, const char* header,
                   const TallyTable& table) {
    int32_t width = table.longest_name;
    int32_t row_width = width > kNameColumnMinimum ? width : kNameColumnMinimum;
    buffered_print(out, title, base_name);
    buffered_print(out, header, width, kNameColumnTitle);
    int64_t count_sum = 0;
    int64_t total_sum = 0;
    for (int32_t i = 0; i < kTallySize; ++i) {
        const TallyEntry& entry = table.entry[i];
        if (entry.count == 0) continue;
        buffered_print(out, kSummaryRowFmt, i + 1, row_width, entry.name, Wide(entry.count),
                       Wide(report_minutes(entry.total)));
        count_sum = add_saturating(count_sum, entry.count);
        total_sum = add_saturating(total_sum, entry.total);
    }
    buffered_print(out, kRuleFmt, width, kRuleText);
    buffered_print(out, kTotalFmt, width, kTotalLabel, Wide(count_sum),
                   Wide(report_minutes(total_sum)));
}

void write_list(BufferedFile* out, const char* header, const TallyTable& table) {
    char field[kLineSize];
    buffered_print(out, header);
    for (int32_t i = 0; i < kTallySize; ++i) {
        const TallyEntry& entry = table.entry[i];
        if (entry.count == 0) continue;
        buffered_print(out, kListRowFmt, i + 1, list_field(entry.name, field),
                       Wide(entry.count), Wide(report_minutes(entry.total)));
    }
}

void summary_content(BufferedFile* out) {
    write_section(out, kSecondSectionTitleFmt, kSecondHeaderFmt, called_extension_table);
    write_section(out, kFirstSectionTitleFmt, kFirstHeaderFmt, calling_line_table);
}

void called_extension_list_content(BufferedFile* out) {
    write_list(out, kSecondListHeaderText, called_extension_table);
}

void calling_line_list_content(BufferedFile* out) {
    write_list(out, kFirstListHeaderText, calling_line_table);
}

// In the order they are written, moved into place and announced.
const Report kReports[kReportCount] = {
    {kSummaryFileNameFmt, summary_content, kWroteSummaryFmt},
    {kSecondListFileNameFmt, called_extension_list_content, kWroteSecondListFmt},
    {kFirstListFileNameFmt, calling_line_list_content, kWroteFirstListFmt},
};

// Run by fatal_error while the set is still temporary: nothing old has been touched yet.
void discard_temp_files() {
    if (open_temp != INVALID_HANDLE_VALUE) close_file(open_temp);
    for (int32_t k = 0; k < temps_made; ++k) delete_file(temp_names[k]);
    write_text(std_error, kNoReportReplacedText);
}

// The handle is named after the report, so that a short write names the file the user knows.
void write_temp_file(int32_t k) {
    HANDLE file = INVALID_HANDLE_VALUE;
    int32_t status = create_new_file(temp_names[k], &file);
    if (status == kNameTooLong) fatal_error(kReportNameTooLongFmt, final_names[kLongestReport]);
    char reason[kReasonSize];
    if (status != 0)
        fatal_error(kCreateFailedFmt, temp_names[k],
                    system_reason(file_error(temp_names[k]), reason));
    ++temps_made;
    open_temp = file;
    register_handle_name(file, final_names[k]);
    buffered_init(&report_out, file);
    kReports[k].content(&report_out);
    buffered_flush(&report_out);
    open_temp = INVALID_HANDLE_VALUE;
    if (close_file(file) != 0)
        fatal_error(kReportCloseFailedFmt, final_names[k], system_reason(GetLastError(), reason));
}

// Reports before `failed` are new, the others keep what they were; their temporary files go.
// code is the move's error, taken before the deletions can change it.
[[noreturn]] void mixed_set_exit(int32_t failed, uint32_t code) {
    for (int32_t k = failed; k < kReportCount; ++k) delete_file(temp_names[k]);
    const char* state[kReportCount];
    for (int32_t k = 0; k < kReportCount; ++k)
        state[k] = k < failed ? kReportNewText : kReportOldText;
    char reason[kReasonSize];
    fatal_error(kMixedReportSetFmt, final_names[failed], system_reason(code, reason), state[0],
                final_names[0], state[1], final_names[1], state[2], final_names[2]);
}

}  // namespace

int64_t report_minutes(int64_t total) {
    // (total + 30) / 60 for total >= 30, written so that the largest total cannot overflow.
    if (total < 30) return 1;
    return (total - 30) / 60 + 1;
}

const char* list_field(const char* name, char* field) {
    const char* p = name;
    while (*p != 0 && *p != '\t' && *p != '\r') ++p;
    if (*p == 0) return name;
    text_copy_n(field, name, kLineSize - 1);
    for (char* q = field; *q != 0; ++q)
        if (*q == '\t' || *q == '\r') *q = ' ';
    return field;
}

void temp_report_name(const char* base, uint32_t process, int32_t index, char* out) {
    format_into(out, kReportNameSize, kTempFileNameFmt, base, process, index + 1);
}

void write_reports() {
    uint32_t process = GetCurrentProcessId();
    for (int32_t k = 0; k < kReportCount; ++k) {
        format_into(final_names[k], kReportNameSize, kReports[k].name_format, base_name);
        temp_report_name(base_name, process, k, temp_names[k]);
    }
    set_fatal_cleanup(discard_temp_files);
    for (int32_t k = 0; k < kReportCount; ++k) write_temp_file(k);
    char reason[kReasonSize];
    for (int32_t k = 0; k < kReportCount; ++k)
        if (uint32_t code = check_replaceable(final_names[k]))
            fatal_error(kCannotReplaceFmt, final_names[k], system_reason(code, reason));
    set_fatal_cleanup(nullptr);
    for (int32_t k = 0; k < kReportCount; ++k)
        if (move_file(temp_names[k], final_names[k]) != 0) mixed_set_exit(k, GetLastError());
    for (int32_t k = 0; k < kReportCount; ++k) print(kReports[k].done_format, final_names[k]);
}
