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

// The report formats end their lines in CR LF themselves: a formatted line goes out as it is.
int32_t write_formatted(HANDLE file, const char* format, FormatArgs args) {
    char buffer[2048];
    int32_t length = format_text(buffer, sizeof buffer, format, args);
    return write_raw(file, buffer, length) != length;
}

template <class... A>
void put(HANDLE file, const char* format, A... args) {
    format_detail::with_words([&](FormatArgs a) { return write_formatted(file, format, a); },
                              args...);
}

// A name as a list shows it: a tab or CR inside is a blank, so every row keeps four fields.
const char* list_field(const char* name, char* field) {
    int32_t i = 0;
    for (; name[i] != 0 && i < kLineSize - 1; ++i)
        field[i] = (name[i] == '\t' || name[i] == '\r') ? ' ' : name[i];
    field[i] = 0;
    return field;
}

// A duration in tenths of a second as the nearest tenth of a minute, half up, at least 1.
int64_t report_minutes(int64_t total) {
    if (total < 30) return 1;
    return (total - 30) / 60 + 1;
}

void write_report(const char* name_format, ReportContent content, const char* done_format) {
    char name[kReportNameSize];
    format_into(name, kReportNameSize, name_format, base_name);
    HANDLE file = nullptr;
    if (create_file(name, 0, &file) != 0) process_exit(1);
    content(file);
    close_file(file);
    print(done_format, name);
}

void write_section(HANDLE file, const char* title, const char* header,
                   const TallyTable& table) {
    int32_t width = table.longest_name;
    int32_t row_width = width > kNameColumnMinimum ? width : kNameColumnMinimum;
    put(file, title, base_name);
    put(file, header, width, kNameColumnTitle);
    int64_t count_sum = 0;
    int64_t total_sum = 0;
    for (int32_t i = 0; i < kTallySize; ++i) {
        const TallyEntry& entry = table.entry[i];
        if (entry.count == 0) continue;
        put(file, kSummaryRowFmt, i + 1, row_width, entry.name, Wide(entry.count),
            Wide(report_minutes(entry.total)));
        count_sum = add_saturating(count_sum, entry.count);
        total_sum = add_saturating(total_sum, entry.total);
    }
    put(file, kRuleFmt, width, kRuleText);
    put(file, kTotalFmt, width, kTotalLabel, Wide(count_sum), Wide(report_minutes(total_sum)));
}

void write_list(HANDLE file, const char* header, const TallyTable& table) {
    put(file, header);
    for (int32_t i = 0; i < kTallySize; ++i) {
        const TallyEntry& entry = table.entry[i];
        if (entry.count == 0) continue;
        char field[kLineSize];
        put(file, kListRowFmt, i + 1, list_field(entry.name, field), Wide(entry.count),
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
