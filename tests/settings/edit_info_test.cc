#include "settings/edit_info.h"

#include <gtest/gtest.h>

#include <string>

#include "env/file_locations.h"
#include "tests/env/plant_files.h"
#include "tests/support/plant.h"
#include "tests/support/test_support.h"

namespace md_Standard_Config_Exe {
namespace {

class EditInfoTest : public plant_files::PlantTest {
 protected:
  EditInfoTest() {
    test_support::WriteBytes(
        Cfg(),
        "[Project]\r\nValidMachines=ALL\r\n"
        "[Info]\r\nS_Prog=0.9 - Integrated\r\nS_Editor=FF\r\n");
  }

  std::string Cfg() const {
    return host_.temp_dir() + "/Hmi/Corvane/Corvane.cfg";
  }
  std::string Stored(const std::string& section, const std::string& key) {
    return test_support::IniValue(Cfg(), section, key).value_or("?");
  }
  void WriteEditInfo() {
    md_Standard_Config_Exe::WriteEditInfo(run_,
                                          [&] { return GetCFGPath(run_); });
  }
  // The editor mark written for a first environment entry.
  std::string MarkFor(const std::string& entry) {
    host_.set_first_environment_entry(entry);
    WriteEditInfo();
    return Stored("Info", "S_Editor");
  }
};

TEST_F(EditInfoTest, VersionAndStartModeReplaceTheRecord) {
  WriteEditInfo();
  EXPECT_EQ(Stored("Info", "S_Prog"), "1.0.1 - Standalone");
  EXPECT_EQ(Stored("Project", "ValidMachines"), "ALL");

  run_.start_mode_integrated = true;
  host_.set_program_version({2, 10, 0});
  WriteEditInfo();
  EXPECT_EQ(Stored("Info", "S_Prog"), "2.10.0 - Integrated");
}

TEST_F(EditInfoTest, EditorMarkEncodesTheFirstEnvironmentValue) {
  EXPECT_EQ(MarkFor("USER=a-b_c"), "666768");
  EXPECT_EQ(MarkFor("USER=0"), "35");
  EXPECT_EQ(MarkFor("USER=-_-_"), "");
  EXPECT_EQ(MarkFor("X=a=b"), "664267");  // only the first "=" separates
  // Windows-1252 codes: 0xFB needs three digits, the euro sign is 0x80, a
  // character outside the code page counts as "?".
  EXPECT_EQ(MarkFor("X=\xC3\xBB"), "100");
  EXPECT_EQ(MarkFor("X=\xE2\x82\xAC"), "85");
  EXPECT_EQ(MarkFor("X=\xE4\xB8\xAD"), "44");
}

}  // namespace
}  // namespace md_Standard_Config_Exe
