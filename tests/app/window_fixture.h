#ifndef TESTS_APP_WINDOW_FIXTURE_H_
#define TESTS_APP_WINDOW_FIXTURE_H_

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/main_window.h"
#include "env/report_environment.h"
#include "errors/error_handler.h"
#include "errors/run_state.h"
#include "platform/fake_host.h"
#include "tests/support/plant.h"

namespace app_test {

using test_support::CopySamplePlant;
using test_support::Exists;
using test_support::FileLines;
using test_support::IniValue;
using test_support::SetIniValue;

// A fake host with the sample plant at temp/Hmi and the program in
// temp/Hmi/Corvane, a run state and the window on it.
template <typename Host = platform::FakeHost>
class WindowFixtureT : public ::testing::Test {
 protected:
  WindowFixtureT()
      : run_(host_, md_Standard_Config_Exe::ComponentReportEnvironment()) {
    base_ = host_.temp_dir() + "/Hmi";
    CopySamplePlant(base_);
    host_.set_first_environment_entry("USER=abc");
  }

  std::string Cfg() const { return base_ + "/Corvane/Corvane.cfg"; }
  std::string ErrorLog() const { return base_ + "/HX3cfglog.txt"; }
  std::string LanguageFile() const {
    return base_ + "/Corvane/Corvane_Config.ini";
  }

  // Runs `step`, which must end the program; returns the exit code (-1 when
  // it returned instead).
  static int EndCode(const std::function<void()>& step) {
    try {
      step();
    } catch (const errors::EndOfRun& end) {
      return end.exit_code;
    }
    return -1;
  }

  int Load(app::frm_Corvane_Config_Exe& window) {
    return EndCode([&] { window.Form_Load(); });
  }

  Host host_;
  errors::RunState run_;
  std::string base_;
};

using WindowFixture = WindowFixtureT<>;

}  // namespace app_test

#endif  // TESTS_APP_WINDOW_FIXTURE_H_
