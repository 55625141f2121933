// Writes the combined report and the two party lists next to the input: each into its
// temporary file through one output buffer, then the three over the old reports as a set.
#include "analysis/reports.h"

#include "analysis/input.h"
#include "analysis/report_set.h"
#include "analysis/tally.h"
#include "literals.h"
#include "platform/output.h"
#include "text/text.h"

namespace {

constexpr int32_t kNameColumnMinimum = 5;  // the length of the name column's literals

typedef void (*ReportContent)(BufferedFile* out);

struct Report {
    ReportContent content;
    const char* done_format;
};

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

// In the order of the report set: written, moved into place and announced.
const Report kReports[kReportCount] = {
    {summary_content, kWroteSummaryFmt},
    {called_extension_list_content, kWroteSecondListFmt},
    {calling_line_list_content, kWroteFirstListFmt},
};

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

void write_reports() {
    for (int32_t k = 0; k < kReportCount; ++k) {
        buffered_init(&report_out, start_report_file(k));
        kReports[k].content(&report_out);
        buffered_flush(&report_out);
        finish_report_file(k);
    }
    replace_report_set(input_handle);
    for (int32_t k = 0; k < kReportCount; ++k) print(kReports[k].done_format, report_name(k));
}
