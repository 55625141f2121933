// Matching report lines against the program's formats to take their numbers back out.
#include "report_reader.h"

#include "literals.h"
#include "text/text.h"

const KnownException kKnownExceptions[23] = {
    {0x80000001u, kExceptionGuardPageText},
    {0x80000002u, kExceptionMisalignedText},
    {0x80000003u, kExceptionBreakpointText},
    {0x80000004u, kExceptionSingleStepText},
    {0xC0000005u, kExceptionAccessViolationText},
    {0xC0000006u, kExceptionInPageErrorText},
    {0xC0000008u, kExceptionInvalidHandleText},
    {0xC000001Du, kExceptionIllegalInstructionText},
    {0xC0000025u, kExceptionNoncontinuableText},
    {0xC0000026u, kExceptionInvalidDispositionText},
    {0xC000008Cu, kExceptionArrayBoundsText},
    {0xC000008Du, kExceptionFltDenormalText},
    {0xC000008Eu, kExceptionFltDivideByZeroText},
    {0xC000008Fu, kExceptionFltInexactText},
    {0xC0000090u, kExceptionFltInvalidText},
    {0xC0000091u, kExceptionFltOverflowText},
    {0xC0000092u, kExceptionFltStackCheckText},
    {0xC0000093u, kExceptionFltUnderflowText},
    {0xC0000094u, kExceptionIntDivideByZeroText},
    {0xC0000095u, kExceptionIntOverflowText},
    {0xC0000096u, kExceptionPrivInstructionText},
    {0xC00000FDu, kExceptionStackOverflowText},
    {0xC000013Au, kExceptionControlCText},
};

namespace {

bool is_hex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

struct Scan {
    const std::vector<std::string>* candidates;
    std::vector<uint32_t> numbers;
    std::vector<std::string> texts;
};

// Matches line from l against format from f: %s is one of the candidates (tried in turn),
// %X, %x and %u are digits in their base, anything else stands for itself.
bool match(const std::string& line, size_t l, const std::string& format, size_t f, Scan* scan) {
    while (f < format.size()) {
        if (format[f] != '%') {
            if (l >= line.size() || line[l] != format[f]) return false;
            ++l, ++f;
            continue;
        }
        ++f;
        while (f < format.size() && format[f] >= '0' && format[f] <= '9') ++f;
        char conversion = f < format.size() ? format[f++] : 0;
        if (conversion == 's') {
            for (const std::string& candidate : *scan->candidates) {
                if (line.compare(l, candidate.size(), candidate) != 0) continue;
                Scan attempt = *scan;
                attempt.texts.push_back(candidate);
                if (match(line, l + candidate.size(), format, f, &attempt)) {
                    *scan = attempt;
                    return true;
                }
            }
            return false;
        }
        int base = conversion == 'u' ? 10 : 16;
        size_t start = l;
        while (l < line.size() && (base == 16 ? is_hex(line[l]) : is_digit(line[l]))) ++l;
        if (l == start || l - start > 10) return false;
        uint64_t value = std::stoull(line.substr(start, l - start), nullptr, base);
        scan->numbers.push_back(static_cast<uint32_t>(value));
    }
    return l == line.size();
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        end = end == std::string::npos ? text.size() : end + 2;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::vector<std::string> exception_names() {
    std::vector<std::string> names{plain(kUnlistedExceptionText)};
    for (const KnownException& known : kKnownExceptions) names.push_back(plain(known.name));
    return names;
}

// Walks the lines of one report in their fixed order.
struct Reader {
    std::vector<std::string> lines;
    size_t next = 0;
    ReadReport* out;

    bool line(const char* format, std::vector<uint32_t>* numbers,
              const std::vector<std::string>& candidates = {}, std::string* text = nullptr) {
        if (next >= lines.size()) return fail("report ends before " + plain(format));
        Scan scan{&candidates, {}, {}};
        if (!match(lines[next], 0, with_crlf(plain(format)), 0, &scan))
            return fail("line " + std::to_string(next + 1) + " is not " + plain(format));
        ++next;
        if (numbers) *numbers = scan.numbers;
        if (text && !scan.texts.empty()) *text = scan.texts[0];
        return true;
    }

    bool fail(const std::string& why) {
        if (out->failure.empty()) out->failure = why;
        return false;
    }
};

bool read_access(Reader& r) {
    ReadReport& out = *r.out;
    std::vector<uint32_t> n;
    std::vector<std::string> kinds{plain(kAccessReadText), plain(kAccessWriteText),
                                   plain(kAccessExecuteText), plain(kAccessOtherText)};
    if (!r.line(kAccessFmt, &n, kinds, &out.access_text)) return false;
    if (n[0] != n[1]) return r.fail("the access line gives two different addresses");
    out.has_access = true;
    out.access_address = n[0];
    if (out.access_text != plain(kAccessExecuteText)) return true;
    if (!r.line(kAccessExtraFmt, &n)) return false;
    out.has_extra = true;
    out.extra = n[0];
    return true;
}

bool read_registers(Reader& r) {
    CrashValues& v = r.out->registers;
    uint32_t* lines[4][4] = {{&v.seg_ds, &v.seg_cs, &v.eip, &v.eax},
                             {&v.seg_es, &v.seg_ss, &v.esp, &v.ebx},
                             {&v.seg_fs, &v.eflags, &v.ebp, &v.ecx},
                             {&v.seg_gs, &v.esi, &v.edi, &v.edx}};
    const char* formats[4] = {kRegisterLine1Fmt, kRegisterLine2Fmt, kRegisterLine3Fmt,
                              kRegisterLine4Fmt};
    if (!r.line(kRegistersHeadText, nullptr)) return false;
    for (int i = 0; i < 4; ++i) {
        std::vector<uint32_t> n;
        if (!r.line(formats[i], &n)) return false;
        for (int j = 0; j < 4; ++j) *lines[i][j] = n[j];
    }
    return true;
}

}  // namespace

ReadReport read_report(const std::string& text) {
    ReadReport out;
    Reader r{split_lines(text), 0, &out};
    std::vector<uint32_t> n;
    if (!r.line(kCrashHeadText, nullptr) || !r.line(kExceptionCodeFmt, &n)) return out;
    out.code = n[0];
    if (!r.line(kExceptionNameFmt, nullptr, exception_names(), &out.name)) return out;
    if (!r.line(kExceptionAddressFmt, &n)) return out;
    out.address = n[0];
    bool access_code = out.code == 0xC0000005u || out.code == 0xC0000006u;
    if (access_code && !read_access(r)) return out;
    if (!read_registers(r) || !r.line(kCrashTailText, nullptr)) return out;
    if (r.next != r.lines.size()) r.fail("text follows the report's last line");
    return out;
}
