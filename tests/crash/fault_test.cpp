// Real faults in the crash driver: exit code, standard error, the crash file and the timing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "literals.h"
#include "report_reader.h"
#include "support/child_process.h"

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr bool kNative = false;
#else
constexpr bool kNative = true;
#endif

// The crash driver, next to the tests, run in work_dir with standard error in a pipe read as
// it arrives. A driver still running after limit seconds is stuck (a filter that never ends).
ChildRun run_driver(const std::vector<std::string>& args, const std::string& work_dir,
                    int limit = 10) {
    ChildOptions options;
    options.out = Sink::kFile;
    options.err = Sink::kPipe;
    options.working_folder = work_dir;
    options.capture_prefix = work_dir;
    options.time_limit_seconds = limit;
    return run_child(program_folder() + executable("crash_driver"), args, options);
}

class CrashDriver : public testing::Test {
protected:
    // A fresh directory per run: the driver's crash file lands in it.
    std::string fresh_directory(const std::string& name) {
        fs::path dir = fs::current_path() / "crash_runs" / name;
        fs::remove_all(dir);
        fs::create_directories(dir);
        return dir.string();
    }

    ChildRun run(const std::string& name, const std::vector<std::string>& args) {
        dir_ = fresh_directory(name);
        ChildRun result = run_driver(args, dir_);
        EXPECT_EQ(result.exit_code, 1);
        EXPECT_EQ(result.out, "");
        return result;
    }

    std::string crash_file() const {
        return read_file((fs::path(dir_) / plain(kCrashFileName)).string());
    }

    std::vector<std::string> files_left() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            names.push_back(entry.path().filename().string());
        return names;
    }

    // Standard error as prefix, separator, report, file line, separator, suffix; the report
    // is returned.
    std::string report_between_separators(const std::string& error, const std::string& prefix,
                                          const std::string& file_line,
                                          const std::string& suffix) {
        std::string separator = with_crlf(plain(kCrashSeparatorText));
        std::string head = prefix + separator;
        std::string tail = file_line + separator + suffix;
        EXPECT_EQ(error.substr(0, head.size()), head);
        if (error.size() < head.size() + tail.size()) {
            ADD_FAILURE() << "standard error too short:\n" << error;
            return "";
        }
        EXPECT_EQ(error.substr(error.size() - tail.size()), tail);
        return error.substr(head.size(), error.size() - head.size() - tail.size());
    }

    std::string dir_;
};

struct Fault {
    const char* name;
    uint32_t code;
    const char* shown;   // the exception's name in the report
    const char* access;  // access-kind text, or null for no access line
    bool native_only;
};

TEST_F(CrashDriver, EachFaultIsReportedOnStandardErrorAndInTheCrashFile) {
    const Fault faults[] = {
        {"read", 0xC0000005u, kExceptionAccessViolationText, kAccessReadText, false},
        {"write", 0xC0000005u, kExceptionAccessViolationText, kAccessWriteText, false},
        {"execute", 0xC0000005u, kExceptionAccessViolationText, kAccessExecuteText, false},
        {"divide", 0xC0000094u, kExceptionIntDivideByZeroText, nullptr, false},
        {"stack", 0xC00000FDu, kExceptionStackOverflowText, nullptr, false},
        {"breakpoint", 0x80000003u, kExceptionBreakpointText, nullptr, false},
        {"illegal", 0xC000001Du, kExceptionIllegalInstructionText, nullptr, false},
        {"bus", 0xC0000006u, kExceptionInPageErrorText, kAccessReadText, true},
    };
    for (const Fault& fault : faults) {
        if (fault.native_only && !kNative) continue;
        SCOPED_TRACE(fault.name);
        ChildRun result = run(fault.name, {fault.name});
        std::string written = expanded(kCrashFileWrittenFmt, plain(kCrashFileName).c_str());
        std::string report = report_between_separators(result.err, "", written, "");
        EXPECT_EQ(crash_file(), report);
        ReadReport read = read_report(report);
        ASSERT_EQ(read.failure, "") << report;
        EXPECT_EQ(read.code, fault.code) << report;
        EXPECT_EQ(read.name, plain(fault.shown)) << report;
        EXPECT_EQ(read.has_access, fault.access != nullptr) << report;
        if (fault.access) EXPECT_EQ(read.access_text, plain(fault.access)) << report;
        // The record and the register context agree on where the fault happened.
        EXPECT_EQ(read.registers.eip, read.address) << report;
        EXPECT_NE(read.registers.esp, 0u) << report;
        if (fault.name == std::string("read")) EXPECT_EQ(read.access_address, 0u);
        if (fault.name == std::string("write")) EXPECT_NE(read.access_address, 0u);
        if (fault.name == std::string("execute")) EXPECT_EQ(read.access_address, read.address);
    }
}

// The crash file's name may hold an earlier report, which the new one replaces, or anything
// else, which stays as it is while the report goes to a name of its own beside it.
TEST_F(CrashDriver, TheCrashFileReplacesOnlyAnEarlierCrashReport) {
    const std::string name = plain(kCrashFileName);
    const std::string earlier = with_crlf(plain(kCrashHeadText)) + "an earlier crash\r\n";
    const std::string users(20000, 'x');
    enum class There { kEarlierReport, kUsersFile, kLinkToUsersFile };
    const struct {
        const char* what;
        There there;
        bool replaced;
    } rows[] = {
        {"earlier report", There::kEarlierReport, true},
        {"file of the user's", There::kUsersFile, false},
        {"link to a file of the user's", There::kLinkToUsersFile, false},
    };
    for (const auto& row : rows) {
        if (row.there == There::kLinkToUsersFile && !kNative) continue;
        SCOPED_TRACE(row.what);
        dir_ = fresh_directory(std::string("existing_") + std::to_string(int(row.there)));
        fs::path target = fs::path(dir_).parent_path() / "users-file.txt";
        std::ofstream(target, std::ios::binary) << users;
        fs::path at_name = fs::path(dir_) / name;
        if (row.there == There::kLinkToUsersFile) fs::create_symlink(target, at_name);
        else std::ofstream(at_name, std::ios::binary)
                 << (row.there == There::kEarlierReport ? earlier : users);

        ChildRun result = run_driver({"divide"}, dir_);
        EXPECT_EQ(result.exit_code, 1);
        std::string written_to = name;
        for (const std::string& left : files_left())
            if (left != name) written_to = left;
        std::string written = expanded(kCrashFileWrittenFmt, written_to.c_str());
        std::string report = report_between_separators(result.err, "", written, "");
        EXPECT_EQ(read_file((fs::path(dir_) / written_to).string()), report);
        EXPECT_EQ(read_file(target.string()), users);
        if (row.replaced) {
            EXPECT_EQ(files_left(), std::vector<std::string>{name});
            continue;
        }
        EXPECT_EQ(files_left().size(), 2u);
        EXPECT_EQ(written_to.size(), name.size() + 9) << written_to;  // "-" and 8 hex digits
        EXPECT_EQ(fs::is_symlink(at_name), row.there == There::kLinkToUsersFile);
        EXPECT_EQ(read_file(at_name.string()), users);
        fs::remove(target);
    }
}

TEST_F(CrashDriver, EnteringTheFilterAgainEndsTheProcessAtOnceWithoutOutput) {
    // Natively a fault inside the filter reaches it again, which ends the process with 1.
    // Wine never hands a fault inside a top-level filter back to it: it ends the process
    // itself, with the code of that fault.
    struct Case {
        const char* how;
        int exit_code;
    };
    const Case cases[] = {{"reenter", 1},
                          {"fault", kNative ? 1 : static_cast<int>(0xC0000005u)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        dir_ = fresh_directory(std::string("reentry_") + c.how);
        ChildRun result = run_driver({"divide", "--before", c.how, "--after"}, dir_);
        EXPECT_EQ(result.exit_code, c.exit_code);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(files_left().empty());
    }
}

TEST_F(CrashDriver, ADriverStillRunningAtTheTimeLimitIsEnded) {
    // The filter pauses 30 s after the first separator; the run may last 4 s, which leaves
    // a slow start under Wine time to reach the separator.
    dir_ = fresh_directory("time_limit");
    ChildRun result = run_driver({"divide", "--sleep", "30000"}, dir_, 4);
    EXPECT_EQ(result.exit_code, kNative ? 128 + 14 : 99);
    EXPECT_EQ(result.err, with_crlf(plain(kCrashSeparatorText)));
}

TEST_F(CrashDriver, WithoutACrashFileNameOnlyStandardErrorGetsTheReport) {
    ChildRun result = run("no_file", {"read", "--no-file"});
    std::string report = report_between_separators(result.err, "", "", "");
    EXPECT_EQ(read_report(report).failure, "");
    EXPECT_TRUE(files_left().empty());
}

TEST_F(CrashDriver, TheFirstFailedCreationOfTheCrashFileIsFatal) {
    std::string name = "missing-directory/crash.txt";
    ChildRun result = run("create_fatal", {"read", "--file", name});
    std::string separator = with_crlf(plain(kCrashSeparatorText));
    std::string fatal = with_crlf(plain(kFatalHeadText)) +
                        expanded(kCreateFailedFmt, name.c_str(),
                                 plain(kReasonFolderMissingText).c_str()) +
                        with_crlf(plain(kFatalTailText));
    ASSERT_GT(result.err.size(), separator.size() + fatal.size());
    EXPECT_EQ(result.err.substr(0, separator.size()), separator);
    EXPECT_EQ(result.err.substr(result.err.size() - fatal.size()), fatal);
    std::string report = result.err.substr(
        separator.size(), result.err.size() - separator.size() - fatal.size());
    EXPECT_EQ(read_report(report).failure, "") << result.err;
}

TEST_F(CrashDriver, ALaterFailedCreationIsReportedAndTheFilterGoesOn) {
    std::string name = "missing-directory/crash.txt";
    ChildRun result =
        run("create_soft", {"read", "--file", name, "--creation-failed-before", "--after"});
    std::string failed = expanded(kCrashFileFailedFmt, name.c_str());
    std::string report = report_between_separators(result.err, "", failed, "<after>\r\n");
    EXPECT_EQ(read_report(report).failure, "");
}

TEST_F(CrashDriver, CallbacksFrameTheOutputAndThePausesFollowEachSeparator) {
    struct Case {
        const char* sleep;
        bool delays;
    };
    for (const Case& c : {Case{"0", false}, Case{"400", true}}) {
        SCOPED_TRACE(c.sleep);
        ChildRun result = run(std::string("pause_") + c.sleep,
                              {"divide", "--sleep", c.sleep, "--before", "mark", "--after"});
        std::string before = "<before>\r\n", after = "<after>\r\n";
        std::string written = expanded(kCrashFileWrittenFmt, plain(kCrashFileName).c_str());
        std::string report = report_between_separators(result.err, before, written, after);
        EXPECT_EQ(crash_file(), report);

        size_t separator_size = with_crlf(plain(kCrashSeparatorText)).size();
        size_t first_separator = before.size();
        size_t second_separator = result.err.size() - after.size() - separator_size;
        long long first_pause = arrival_ms(result, first_separator + separator_size) -
                                arrival_ms(result, first_separator);
        long long second_pause = arrival_ms(result, result.err.size() - after.size()) -
                                 arrival_ms(result, second_separator);
        if (c.delays) {
            EXPECT_GE(first_pause, 300);
            EXPECT_GE(second_pause, 300);
        } else {
            EXPECT_LT(first_pause, 200);
            EXPECT_LT(second_pause, 200);
        }
    }
}

}  // namespace
