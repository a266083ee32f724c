// The load handler's sequence in the three start modes, on a fake host with
// the sample plant.
#include "app/main_window.h"

#include <filesystem>
#include <string>
#include <vector>

#include "tests/app/window_fixture.h"
#include "tests/errors/test_hosts.h"

namespace app_test {
namespace {

using app::frm_Corvane_Config_Exe;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

using StartUpTest = WindowFixture;

const std::string kSubscriptLine =
    "Fehler in Corvane / Corvane_Config_Exe / SetupUserInterFace (Nr. 9) "
    ":Subscript out of range";

TEST_F(StartUpTest, StandaloneStartTitlesEnablesRecordsAndEnds) {
  frm_Corvane_Config_Exe window(run_);
  EXPECT_EQ(Load(window), errors::kExitFinished);

  EXPECT_EQ(window.caption(), "Erweiterte Konfiguration Corvane - standalone");
  EXPECT_THAT(
      window.journal(),
      ElementsAre("Caption=Erweiterte Konfiguration Corvane - standalone",
                  "CommandOK.Enabled=True", "CommandCancel.Enabled=True",
                  "MousePointer=11", "MousePointer=0"));
  EXPECT_THAT(run_.machine_list, ElementsAre("Filler", "Packer"));
  EXPECT_EQ(window.configuration_ini_path(),
            base_ + "/parameter/hx3configuration.ini");
  EXPECT_EQ(IniValue(Cfg(), "Info", "S_Prog"), "1.0.1 - Standalone");
  EXPECT_EQ(IniValue(Cfg(), "Info", "S_Editor"), "666768");
  EXPECT_EQ(IniValue(Cfg(), "Project", "ValidMachines"), "ALL");
  EXPECT_TRUE(host_.shown_boxes().empty());
  EXPECT_FALSE(Exists(ErrorLog()));
}

TEST_F(StartUpTest, LanguageTextsReachTheControls) {
  SetIniValue(LanguageFile(), "1031", "Caption_Header_", "Schichtzeiten");
  frm_Corvane_Config_Exe window(run_);
  Load(window);

  EXPECT_EQ(window.control(app::kHeader).caption, "Schichtzeiten");
  EXPECT_EQ(window.control(app::kCommandOK).tool_tip_text,
            "Übernehmen und beenden");
  EXPECT_EQ(run_.help_texts[1],
            "OK übernimmt die Einstellungen<CRLF>und beendet das Programm.");
  EXPECT_THAT(run_.help_texts[2], HasSubstr("Abbrechen"));
}

TEST_F(StartUpTest, IntegratedStartTakesTheMachinesOfTheHmiConfiguration) {
  host_.set_slash_ends_values_anywhere(false);
  host_.set_command_line("/EXTERNAL=HX3CFG /LOGFILE=" + base_ + "/run.log");
  SetIniValue(base_ + "/parameter/hx3configuration.ini", "Common", "NameM2",
              "Wrapper");
  frm_Corvane_Config_Exe window(run_);
  EXPECT_EQ(Load(window), errors::kExitFinished);

  EXPECT_EQ(window.caption(), "Erweiterte Konfiguration Corvane - integriert");
  EXPECT_TRUE(run_.start_mode_integrated);
  EXPECT_THAT(run_.machine_list, ElementsAre("Filler", "Wrapper"));
  EXPECT_EQ(run_.program_ini_path, base_ + "/backup/parameter/program.ini");
  EXPECT_EQ(IniValue(Cfg(), "Info", "S_Prog"), "1.0.1 - Integrated");
  EXPECT_TRUE(host_.shown_boxes().empty());
}

TEST_F(StartUpTest, SilentStartPressesOkItselfAndClosesOnce) {
  host_.set_command_line("/EXTERNAL=SILENT");
  frm_Corvane_Config_Exe window(run_);
  EXPECT_EQ(Load(window), errors::kExitFinished);

  EXPECT_EQ(window.caption(), "Erweiterte Konfiguration Corvane - standalone");
  EXPECT_THAT(
      window.journal(),
      ElementsAre("Caption=Erweiterte Konfiguration Corvane - standalone",
                  "CommandOK.Enabled=False", "CommandCancel.Enabled=False",
                  "MousePointer=11", "MousePointer=0"));
  EXPECT_FALSE(run_.help_mode_active);
  EXPECT_EQ(IniValue(Cfg(), "Info", "S_Prog"), "1.0.1 - Standalone");
  EXPECT_TRUE(host_.shown_boxes().empty());
  EXPECT_FALSE(Exists(host_.FaultLogPath()));
}

TEST_F(StartUpTest, TitleNamesTheProgramFolderNotTheExecutable) {
  std::filesystem::create_directories(base_ + "/Shifts");
  host_.set_program_directory(base_ + "/Shifts");
  frm_Corvane_Config_Exe window(run_);
  EXPECT_EQ(Load(window), errors::kExitFinished);
  EXPECT_EQ(window.caption(), "Erweiterte Konfiguration Shifts - standalone");
}

TEST_F(StartUpTest, NoMachineInASilentStartGoesToBothLogs) {
  std::filesystem::remove(base_ + "/parameter/Program.ini");
  host_.set_command_line("/EXTERNAL=SILENT");
  frm_Corvane_Config_Exe window(run_);
  EXPECT_EQ(Load(window), errors::kExitFinishedWithFailures);

  EXPECT_TRUE(host_.shown_boxes().empty());
  EXPECT_THAT(FileLines(ErrorLog()),
              ElementsAre(kSubscriptLine, kSubscriptLine));
  EXPECT_EQ(errors::Occurrences(
                platform::FakeHost::ReadTextFile(host_.FaultLogPath()),
                "! Fault Corvane_Config: Unexpected error!"),
            2u);
}

TEST_F(StartUpTest, AnsweringNoToAnErrorEndsWithoutRecording) {
  std::filesystem::remove(base_ + "/parameter/Program.ini");
  host_.QueueAnswer(platform::MsgResult::kNo);
  frm_Corvane_Config_Exe window(run_);
  EXPECT_EQ(Load(window), errors::kExitEnded);

  EXPECT_EQ(host_.shown_boxes().size(), 1u);
  EXPECT_EQ(IniValue(Cfg(), "Info", "S_Prog"), "");
  EXPECT_EQ(window.mouse_pointer(), app::kPointerDefault);
  EXPECT_EQ(window.control(app::kCommandOK).enabled, true);
}

}  // namespace
}  // namespace app_test
