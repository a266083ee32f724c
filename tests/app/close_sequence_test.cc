// OK, cancel, help-query mode and the close request of the window, and the
// cancel confirmation.
#include <string>

#include "app/confirm_cancel.h"
#include "app/info_text.h"
#include "app/main_window.h"
#include "base/runtime_error.h"
#include "tests/app/window_fixture.h"

namespace app_test {
namespace {

using app::frm_Corvane_Config_Exe;
using md_Standard_Config_Exe::CancelQuestionText;
using md_Standard_Config_Exe::ConfirmCancel;
using md_Standard_Config_Exe::ExecutablePath;
using platform::MsgResult;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using CloseTest = WindowFixture;

const std::string kStandaloneQuestion =
    "Cancel edits?\n\rRemark:\n\rUntil now no changes have been taken over ";

TEST_F(CloseTest, HelpModeTurnsOkAndCancelIntoInfoTexts) {
  run_.help_texts[1] = "Line one<crlf>Line two<CRLF>";
  run_.help_texts[2] = "Cancel explained";
  frm_Corvane_Config_Exe window(run_);

  window.CommandQuest_Click();
  EXPECT_TRUE(run_.help_mode_active);
  EXPECT_EQ(window.control(app::kCommandQuest).back_color, app::kHelpModeGreen);

  window.CommandOK_Click();
  window.CommandCancel_Click();
  ASSERT_EQ(host_.shown_boxes().size(), 2u);
  const auto& ok_info = host_.shown_boxes()[0];
  EXPECT_EQ(ok_info.text, "Line one\r\nLine two\r\n");
  EXPECT_EQ(ok_info.title, "Info:");
  EXPECT_EQ(ok_info.buttons, platform::MsgButtons::kOk);
  EXPECT_EQ(ok_info.icon, platform::MsgIcon::kInformation);
  EXPECT_EQ(host_.shown_boxes()[1].text, "Cancel explained");
  // Neither button acted.
  EXPECT_TRUE(window.control(app::kCommandOK).enabled);
  EXPECT_EQ(IniValue(Cfg(), "Info", "S_Prog"), "");

  window.CommandQuest_Click();
  EXPECT_FALSE(run_.help_mode_active);
  EXPECT_EQ(window.control(app::kCommandQuest).back_color, app::kWindowGrey);
  EXPECT_EQ(EndCode([&] { window.CommandOK_Click(); }), errors::kExitFinished);
}

TEST_F(CloseTest, CancelAnsweredNoOrByDefaultChangesNothing) {
  frm_Corvane_Config_Exe window(run_);
  host_.QueueAnswer(MsgResult::kNo);
  window.CommandCancel_Click();
  window.CommandCancel_Click();  // Enter: the default button

  ASSERT_EQ(host_.shown_boxes().size(), 2u);
  const auto& box = host_.shown_boxes()[0];
  EXPECT_EQ(box.text, kStandaloneQuestion);
  EXPECT_EQ(box.title, "Cancel?");
  EXPECT_EQ(box.buttons, platform::MsgButtons::kYesNo);
  EXPECT_EQ(box.default_button, 2);
  EXPECT_EQ(box.icon, platform::MsgIcon::kExclamation);
  EXPECT_THAT(window.journal(), IsEmpty());
  EXPECT_FALSE(Exists(ErrorLog()));
}

TEST_F(CloseTest, CancelAnsweredYesLogsOneLineAndEndsWithoutRecording) {
  frm_Corvane_Config_Exe window(run_);
  host_.QueueAnswer(MsgResult::kYes);
  EXPECT_EQ(EndCode([&] { window.CommandCancel_Click(); }),
            errors::kExitCancelled);

  EXPECT_EQ(host_.shown_boxes().size(), 1u);
  EXPECT_THAT(FileLines(ErrorLog()),
              ElementsAre("Konfigurations-EXE wurde abgebrochen:     Corvane"));
  EXPECT_EQ(IniValue(Cfg(), "Info", "S_Prog"), "");
}

TEST_F(CloseTest, CloseRequestAsksLikeCancel) {
  frm_Corvane_Config_Exe window(run_);
  int16_t cancel = 0;
  host_.QueueAnswer(MsgResult::kNo);
  window.Form_QueryUnload(cancel, 0);
  EXPECT_NE(cancel, 0);

  cancel = 0;
  host_.QueueAnswer(MsgResult::kYes);
  window.Form_QueryUnload(cancel, 0);
  EXPECT_EQ(cancel, 0);

  host_.QueueAnswer(MsgResult::kNo);
  window.CloseBox_Click();  // stays open
  host_.QueueAnswer(MsgResult::kYes);
  EXPECT_EQ(EndCode([&] { window.CloseBox_Click(); }), errors::kExitCancelled);
  EXPECT_EQ(host_.shown_boxes().size(), 4u);
  EXPECT_EQ(host_.shown_boxes()[2].title, "Cancel?");
  EXPECT_EQ(IniValue(Cfg(), "Info", "S_Prog"), "");
}

TEST_F(CloseTest, IntegratedQuestionNamesComponentAndProgram) {
  run_.start_mode_integrated = true;
  EXPECT_EQ(CancelQuestionText(run_),
            kStandaloneQuestion +
                "\n\r\"Corvane\" has to be configured again in "
                "\"standalone-mode\" via \n\r\"" +
                base_ + "/Corvane/Corvane_Config\"");
  // The program's path follows the host's form.
  host_.set_path_separator('\\');
  host_.set_program_directory("C:\\Hmi\\Corvane");
  EXPECT_EQ(ExecutablePath(run_), "C:\\Hmi\\Corvane\\Corvane_Config.exe");
  host_.set_program_directory("C:\\");
  EXPECT_EQ(ExecutablePath(run_), "C:\\Corvane_Config.exe");
}

TEST_F(CloseTest, SilentConfirmationGoesToTheFaultLogOnly) {
  run_.start_mode_silent = true;
  EXPECT_TRUE(ConfirmCancel(run_));
  EXPECT_TRUE(host_.shown_boxes().empty());
  EXPECT_EQ(platform::FakeHost::ReadTextFile(host_.FaultLogPath()),
            "! Fault Corvane_Config: " + kStandaloneQuestion + "\r\n");
  EXPECT_FALSE(Exists(ErrorLog()));

  frm_Corvane_Config_Exe window(run_);
  EXPECT_EQ(EndCode([&] { window.CommandCancel_Click(); }),
            errors::kExitCancelled);
}

// A host whose cancel question fails, as a box that cannot be shown would.
class FailingQuestionHost : public platform::FakeHost {
 public:
  platform::MsgResult ShowMessage(
      const platform::MessageBoxRequest& box) override {
    if (box.title == "Cancel?") {
      throw base::RuntimeError(5, "Host", "Invalid procedure call or argument");
    }
    return FakeHost::ShowMessage(box);
  }
};

using FailingQuestionTest = WindowFixtureT<FailingQuestionHost>;

TEST_F(FailingQuestionTest, FailedConfirmationKeepsTheWindowOpenOnClose) {
  frm_Corvane_Config_Exe window(run_);
  int16_t cancel = 0;
  window.Form_QueryUnload(cancel, 0);
  EXPECT_NE(cancel, 0);
  ASSERT_EQ(host_.shown_boxes().size(), 1u);
  EXPECT_EQ(host_.shown_boxes()[0].title, "Unexpected error");
  EXPECT_THAT(FileLines(ErrorLog()),
              ElementsAre("Fehler in Corvane / Host / Form_QueryUnload (Nr. 5) "
                          ":Invalid procedure call or argument"));
}

TEST_F(FailingQuestionTest, FailedConfirmationEndsTheRunOnCancel) {
  frm_Corvane_Config_Exe window(run_);
  EXPECT_EQ(EndCode([&] { window.CommandCancel_Click(); }),
            errors::kExitCancelled);
  EXPECT_THAT(FileLines(ErrorLog()),
              ElementsAre("Fehler in Corvane / Host / CommandCancel_Click (Nr. "
                          "5) :Invalid procedure call or argument"));
}

}  // namespace
}  // namespace app_test
