// The reference's report writers: the combined report and the two party lists.
#include "literals.h"
#include "platform/files.h"
#include "platform/output.h"
#include "platform/process.h"
#include "tests/oracle/oracle.h"

namespace oracle {

namespace {

constexpr int32_t kNameColumnMinimum = 5;  // the length of the name column's literals

typedef void (*ReportContent)(HANDLE file);

// A duration in tenths of a second as the nearest tenth of a minute, half up, at least 1.
int64_t report_minutes(int64_t total) {
    if (total < 30) return 1;
    return (total - 30) / 60 + 1;
}

void write_report(const char* name_format, ReportContent content, const char* done_format) {
    char name[kReportNameSize];
    format_into(name, kReportNameSize, name_format, base_name);
    HANDLE file = nullptr;
    if (create_file(name, 0, &file) != 0) {
        print(kCannotCreateFmt, name);
        process_exit(1);
    }
    content(file);
    close_file(file);
    print(done_format, name);
}

void write_section(HANDLE file, const char* title, const char* header,
                   const TallyTable& table) {
    int32_t width = table.longest_name;
    int32_t row_width = width > kNameColumnMinimum ? width : kNameColumnMinimum;
    print_to(file, title, base_name);
    print_to(file, header, width, kNameColumnTitle);
    int64_t count_sum = 0;
    int64_t total_sum = 0;
    for (int32_t i = 0; i < kTallySize; ++i) {
        const TallyEntry& entry = table.entry[i];
        if (entry.count == 0) continue;
        print_to(file, kSummaryRowFmt, i + 1, row_width, entry.name, Wide(entry.count),
                 Wide(report_minutes(entry.total)));
        count_sum = add_saturating(count_sum, entry.count);
        total_sum = add_saturating(total_sum, entry.total);
    }
    print_to(file, kRuleFmt, width, kRuleText);
    print_to(file, kTotalFmt, width, kTotalLabel, Wide(count_sum),
             Wide(report_minutes(total_sum)));
}

void write_list(HANDLE file, const char* header, const TallyTable& table) {
    print_to(file, header);
    for (int32_t i = 0; i < kTallySize; ++i) {
        const TallyEntry& entry = table.entry[i];
        if (entry.count == 0) continue;
        print_to(file, kListRowFmt, i + 1, entry.name, Wide(entry.count),
                 Wide(report_minutes(entry.total)));
    }
}

void summary_content(HANDLE file) {
    write_section(file, kSecondSectionTitleFmt, kSecondHeaderFmt, second_party_table);
    write_section(file, kFirstSectionTitleFmt, kFirstHeaderFmt, first_party_table);
}

void second_list_content(HANDLE file) {
    write_list(file, kSecondListHeaderText, second_party_table);
}

void first_list_content(HANDLE file) {
    write_list(file, kFirstListHeaderText, first_party_table);
}

}  // namespace

void write_summary_report() {
    write_report(kSummaryFileNameFmt, summary_content, kWroteSummaryFmt);
}

void write_second_list() {
    write_report(kSecondListFileNameFmt, second_list_content, kWroteSecondListFmt);
}

void write_first_list() {
    write_report(kFirstListFileNameFmt, first_list_content, kWroteFirstListFmt);
}

}  // namespace oracle
