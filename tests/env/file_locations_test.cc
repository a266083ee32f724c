#include "env/file_locations.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/text.h"
#include "errors/error_handler.h"
#include "platform/fake_host.h"
#include "tests/env/plant_files.h"
#include "tests/support/test_support.h"

namespace md_Standard_Config_Exe {
namespace {

constexpr auto& Write = test_support::WriteBytes;

using FileLocationsTest = plant_files::PlantTest;

TEST_F(FileLocationsTest, MissingFilesAndDirectoriesGiveEmptyPaths) {
  EXPECT_EQ(GetHX3ConfigurationIniPath(run_), "");
  EXPECT_EQ(GetProgramIniPath(run_, 1), "");
  EXPECT_EQ(GetPathMachineCopyMDB(run_, ""), "");
  // The component database may be about to be created: no test.
  EXPECT_EQ(GetPathOCXMDB(run_), Base() + "/Corvane/Corvane.mdb");

  std::filesystem::create_directories(Hx3());
  std::filesystem::create_directories(Base() + "/Corvane/Corvane_Source.mdb");
  EXPECT_EQ(GetHX3ConfigurationIniPath(run_), "");
  EXPECT_EQ(GetPathSourceOCXMDB(run_), "");
  EXPECT_TRUE(host_.shown_boxes().empty());
}

TEST_F(FileLocationsTest, IntegratedFilesLieBelowSaveAndRestore) {
  const std::string backup = host_.temp_dir() + "/Backup/Line1";
  Write(backup + "/parameter/program.ini", "");
  Write(backup + "/Corvane/Corvane.mdb", "");
  Write(Base() + "/parameter/Program.ini", "");
  run_.start_mode_integrated = true;
  for (const std::string& s : {backup, backup + "/"}) {
    Write(Hx3(), "[Common]\r\nSaveAndRestore=" + s + "\r\n");
    EXPECT_EQ(GetProgramIniPath(run_, 1), backup + "/parameter/program.ini");
    EXPECT_EQ(GetPathMachineCopyMDB(run_, Hx3()),
              backup + "/Corvane/Corvane.mdb");
  }
  // A standalone start keeps to the base directory.
  run_.start_mode_integrated = false;
  EXPECT_EQ(GetProgramIniPath(run_, 1), Base() + "/parameter/Program.ini");
}

TEST_F(FileLocationsTest, NoSaveAndRestoreEntryMeansNoIntegratedFiles) {
  Write(Hx3(), "[Common]\r\nNameM1=Filler\r\n");
  run_.start_mode_integrated = true;
  EXPECT_EQ(GetProgramIniPath(run_, 1), "");
  EXPECT_EQ(GetPathMachineCopyMDB(run_, Hx3()), "");
  EXPECT_TRUE(host_.shown_boxes().empty());
}

TEST_F(FileLocationsTest, MissingConfigurationFileShowsFaultAndEnds) {
  const std::string fault =
      "File not found: \n\r" + base::UpperCase(Base() + "/Corvane/Corvane.cfg");
  EXPECT_THROW(GetCFGPath(run_), errors::EndOfRun);
  ASSERT_EQ(host_.shown_boxes().size(), 1u);
  EXPECT_EQ(host_.shown_boxes()[0].text, fault);
  EXPECT_EQ(host_.shown_boxes()[0].icon, platform::MsgIcon::kCritical);

  // Silently the fault goes to the fault log; a directory is no file.
  std::filesystem::create_directories(Base() + "/Corvane/Corvane.cfg");
  run_.start_mode_silent = true;
  EXPECT_THROW(GetCFGPath(run_), errors::EndOfRun);
  EXPECT_EQ(host_.shown_boxes().size(), 1u);
  EXPECT_NE(platform::FakeHost::ReadTextFile(host_.FaultLogPath())
                .find("! Fault Corvane_Config: " + fault),
            std::string::npos);
  // It ends the run even when the fault log cannot be written.
  host_.set_fault_log_path(host_.temp_dir() + "/no/such/dir/fault.log");
  EXPECT_THROW(GetCFGPath(run_), errors::EndOfRun);
}

TEST_F(FileLocationsTest, BaseDirectoryAndFileNameFollowTheSeparator) {
  host_.set_program_directory("/Corvane");
  EXPECT_EQ(GetPathOCXMDB(run_), "/Corvane/Corvane.mdb");
  EXPECT_EQ(GetFileNameOnly(run_, "/srv/hmi/Corvane"), "Corvane");
  EXPECT_EQ(GetFileNameOnly(run_, "Corvane"), "Corvane");
  EXPECT_EQ(GetFileNameOnly(run_, "/srv/hmi/"), "");
  host_.set_path_separator('\\');
  host_.set_program_directory("C:\\Hmi\\Line1\\Corvane");
  EXPECT_EQ(GetPathOCXMDB(run_), "C:\\Hmi\\Line1\\Corvane\\Corvane.mdb");
  EXPECT_EQ(GetFileNameOnly(run_, "C:\\Hmi\\Line1\\Corvane"), "Corvane");
  host_.set_program_directory("C:\\");
  EXPECT_EQ(GetPathOCXMDB(run_), "C:\\Corvane\\Corvane.mdb");
}

}  // namespace
}  // namespace md_Standard_Config_Exe
