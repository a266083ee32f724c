#include <gtest/gtest.h>

#include <string>

#include "base/runtime_error.h"
#include "errors/error_handler.h"
#include "platform/fake_host.h"
#include "tests/env/plant_files.h"
#include "tests/support/test_support.h"

namespace errors {
namespace {

using platform::FakeHost;

using LogsTest = plant_files::PlantTest;

TEST_F(LogsTest, ProgramFolderWithoutSeparatorIsInvalidArgument) {
  host_.set_program_directory("Config");
  EXPECT_EQ(test_support::ErrorOf([&] { WriteErrorLog(run_, "x", false); }),
            base::err::kInvalidProcedureCall);
}

TEST_F(LogsTest, ShowFaultBoxInNormalStartFaultLogInSilentStart) {
  ShowFault(run_, "File not found: \n\r/X/Y.CFG");
  ASSERT_EQ(host_.shown_boxes().size(), 1u);
  const platform::MessageBoxRequest& box = host_.shown_boxes()[0];
  EXPECT_EQ(box.title, "Corvane_Config");
  EXPECT_EQ(box.buttons, platform::MsgButtons::kOk);
  EXPECT_EQ(box.icon, platform::MsgIcon::kCritical);
  EXPECT_EQ(FakeHost::ReadTextFile(host_.FaultLogPath()), "");

  // WriteFaultLog writes in a normal start too.
  WriteFaultLog(run_, "b\n\rc");
  run_.start_mode_silent = true;
  ShowFault(run_, "File not found: \n\r/X/Y.CFG");
  EXPECT_EQ(host_.shown_boxes().size(), 1u);
  EXPECT_EQ(FakeHost::ReadTextFile(host_.FaultLogPath()),
            "! Fault Corvane_Config: b\n\rc\r\n"
            "! Fault Corvane_Config: File not found: \n\r/X/Y.CFG\r\n");
}

}  // namespace
}  // namespace errors
