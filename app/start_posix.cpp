// Process entry of the native logtally: records the arguments for the stand-in, then runs the
// program's own entry.
#include "app/program.h"
#include "platform/standin/win_standin.h"

int main(int argc, char** argv) {
    standin_set_arguments(argc, argv);
    program_entry();
}
