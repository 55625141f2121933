// The console channels of a whole process: the test driver and logtally run with their
// standard handles on files and pipes, as a user would redirect them.
#include <string>

#include "driver_runner.h"
#include "literals.h"
#include "platform/fatal.h"
#include "platform_support.h"

namespace {

TEST(ConsoleProcess, PrintIsDoubledOntoStandardErrorWhenTheKindsDiffer) {
    ChildRun run = run_driver({"print"}, Sink::kFile, Sink::kPipe);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, "x\r\n");
    EXPECT_EQ(run.err, "x\r\n");
    run = run_driver({"print"}, Sink::kPipe, Sink::kFile);
    EXPECT_EQ(run.out, "x\r\n");
    EXPECT_EQ(run.err, "x\r\n");
}

TEST(ConsoleProcess, PrintGoesToStandardOutputAloneWhenTheKindsAreEqual) {
    ChildRun run = run_driver({"print"}, Sink::kFile, Sink::kFile);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, "x\r\n");
    EXPECT_EQ(run.err, "");
    run = run_driver({"print"}, Sink::kPipe, Sink::kSameAsOutput);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, "x\r\n");
}

TEST(ConsoleProcess, FatalErrorWritesToStandardErrorAlone) {
    ChildRun run = run_driver({"fatal"}, Sink::kFile, Sink::kPipe);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, with_crlf(plain(kFatalHeadText) + "failure 7 of driver\n" +
                                 plain(kFatalTailText)));
}

TEST(ConsoleProcess, FatalMessageIsCutToItsRoom) {
    ChildRun run = run_driver({"long-fatal"}, Sink::kFile, Sink::kFile);
    std::string message;
    for (int i = 0; i < kFatalMessageSize - 1; ++i) message += static_cast<char>('a' + i % 26);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, with_crlf(plain(kFatalHeadText) + message + plain(kFatalTailText)));
}

// The fatal message cannot be written either: the short write it meets ends the process once,
// without reporting again.
TEST(ConsoleProcess, ShortWriteWhileReportingAFatalErrorEndsTheProcess) {
    ChildRun run = run_driver({"fatal"}, Sink::kFile, Sink::kReadOnlyFile);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out, "");
}

// The print of the driver's "x" fails first on standard output, so standard error holds the
// fatal message and nothing of the "x": output is written before error.
void expect_short_write_on_output(const ChildRun& run, const char* reason) {
    EXPECT_EQ(run.exit_code, 1);
    std::string message = short_write_message(1, kStdOutputNameText, reason);
    EXPECT_TRUE(ShortWriteFatal(message).Matches(run.err)) << run.err;
}

TEST(ConsoleProcess, ShortWriteOnStandardOutputIsFatal) {
    SCOPED_TRACE("standard output read-only");
    expect_short_write_on_output(run_driver({"print"}, Sink::kReadOnlyFile, Sink::kFile),
                                 kReasonDeniedText);
}

// A console whose reader has gone (`| head`) takes no more output, and the process goes on:
// the text still reaches the other standard handle, and the exit code is 0.
TEST(ConsoleProcess, OutputWhoseReaderHasGoneIsLeftQuietly) {
    ChildRun run = run_driver({"print"}, Sink::kClosedPipe, Sink::kFile);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.err, "x\r\n");
    run = run_driver({"print"}, Sink::kClosedPipe, Sink::kSameAsOutput);
    EXPECT_EQ(run.exit_code, 0);
}

// The reader that has gone leaves the one-shot switch set: the next short write elsewhere, to
// a file, is fatal as ever, and its message still reaches standard error.
TEST(ConsoleProcess, ShortWriteToAFileAfterTheReaderHasGoneIsFatal) {
    ScratchFile file("gone-then-short", "");
    ChildRun run = run_driver({"gone-then-short", file.name()}, Sink::kClosedPipe, Sink::kFile);
    EXPECT_EQ(run.exit_code, 1);
    std::string message = short_write_message(3, file.name(), kReasonDeniedText);
    EXPECT_TRUE(ShortWriteFatal("x\r\nx\r\n" + message).Matches(run.err)) << run.err;
}

// logtally starts at its own entry (on Windows without a C runtime), prepares the console and
// ends through process_exit, whatever its main sequence does after the banner.
TEST(ConsoleProcess, LogtallyStartsWithItsBanner) {
    ChildRun run = run_logtally({}, Sink::kFile, Sink::kPipe);
    std::string banner = with_crlf(plain(kBannerText));
    EXPECT_TRUE(run.exit_code == 0 || run.exit_code == 1) << run.exit_code;
    EXPECT_EQ(run.out.substr(0, banner.size()), banner);
    EXPECT_EQ(run.err, run.out);
}

#ifndef _WIN32

TEST(ConsoleProcess, FullDeviceOnStandardOutputIsAShortWrite) {
    expect_short_write_on_output(run_driver({"print"}, Sink::kFullDevice, Sink::kFile),
                                 kReasonDiskFullText);
}

// Without a desktop, the stand-in shows each message box as "[caption] text" on standard
// error of a process without a terminal.
std::string box(const char* caption, const std::string& text) {
    return "[" + plain(caption) + "] " + text + "\n";
}

TEST(ConsoleProcess, WriteToANullHandleShowsOneBoxPerWrite) {
    ChildRun run = run_driver({"null-write"}, Sink::kFile, Sink::kFile, true);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, "");
    const char* caption = kNoHandleWriteCaptionText;
    EXPECT_EQ(run.err, box(caption, "a\nb") + box(caption, "\r\n") + box(caption, "b") +
                           box(caption, "\r\n") + box(caption, "\r\n"));
}

TEST(ConsoleProcess, NullHandleBoxTextIsCutAt1023Characters) {
    ChildRun run = run_driver({"long-box"}, Sink::kFile, Sink::kFile, true);
    std::string text;
    for (int i = 0; i < 1023; ++i) text += static_cast<char>('a' + i % 26);
    EXPECT_EQ(run.err, box(kNoHandleWriteCaptionText, text));
}

// The text is shown as it stands: no directive is expanded, no argument read.
TEST(ConsoleProcess, NullHandleBoxShowsPercentSignsAsTheyStand) {
    ChildRun run = run_driver({"percent-box"}, Sink::kFile, Sink::kFile, true);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.err, box(kNoHandleWriteCaptionText, "rate%d%s%99999999999s.log"));
}

TEST(ConsoleProcess, ReadFromANullHandleShowsABox) {
    ChildRun run = run_driver({"null-read"}, Sink::kFile, Sink::kFile, true);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.err, box(kNoHandleReadCaptionText, formatted(kNoHandleReadFmt, 16)));
}

#endif

}  // namespace
