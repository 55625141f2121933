// A console event meets the files of a run at each step: at risk they are deleted, while the
// program holds them the event waits for it to let go, and once they are being moved it
// waits for the moves to end; it always ends the process as an interrupted one.
#include "driver_runner.h"
#include "platform_support.h"

namespace {

// How the system ends a process on a console event: STATUS_CONTROL_C_EXIT on Windows,
// natively the stand-in's SIGINT.
#ifdef _WIN32
constexpr int kInterrupted = static_cast<int>(0xC000013Au);
#else
constexpr int kInterrupted = 128 + 2;
#endif

TEST(ConsoleEvents, DeleteTheFilesOnlyBetweenStepsAndNeverOnceTheyAreMoving) {
    const struct {
        const char* step;
        const char* out;  // what the driver said: "discarded" comes from the files' deletion
        int exit_code;
    } rows[] = {
        {"at-risk", "discarded\r\n", kInterrupted},
        {"held", "made\r\ndiscarded\r\n", kInterrupted},
        {"moving", "moved\r\n", kInterrupted},
        {"exit", "discarded\r\n", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.step);
        ChildRun run = run_driver({"files-and-event", row.step}, Sink::kPipe, Sink::kFile);
        EXPECT_EQ(run.exit_code, row.exit_code);
        EXPECT_EQ(run.out, row.out);
    }
}

}  // namespace
