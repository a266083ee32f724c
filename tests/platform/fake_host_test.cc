#include "platform/fake_host.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace platform {
namespace {

MessageBoxRequest Box(MsgButtons buttons, int default_button) {
  MessageBoxRequest box;
  box.text = "text";
  box.title = "title";
  box.buttons = buttons;
  box.default_button = default_button;
  return box;
}

TEST(FakeHostTest, ScriptedAnswersThenDefaultButton) {
  FakeHost host;
  host.QueueAnswer(MsgResult::kNo);
  EXPECT_EQ(host.ShowMessage(Box(MsgButtons::kYesNo, 1)), MsgResult::kNo);
  EXPECT_EQ(host.ShowMessage(Box(MsgButtons::kYesNo, 1)), MsgResult::kYes);
  EXPECT_EQ(host.ShowMessage(Box(MsgButtons::kYesNo, 2)), MsgResult::kNo);
  EXPECT_EQ(host.ShowMessage(Box(MsgButtons::kYesNoCancel, 3)),
            MsgResult::kCancel);
  EXPECT_EQ(host.ShowMessage(Box(MsgButtons::kOk, 5)), MsgResult::kOk);
  ASSERT_EQ(host.shown_boxes().size(), 5u);
  EXPECT_EQ(host.shown_boxes()[0].title, "title");
}

TEST(FakeHostTest, TempDirectoryHoldsProgramAndFaultLogAndIsRemoved) {
  std::string dir;
  {
    FakeHost host;
    dir = host.temp_dir();
    EXPECT_TRUE(std::filesystem::is_directory(host.ProgramDirectory()));
    EXPECT_EQ(host.FaultLogPath().rfind(dir, 0), 0u);
    EXPECT_EQ(host.ProgramFileName(), "Corvane_Config");
  }
  EXPECT_FALSE(std::filesystem::exists(dir));
}

}  // namespace
}  // namespace platform
