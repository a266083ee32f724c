#include "env/command_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "env/report_environment.h"
#include "platform/fake_host.h"
#include "tests/env/plant_files.h"

namespace md_Standard_Config_Exe {
namespace {

using platform::FakeHost;

enum class Rule { kWindows, kLinux, kBoth };

struct CommandCase {
  const char* name;
  Rule rule;
  std::string command_line;
  std::optional<std::string> external;
  std::string logfile;
  bool integrated;
  bool silent;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

class CommandLineTest : public testing::TestWithParam<CommandCase> {};

TEST_P(CommandLineTest, ReadsKeysAndStartMode) {
  const CommandCase& c = GetParam();
  for (bool anywhere : {true, false}) {
    if ((c.rule == Rule::kWindows && !anywhere) ||
        (c.rule == Rule::kLinux && anywhere)) {
      continue;
    }
    SCOPED_TRACE(anywhere ? "Windows rule" : "Linux rule");
    FakeHost host;
    host.set_slash_ends_values_anywhere(anywhere);
    host.set_command_line(c.command_line);
    errors::RunState run(host,
                         md_Standard_Config_Exe::ComponentReportEnvironment());
    EXPECT_EQ(ReadCommand(run, c.command_line, "EXTERNAL"), c.external);
    EXPECT_EQ(GetPathLogfile(run), c.logfile);
    EXPECT_EQ(GetStartModeIntegrated(run), c.integrated);
    EXPECT_EQ(run.start_mode_integrated, c.integrated);
    EXPECT_EQ(run.start_mode_silent, c.silent);
    EXPECT_TRUE(host.shown_boxes().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, CommandLineTest,
    testing::Values(
        CommandCase{"Empty", Rule::kBoth, "", std::nullopt, "", false, false},
        CommandCase{"AnyCase", Rule::kBoth, "/external=hx3cfg", "HX3CFG", "",
                    true, false},
        CommandCase{"BlankSeparator", Rule::kBoth, "/EXTERNAL HX3CFG", "HX3CFG",
                    "", true, false},
        CommandCase{"ColonSeparator", Rule::kBoth, "/EXTERNAL:HX3CFG", "HX3CFG",
                    "", true, false},
        CommandCase{"BlanksAroundEquals", Rule::kBoth, "/EXTERNAL = HX3CFG",
                    "= HX3CFG", "", false, false},
        CommandCase{"NextSwitchWithoutBlank", Rule::kBoth,
                    "/EXTERNAL=HX3CFG/LOGFILE=C:\\x.txt", "HX3CFG", "C:\\X.TXT",
                    true, false},
        CommandCase{"BlanksAroundValue", Rule::kBoth,
                    "/EXTERNAL=  HX3CFG  /SILENT", "HX3CFG", "", true, false},
        CommandCase{"Silent", Rule::kBoth, "/EXTERNAL=silent", "SILENT", "",
                    false, true},
        CommandCase{"FirstOccurrenceWins", Rule::kBoth,
                    "/LOGFILE=C:\\EXTERNAL\\a.txt /EXTERNAL=HX3CFG", "A.TXT",
                    "C:\\EXTERNAL\\A.TXT", false, false},
        CommandCase{"EmptyValueAtEnd", Rule::kBoth, "/EXTERNAL=", "", "", false,
                    false},
        CommandCase{"OtherValue", Rule::kBoth, "/EXTERNAL=HX3CFGX /x",
                    "HX3CFGX", "", false, false},
        CommandCase{"WindowsCutsPathAtSlash", Rule::kWindows,
                    "/LOGFILE=C:/logs/x.txt", std::nullopt, "C:", false, false},
        CommandCase{"WindowsCutsAbsolutePath", Rule::kWindows,
                    "/EXTERNAL=HX3CFG /LOGFILE=/srv/hmi/logs/run.txt", "HX3CFG",
                    "", true, false},
        CommandCase{"LinuxKeepsAbsolutePath", Rule::kLinux,
                    "/EXTERNAL=HX3CFG /LOGFILE=/srv/hmi/logs/run.txt", "HX3CFG",
                    "/SRV/HMI/LOGS/RUN.TXT", true, false},
        CommandCase{"LinuxPathBeforeExternal", Rule::kLinux,
                    "/LOGFILE=/srv/log.txt /EXTERNAL=SILENT", "SILENT",
                    "/SRV/LOG.TXT", false, true},
        CommandCase{"LinuxKeyGluedToPath", Rule::kLinux,
                    "/LOGFILE=/srv/run.txt/external=hx3cfg", "HX3CFG",
                    "/SRV/RUN.TXT", true, false},
        CommandCase{"LinuxKeyNamesInsidePathElements", Rule::kLinux,
                    "/EXTERNAL=HX3CFG /LOGFILE=/srv/logfiles/logfile.txt",
                    "HX3CFG", "/SRV/LOGFILES/LOGFILE.TXT", true, false},
        CommandCase{"LinuxKeyAsFolderName", Rule::kLinux,
                    "/EXTERNAL=HX3CFG /LOGFILE=/var/log/external/run.txt",
                    "HX3CFG", "/VAR/LOG/EXTERNAL/RUN.TXT", true, false},
        CommandCase{"LinuxNonAsciiPath", Rule::kLinux,
                    "/logfile=/tmp/\xC3\xA4rger.txt", std::nullopt,
                    "/TMP/\xC3\x84RGER.TXT", false, false}),
    [](const testing::TestParamInfo<CommandCase>& info) {
      return std::string(info.param.name);
    });

using ReadCommandTest = plant_files::PlantTest;
using StartModeTest = plant_files::PlantTest;
using ReplaceSearchItemLimitTest = plant_files::PlantTest;

TEST_F(ReadCommandTest, KeyAtVeryEndIsReportedAndGivesEmptyValue) {
  EXPECT_EQ(ReadCommand(run_, "/LOGFILE=x /EXTERNAL", "external"), "");
  ASSERT_EQ(host_.shown_boxes().size(), 1u);
  EXPECT_NE(FakeHost::ReadTextFile(host_.temp_dir() + "/Hmi/HX3cfglog.txt")
                .find("/ ReadCommand (Nr. 5) :"),
            std::string::npos);
  // Standalone: the failure is reported, the start stays standalone.
  host_.set_command_line("/EXTERNAL");
  EXPECT_FALSE(GetStartModeIntegrated(run_));
  EXPECT_FALSE(run_.start_mode_silent);
}

TEST_F(StartModeTest, EveryCallEvaluatesAfresh) {
  host_.set_command_line("/EXTERNAL=SILENT");
  GetStartModeIntegrated(run_);
  EXPECT_TRUE(run_.start_mode_silent);
  host_.set_command_line("/EXTERNAL=HX3CFG");
  EXPECT_TRUE(GetStartModeIntegrated(run_));
  EXPECT_FALSE(run_.start_mode_silent);
  EXPECT_TRUE(run_.start_mode_integrated);
}

struct ReplaceCase {
  const char* name;
  std::string text;
  std::string item;
  std::string replacement;
  std::string expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ReplaceCase& c, std::ostream* os) { *os << c.name; }

class ReplaceSearchItemTest : public plant_files::PlantTest,
                              public testing::WithParamInterface<ReplaceCase> {
};

TEST_P(ReplaceSearchItemTest, ReplacesFirstOccurrence) {
  const ReplaceCase& c = GetParam();
  EXPECT_EQ(ReplaceSearchItem(run_, c.text, c.item, c.replacement), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReplaceSearchItemTest,
    testing::Values(
        ReplaceCase{"IgnoresCase", "Temp_###MACHINE_x", "###machine", "M1",
                    "Temp_M1_x"},
        ReplaceCase{"OnlyFirst", "a###machine b###machine", "###machine", "M1",
                    "aM1 b###machine"},
        ReplaceCase{"Missing", "abc", "###machine", "M1", "abc"},
        ReplaceCase{"PartialMatchesBeforeIt", "##mach ###machin ###MACHINE!",
                    "###machine", "M1", "##mach ###machin M1!"},
        ReplaceCase{"LetterFirstInEitherCase", "vvAR_x var_y", "Var_", "<",
                    "v<x var_y"},
        ReplaceCase{"ItemLongerThanText", "###mach", "###machine", "M1",
                    "###mach"},
        ReplaceCase{"NonAsciiLetterAtTheEndIgnoresCase", "a#x\xC3\xA4",
                    "#X\xC3\x84", "!", "a!"},
        ReplaceCase{"NonAsciiLetterAtTheEndOfALongerText",
                    "abcdefghij#x\xC3\xA4", "#X\xC3\x84", "!", "abcdefghij!"},
        ReplaceCase{"EmptyItemMatchesAtStart", "abc", "", "M1", "M1abc"},
        ReplaceCase{"ReplacementUnchanged", "x###Var_Name", "###var_name",
                    "aBc", "xaBc"},
        ReplaceCase{"CountsCharactersNotBytes",
                    "\xC3\x84rger_\xC3\xA4_###machine", "\xC3\x84_###MACHINE",
                    "M\xC3\xBC", "\xC3\x84rger_M\xC3\xBC"}),
    [](const testing::TestParamInfo<ReplaceCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(ReplaceSearchItemLimitTest, MatchBeyond32767IsOverflowAndKeepsText) {
  std::string last_fitting = std::string(32766, 'a') + "#x";
  EXPECT_EQ(ReplaceSearchItem(run_, last_fitting, "#X", "!"),
            std::string(32766, 'a') + "!");
  EXPECT_TRUE(host_.shown_boxes().empty());

  std::string too_far = std::string(32767, 'a') + "#x";
  EXPECT_EQ(ReplaceSearchItem(run_, too_far, "#X", "!"), too_far);
  ASSERT_EQ(host_.shown_boxes().size(), 1u);
  EXPECT_NE(FakeHost::ReadTextFile(host_.temp_dir() + "/Hmi/HX3cfglog.txt")
                .find("/ ReplaceSearchItem (Nr. 6) :Overflow"),
            std::string::npos);
}

}  // namespace
}  // namespace md_Standard_Config_Exe
