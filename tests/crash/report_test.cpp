// The report written from given values: lines, names, access kinds and register order.
#include <gtest/gtest.h>

#include <iterator>

#include "crash/crash.h"
#include "literals.h"
#include "platform/files.h"
#include "report_reader.h"

namespace {

// Sixteen different register values, so a value printed in the wrong place shows.
CrashValues sample_values(uint32_t code) {
    CrashValues v = {};
    v.code = code;
    v.address = 0x00401A2Bu;
    v.information[0] = 0;
    v.information[1] = 0x0BADF00Du;
    v.information[2] = 0x5EED0002u;
    uint32_t* registers[] = {&v.seg_gs, &v.seg_fs, &v.seg_es, &v.seg_ds, &v.edi, &v.esi,
                             &v.ebx,    &v.edx,    &v.ecx,    &v.eax,    &v.ebp, &v.eip,
                             &v.seg_cs, &v.eflags, &v.esp,    &v.seg_ss};
    uint32_t value = 0x10000001u;
    for (uint32_t* r : registers) *r = value, value += 0x0F0F0F0Fu;  // up to 0xF2E2E2E2
    return v;
}

struct Written {
    int32_t status;
    std::string text;
};

Written report_of(const CrashValues& values) {
    const char* name = "crash_report_test.txt";
    HANDLE file;
    if (create_file(name, kNoExtraAccess, &file) != 0) return {-1, ""};
    int32_t status = write_crash_report(file, values);
    close_file(file);
    return {status, read_file(name)};
}

ReadReport read_back(const CrashValues& values) {
    Written written = report_of(values);
    EXPECT_EQ(written.status, 0);
    ReadReport report = read_report(written.text);
    EXPECT_EQ(report.failure, "") << written.text;
    return report;
}

TEST(CrashReport, AccessLineNamesTheKindAndTheDataAddressForBothAccessCodes) {
    struct Case {
        uint32_t kind;
        const char* text;
    };
    const Case cases[] = {{0, kAccessReadText},    {1, kAccessWriteText},
                          {8, kAccessExecuteText}, {2, kAccessOtherText},
                          {7, kAccessOtherText},   {0xFFFFFFFFu, kAccessOtherText}};
    for (uint32_t code : {0xC0000005u, 0xC0000006u}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << std::hex << code << " kind " << c.kind);
            CrashValues values = sample_values(code);
            values.information[0] = c.kind;
            ReadReport report = read_back(values);
            EXPECT_TRUE(report.has_access);
            EXPECT_EQ(report.access_text, plain(c.text));
            EXPECT_EQ(report.access_address, values.information[1]);
            EXPECT_EQ(report.has_extra, c.kind == 8);
            if (report.has_extra) EXPECT_EQ(report.extra, values.information[2]);
        }
    }
}

TEST(CrashReport, OtherCodesHaveNoAccessLineWhateverTheInformationWords) {
    for (uint32_t code : {0xC0000094u, 0xC00000FDu, 0x80000003u, 0xC0000004u}) {
        SCOPED_TRACE(testing::Message() << std::hex << code);
        CrashValues values = sample_values(code);
        values.information[0] = 8;
        ReadReport report = read_back(values);
        EXPECT_FALSE(report.has_access);
        EXPECT_EQ(report.code, code);
    }
}

TEST(CrashReport, EveryListedCodeShowsItsOwnNameAndOthersTheUnlistedName) {
    EXPECT_EQ(kExceptionNameCount, static_cast<int>(std::size(kKnownExceptions)));
    for (const KnownException& known : kKnownExceptions) {
        SCOPED_TRACE(testing::Message() << std::hex << known.code);
        EXPECT_EQ(read_back(sample_values(known.code)).name, plain(known.name));
    }
    // Neighbours of listed codes and codes no table lists.
    for (uint32_t code : {0u, 0x80000000u, 0x80000005u, 0xC0000007u, 0xC00000FCu, 0xC00000FEu,
                          0xE06D7363u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(testing::Message() << std::hex << code);
        EXPECT_EQ(read_back(sample_values(code)).name, plain(kUnlistedExceptionText));
    }
}

TEST(CrashReport, ShowsCodeAddressAndEachRegisterInItsPlace) {
    CrashValues values = sample_values(0xC0000005u);
    ReadReport report = read_back(values);
    EXPECT_EQ(report.code, values.code);
    EXPECT_EQ(report.address, values.address);
    const CrashValues& r = report.registers;
    const uint32_t got[] = {r.seg_gs, r.seg_fs, r.seg_es, r.seg_ds, r.edi, r.esi, r.ebx, r.edx,
                            r.ecx, r.eax, r.ebp, r.eip, r.seg_cs, r.eflags, r.esp, r.seg_ss};
    const uint32_t want[] = {values.seg_gs, values.seg_fs, values.seg_es, values.seg_ds,
                             values.edi,    values.esi,    values.ebx,    values.edx,
                             values.ecx,    values.eax,    values.ebp,    values.eip,
                             values.seg_cs, values.eflags, values.esp,    values.seg_ss};
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i], want[i]);
    }
}

}  // namespace
