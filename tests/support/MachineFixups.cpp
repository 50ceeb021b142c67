// Test programs that build the settings dialog start as the program does:
// with the registry fix-ups made, so that the font mapper's charset exists
// on a machine (or a fresh Wine prefix) that never ran the program.

#include "setup/KbdUtils.h"

#include <gtest/gtest.h>

namespace {

class MachineFixups : public testing::Environment {
 public:
  void SetUp() override { FixKeyboardLayouts(); }
};

const testing::Environment* const kFixups = testing::AddGlobalTestEnvironment(new MachineFixups);

}  // namespace
