#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "base/text.h"
#include "db/database_preparation.h"
#include "db/engine.h"
#include "db/record_generation.h"
#include "db/takeover.h"
#include "errors/error_handler.h"
#include "tests/db/plant.h"
#include "tests/support/test_support.h"

namespace {

using base::Value;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using testing_db::Plant;
using Rows = std::vector<std::vector<Value>>;

Value L(int32_t v) { return Value::Long(v); }
Value T(const char* v) { return Value::Text(v); }
Value B(bool v) { return Value::Boolean(v); }
Value D(double v) { return Value::Double(v); }
const Value N = Value::Null();

// PRESET_DEFS rebuilt from the plant template for machine M1 (VISIWIN32
// names), before any value is taken over: template IDs 1, 2, 3, 5, 7, 9.
Rows GeneratedForM1() {
  return {
      {L(1), T("Oven"), L(2), L(2), T("M.M1.Door_M1"), L(30), B(true), L(5),
       T("door of M1 / ###mAcHiNe open"), N, D(0), D(1), D(0), D(1), L(0), N,
       N},
      {L(2), T("Oven"), L(1), L(1), T("Counter"), N, B(false), L(4), N,
       T("Stats"), D(0), D(1000000), D(0), D(500000), L(1), L(2), T("Late")},
      {L(3), T("Press"), L(2), L(2), T("M.M1.Temp_M1"), L(20), B(false), L(1),
       T("Temperature M1"), T("Main"), D(-20), D(250), D(0), D(200), L(2), L(1),
       T("Early")},
      {L(4), T("Press"), L(1), L(1), T("Speed"), L(10), B(false), L(0),
       T("Speed of M1"), T("Main"), D(0), D(100), D(10), D(90), L(1), L(1),
       T("Early")},
      {L(5), T("Press"), L(1), L(2), T("M.M1.Level_M1"), L(20), B(false), L(2),
       T("Level"), T("Tank"), D(0.5), D(99.5), D(1.25), D(98.75), L(3), L(3),
       T("Night")},
      {L(6), T("Oven"), L(1), L(1), T("Pressure"), L(10), B(true), L(3),
       T("M1 pressure bit"), T("Alarms"), N, N, N, N, N, L(2), T("Late")},
  };
}

TEST(WorkOnMdbTest, FirstRunBuildsFromTheTemplateAndCreatesTheComponentDb) {
  Plant plant;
  plant.CopyFixture("template.mdb", plant.template_path());
  // A last-write time with nanoseconds below the 100-ns tick, where the
  // file system keeps them.
  const std::filesystem::file_time_type copied =
      std::filesystem::last_write_time(plant.template_path());
  std::filesystem::last_write_time(
      plant.template_path(), std::chrono::floor<std::chrono::seconds>(copied) +
                                 std::chrono::nanoseconds(123'456'789));
  const auto written = std::filesystem::last_write_time(plant.template_path());

  md_Standard_Config_Exe::WorkOnMDB(plant.run());

  EXPECT_TRUE(plant.host().shown_boxes().empty());
  EXPECT_EQ(Plant::Rows(plant.template_path(), "PRESET_DEFS"),
            GeneratedForM1());
  EXPECT_EQ(Plant::Rows(plant.component_path(), "PRESET_DEFS"),
            GeneratedForM1());
  // The template keeps its last-write time, to the nanosecond, although its
  // contents changed.
  EXPECT_EQ(std::filesystem::last_write_time(plant.template_path()), written);
  EXPECT_FALSE(std::filesystem::exists(plant.error_log_path()));
}

TEST(WorkOnMdbTest, StudioProjectBuildsStudioNamesFromALegacyMachineCopy) {
  Plant plant;
  test_support::WriteBytes(
      plant.program_ini_path(),
      "[Project]\r\nNumberOfMachines=1\r\nVWStudio=TRUE\r\n");
  plant.CopyFixture("template.mdb", plant.template_path());
  plant.CopyFixture("legacy-machinecopy.mdb", plant.component_path());

  md_Standard_Config_Exe::WorkOnMDB(plant.run());

  const Rows rows = Plant::Rows(plant.component_path(), "PRESET_DEFS");
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0][4], T("Door_M1_M1"));
  EXPECT_EQ(rows[0][14], L(4));  // 101 matched in its own form
  EXPECT_EQ(rows[2][4], T("Temp_M1_M1"));
  EXPECT_EQ(rows[2][14], L(9));  // 103 was switched to the studio form
}

TEST(WorkOnMdbTest, IntegratedStartWithoutMachineCopyShowsOneBox) {
  Plant plant;
  plant.run().start_mode_integrated = true;
  test_support::WriteBytes(plant.base() + "/parameter/hx3configuration.ini",
                           "[Common]\r\nSaveAndRestore=" + plant.base() +
                               "/backup\r\nNameM1=M1\r\n");
  plant.CopyFixture("template.mdb", plant.template_path());

  md_Standard_Config_Exe::WorkOnMDB(plant.run());

  ASSERT_EQ(plant.host().shown_boxes().size(), 1u);
  const platform::MessageBoxRequest& box = plant.host().shown_boxes()[0];
  EXPECT_EQ(box.title, "Corvane_Config_Exe");
  EXPECT_EQ(box.text.substr(0, 42),
            "Konnte die Datei:\"Corvane.mdb\" in der Vorl");
  EXPECT_EQ(Plant::Rows(plant.component_path(), "PRESET_DEFS").size(), 6u);
}

TEST(WorkOnMdbTest, DamagedTemplateNeverReplacesTheComponentDb) {
  Plant plant;
  test_support::WriteBytes(plant.template_path(), std::string(8192, 'x'));
  const auto old_size = std::filesystem::file_size(plant.template_path());

  plant.run().start_mode_silent = true;
  md_Standard_Config_Exe::WorkOnMDB(plant.run());

  // Every step on the unopened template failed and was logged; the broken
  // file was not copied over the (missing) component database.
  EXPECT_FALSE(std::filesystem::exists(plant.component_path()));
  EXPECT_EQ(std::filesystem::file_size(plant.template_path()), old_size);
  EXPECT_THAT(plant.ErrorLog(), HasSubstr("WorkOnMDB (Nr. 3343)"));
}

// Sets var_name of the rows of `table` that hold `from` to `to`.
void RenameVariable(Plant& plant, const std::string& path,
                    const std::string& table, const std::string& from,
                    const std::string& to) {
  auto db = md_Standard_Config_Exe::OpenDatabase(plant.run(), path);
  auto rs =
      db->OpenRecordset("SELECT " + table + ".* From " + table + " WHERE (((" +
                        table + ".var_name)=\"" + from + "\"))");
  for (; !rs->IsEOF(); rs->MoveNext()) {
    rs->Edit();
    rs->GetFields().Item("var_name")->SetValue(T(to.c_str()));
    rs->Update();
  }
  rs->Close();
  db->Close();
}

TEST(WorkOnMdbTest, QuoteInAVariableNameKeepsItsOldValues) {
  Plant plant;
  plant.CopyFixture("template.mdb", plant.template_path());
  plant.CopyFixture("machinecopy.mdb", plant.component_path());
  RenameVariable(plant, plant.template_path(), "Source_PRESET_DEFS", "Speed",
                 "Sp\"eed");
  RenameVariable(plant, plant.component_path(), "PRESET_DEFS", "Speed",
                 "Sp\"eed");
  plant.run().start_mode_silent = true;

  md_Standard_Config_Exe::WorkOnMDB(plant.run());

  const Rows rows = Plant::Rows(plant.component_path(), "PRESET_DEFS");
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[3][4], T("Sp\"eed"));
  EXPECT_EQ(rows[3][13], D(88.125));  // max of the machine copy
  EXPECT_FALSE(std::filesystem::exists(plant.error_log_path()));
}

// No machine configured: each "###machine" replacement fails and is
// reported, and the template's text is written as it stands.
TEST(WorkOnMdbTest, WithoutMachineTextsKeepTheTemplatesText) {
  Plant plant;
  plant.CopyFixture("template.mdb", plant.template_path());
  Rows source = Plant::Rows(plant.template_path(), "Source_PRESET_DEFS");
  std::sort(source.begin(), source.end(), [](const auto& a, const auto& b) {
    return a[0].ToLong() < b[0].ToLong();
  });
  plant.run().machine_list.clear();
  plant.run().start_mode_silent = true;

  md_Standard_Config_Exe::WorkOnMDB(plant.run());

  const Rows rows = Plant::Rows(plant.component_path(), "PRESET_DEFS");
  ASSERT_EQ(rows.size(), source.size());
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 1; c < rows[r].size(); ++c) {
      if (c != 4) {
        EXPECT_EQ(rows[r][c], source[r][c]) << r << "," << c;
      }
    }
  }
  EXPECT_THAT(plant.ErrorLog(),
              HasSubstr("CreateRecordSets (Nr. 9) :Subscript out of range"));
}

// A PRESET_DEFS wider than the template: its extra column has no template
// cell, which is the runtime's subscript error, never a library text.
TEST(WorkOnMdbTest, TargetWiderThanTheTemplateReportsSubscriptOutOfRange) {
  Plant plant;
  plant.CopyFixture("template.mdb", plant.template_path());
  errors::RunState& run = plant.run();
  run.start_mode_silent = true;
  auto db = md_Standard_Config_Exe::OpenDatabase(run, plant.template_path());
  dao::TableDefs& tables = db->GetTableDefs();
  auto source = tables.Item("Source_PRESET_DEFS");
  tables.Delete("PRESET_DEFS");
  auto wider = db->CreateTableDef("PRESET_DEFS");
  for (int32_t i = 0; i < source->GetFields().Count(); ++i) {
    auto from = source->GetFields().Item(i);
    wider->GetFields().Append(
        wider->CreateField(from->Name(), from->Properties("Type").ToInteger(),
                           from->Properties("Size").ToLong()));
  }
  // The template snapshot has one spare column; the second extra is outside.
  for (const char* extra : {"extra1", "extra2"}) {
    wider->GetFields().Append(wider->CreateField(extra, 10, 50));
  }
  tables.Append(wider);

  md_Corvane_Config_Exe::CreateRecordSets(run, db);

  EXPECT_THAT(
      plant.ErrorLog(),
      AllOf(HasSubstr("CreateRecordSets (Nr. 9) :Subscript out of range"),
            Not(HasSubstr("Internal"))));
  EXPECT_EQ(db->OpenRecordset("PRESET_DEFS")->RecordCount(), 6);
}

// The unmapped-data warning, which a full build never reaches (the list
// always holds "part" by then): the count is still 0 here.
class TakeoverWarningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plant_.CopyFixture("template.mdb", plant_.template_path());
    plant_.CopyFixture("machinecopy.mdb", plant_.component_path());
  }
  void RunTakeover() {
    errors::RunState& run = plant_.run();
    auto work =
        md_Standard_Config_Exe::OpenDatabase(run, plant_.template_path());
    auto old =
        md_Standard_Config_Exe::OpenDatabase(run, plant_.component_path());
    std::shared_ptr<dao::Recordset> rs = old->OpenRecordset("PRESET_DEFS");
    md_Standard_Config_Exe::TakeoverMachineCopyMDBData(run, work, rs);
    EXPECT_EQ(rs, nullptr);  // the caller's reference is released
  }
  Plant plant_;
};

TEST_F(TakeoverWarningTest, SilentStartLogsOneFaultAndGoesOn) {
  plant_.run().start_mode_silent = true;
  RunTakeover();
  const std::string faults =
      plant_.host().ReadTextFile(plant_.host().FaultLogPath());
  EXPECT_EQ(faults,
            "! Fault Corvane_Config: WARNING!Machinecopy contains data in "
            "fields that won't be taken over!Configurationfile "
            "\"CORVANE.CFG\", missing entry \"DataBaseAdditionalFields \"If "
            "you continue now this data will be lost.Continue?\r\n");
  EXPECT_TRUE(plant_.host().shown_boxes().empty());
}

TEST_F(TakeoverWarningTest, AnsweringNoEndsTheRunWithTwoLogLines) {
  plant_.host().QueueAnswer(platform::MsgResult::kNo);
  EXPECT_THROW(RunTakeover(), errors::EndOfRun);
  const auto& boxes = plant_.host().shown_boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].title, "Corvane_Config");
  EXPECT_EQ(boxes[0].default_button, 2);
  EXPECT_EQ(boxes[1].title, "Fatal error");
  const std::string log = plant_.ErrorLog();
  const std::string upper_p =
      base::UpperCase(plant_.host().ProgramDirectory() + "/Corvane_Config");
  EXPECT_EQ(log,
            "Corvane_Config :Database-Error - Contact Administrator! "
            "Configurationprogram \"CORVANE\" terminated. Please check "
            "Configuration in \"CORVANE.CFG\" Restart " +
                upper_p +
                "!\r\nFehler in Corvane / Corvane_Config / "
                "TakeoverMachineCopyMDBData (Nr. 9999) :Database-Error - "
                "Contact Administrator!\r\n");
}

TEST(TakeoverConflictTest, MissingDemandedFieldEndsTheRunEvenWhenSilent) {
  Plant plant;
  test_support::WriteBytes(plant.cfg_path(),
                           "[Project]\r\nForMachine1=true\r\n"
                           "DataBaseAdditionalFields=shift_no,Shift_Name\r\n");
  plant.CopyFixture("template.mdb", plant.template_path());
  plant.CopyFixture("machinecopy.mdb", plant.component_path());
  plant.run().start_mode_silent = true;
  const auto old_size = std::filesystem::file_size(plant.component_path());

  EXPECT_THROW(md_Standard_Config_Exe::WorkOnMDB(plant.run()),
               errors::EndOfRun);

  EXPECT_THAT(plant.ErrorLog(),
              HasSubstr("Conflict while attempting to extend database!"
                        "Configurationsfile \"CORVANE.CFG\", demanded field "
                        "\"SHIFT_NAME\"missing in machinecopy-database\n\r"
                        "Configuration of \"CORVANE\" aborted.\r\n"));
  // The component database was not replaced.
  EXPECT_EQ(std::filesystem::file_size(plant.component_path()), old_size);
}

}  // namespace
