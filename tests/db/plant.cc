#include "tests/db/plant.h"

#include <filesystem>

#include "env/report_environment.h"
#include "jet/database.h"
#include "tests/support/test_support.h"

namespace testing_db {

Plant::Plant()
    : run_(host_, md_Standard_Config_Exe::ComponentReportEnvironment()),
      base_(host_.temp_dir() + "/Hmi") {
  std::filesystem::create_directories(component_dir());
  std::filesystem::create_directories(base_ + "/parameter");
  host_.set_program_directory(component_dir());
  run_.machine_list = {"M1"};
  run_.program_ini_path = program_ini_path();
  test_support::WriteBytes(
      program_ini_path(),
      "[Project]\r\nNumberOfMachines=1\r\n[Machine1]\r\nMachineName=M1\r\n");
  test_support::WriteBytes(
      cfg_path(), "[Project]\r\nValidMachines=ALL\r\nForMachine1=true\r\n");
}

void Plant::CopyFixture(const std::string& fixture, const std::string& to) {
  test_support::CopySample("plant/" + fixture, to);
}

std::vector<std::vector<base::Value>> Plant::Rows(const std::string& mdb,
                                                  const std::string& table) {
  std::vector<std::vector<base::Value>> rows;
  for (jet::Row& row : jet::Database::Open(mdb)->ReadRows(table)) {
    rows.push_back(std::move(row.values));
  }
  return rows;
}

}  // namespace testing_db
