// The window's start-up on the real Windows host, placed in a plant as an
// installer would place it (run under Wine in CI).
#include <gtest/gtest.h>

#include <string>

#include "app/main_window.h"
#include "env/command_line.h"
#include "env/component_name.h"
#include "env/file_locations.h"
#include "env/report_environment.h"
#include "errors/error_handler.h"
#include "errors/run_state.h"
#include "platform/fake_host.h"
#include "platform/windows_host.h"
#include "tests/support/plant.h"

namespace platform {
namespace {

// The real host, seen as if its executable lay in `directory` and was
// started with `command_line` after its path.
class PlacedHost : public WindowsHost {
 public:
  PlacedHost(std::string directory, std::string command_line)
      : directory_(std::move(directory)),
        command_line_(std::move(command_line)) {}
  std::string ProgramDirectory() const override { return directory_; }
  std::string ProgramFileName() const override { return "Corvane_Config"; }
  std::string CommandLine() const override { return command_line_; }

 private:
  std::string directory_;
  std::string command_line_;
};

class WindowsRunTest : public testing::Test {
 protected:
  WindowsRunTest() {
    base_ = scratch_.temp_dir() + "\\Hmi\\Line1";
    test_support::CopySamplePlant(base_);
    test_support::SetIniValue(base_ + "\\parameter\\hx3configuration.ini",
                              "Common", "SaveAndRestore", base_ + "\\backup");
  }
  // Runs the window's load handler; returns the exit code it ended with.
  int Load(app::frm_Corvane_Config_Exe& window) {
    try {
      window.Form_Load();
    } catch (const errors::EndOfRun& end) {
      return end.exit_code;
    }
    return -1;
  }
  FakeHost scratch_;  // only for its temporary folder
  std::string base_;
};

TEST_F(WindowsRunTest, StandaloneStartFindsComponentAndBaseByBackslash) {
  PlacedHost host(base_ + "\\Corvane", "");
  errors::RunState run(host,
                       md_Standard_Config_Exe::ComponentReportEnvironment());
  EXPECT_EQ(md_Standard_Config_Exe::GetOCXName(run), "Corvane");
  EXPECT_EQ(md_Standard_Config_Exe::GetCFGPath(run),
            base_ + "\\Corvane\\Corvane.cfg");
  EXPECT_EQ(md_Standard_Config_Exe::GetHX3ConfigurationIniPath(run),
            base_ + "\\parameter\\hx3configuration.ini");
  EXPECT_EQ(md_Standard_Config_Exe::GetProgramIniPath(run, 1),
            base_ + "\\parameter\\Program.ini");
  EXPECT_EQ(md_Standard_Config_Exe::GetPathOCXMDB(run),
            base_ + "\\Corvane\\Corvane.mdb");
  app::frm_Corvane_Config_Exe window(run);
  EXPECT_EQ(Load(window), 0);
  // The title names the program's folder.
  EXPECT_EQ(window.caption(), "Erweiterte Konfiguration Corvane - standalone");
  EXPECT_EQ(test_support::IniValue(base_ + "\\Corvane\\Corvane.cfg", "Info",
                                   "S_Prog"),
            "1.0.1 - Standalone");
}

TEST_F(WindowsRunTest, IntegratedStartWhereAnySlashEndsAValue) {
  PlacedHost host(base_ + "\\Corvane", "/EXTERNAL=HX3CFG/LOGFILE=C:\\x.txt");
  errors::RunState run(host,
                       md_Standard_Config_Exe::ComponentReportEnvironment());
  // (How the value ends under this rule: command_line_test.cc.)
  EXPECT_TRUE(md_Standard_Config_Exe::GetStartModeIntegrated(run));
  // The project file comes from the save-and-restore folder.
  EXPECT_EQ(md_Standard_Config_Exe::GetProgramIniPath(run, 1),
            base_ + "\\backup\\parameter\\program.ini");
  app::frm_Corvane_Config_Exe window(run);
  EXPECT_EQ(Load(window), 0);
  EXPECT_EQ(window.caption(), "Erweiterte Konfiguration Corvane - integriert");
}

}  // namespace
}  // namespace platform
