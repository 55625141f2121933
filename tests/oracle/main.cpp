// Process entry of logtally_oracle on both builds. On Windows it starts through the C
// runtime like every test program and reads its arguments with GetCommandLineA, as logtally
// does; natively it hands them to the stand-in first, as logtally's own main does.
#include "tests/oracle/oracle.h"

#ifdef _WIN32
int main() { oracle::program_entry(); }
#else
#include "platform/standin/win_standin.h"

int main(int argc, char** argv) {
    standin_set_arguments(argc, argv);
    oracle::program_entry();
}
#endif
