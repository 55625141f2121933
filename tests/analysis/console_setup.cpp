// Takes the standard handles before any test prints, so messages reach the console.
#include <gtest/gtest.h>

#include "platform/output.h"

namespace {

class ConsoleEnvironment : public testing::Environment {
  public:
    void SetUp() override { init_console(); }
};

const testing::Environment* const console_environment =
    testing::AddGlobalTestEnvironment(new ConsoleEnvironment);

}  // namespace
