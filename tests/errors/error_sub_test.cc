#include <gtest/gtest.h>

#include <string>

#include "base/runtime_error.h"
#include "base/text.h"
#include "errors/error_handler.h"
#include "platform/fake_host.h"
#include "tests/env/plant_files.h"
#include "tests/errors/test_hosts.h"

namespace errors {
namespace {

using platform::FakeHost;
using platform::MsgButtons;
using platform::MsgIcon;

class ErrorSubTest : public plant_files::PlantTest {
 protected:
  std::string Notice() {
    return "Error logged to \n\r" + base::UpperCase(ErrorLogPath(host_));
  }
};

TEST_F(ErrorSubTest, WritesExactLogLineAndAsks) {
  EXPECT_EQ(
      ErrorSub(run_, 53, "Proj", "File not found", "LoadIniString", false), 2);
  EXPECT_EQ(FakeHost::ReadTextFile(ErrorLogPath(host_)),
            "Fehler in Corvane / Proj / LoadIniString (Nr. 53) :File not "
            "found\r\n");
  ASSERT_EQ(host_.shown_boxes().size(), 1u);
  const platform::MessageBoxRequest& box = host_.shown_boxes()[0];
  EXPECT_EQ(box.text, "Unexpected error!\n\rFile not found\n\r" + Notice() +
                          "\n\rResume?");
  EXPECT_EQ(box.title, "Unexpected error");
  EXPECT_EQ(box.buttons, MsgButtons::kYesNo);
  EXPECT_EQ(box.default_button, 1);
  EXPECT_EQ(box.icon, MsgIcon::kCritical);
}

TEST_F(ErrorSubTest, NegativeNumberAndMultiLineDescriptionKeptAsIs) {
  ErrorSub(run_, -2147217900, "DAO.Database", "line one\r\nline two",
           "WorkOnMDB", false);
  EXPECT_EQ(FakeHost::ReadTextFile(ErrorLogPath(host_)),
            "Fehler in Corvane / DAO.Database / WorkOnMDB (Nr. -2147217900) "
            ":line one\r\nline two\r\n");
  EXPECT_NE(host_.shown_boxes()[0].text.find("\n\rline one\r\nline two\n\r"),
            std::string::npos);
}

TEST_F(ErrorSubTest, FatalShowsOkOnlyAndEnds) {
  EXPECT_EQ(ErrorSub(run_, 13, "S", "Type mismatch", "P", true), 1);
  const platform::MessageBoxRequest& box = host_.shown_boxes().at(0);
  EXPECT_EQ(box.title, "Fatal error");
  EXPECT_EQ(box.buttons, MsgButtons::kOk);
  EXPECT_EQ(box.icon, MsgIcon::kCritical);
  EXPECT_EQ(box.text, "Unexpected error!\n\rType mismatch\n\r" + Notice());
}

TEST_F(ErrorSubTest, SilentWritesFaultLogAndResumes) {
  run_.start_mode_silent = true;
  EXPECT_EQ(ErrorSub(run_, 53, "Proj", "File not found", "P", true), 2);
  EXPECT_TRUE(host_.shown_boxes().empty());
  EXPECT_EQ(FakeHost::ReadTextFile(host_.FaultLogPath()),
            "! Fault Corvane_Config: Unexpected error!\n\rFile not found\n\r" +
                Notice() + "\r\n");
}

TEST_F(ErrorSubTest, SilentWithUnwritableFaultLogPropagates) {
  run_.start_mode_silent = true;
  host_.set_fault_log_path(host_.temp_dir() + "/no/such/dir/fault.log");
  EXPECT_THROW(ErrorSub(run_, 5, "S", "D", "P", false), base::RuntimeError);
  // The error log line was written before the fault log failed.
  EXPECT_EQ(FakeHost::ReadTextFile(ErrorLogPath(host_)),
            "Fehler in Corvane / S / P (Nr. 5) :D\r\n");
}

}  // namespace
}  // namespace errors
