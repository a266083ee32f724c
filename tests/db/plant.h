#ifndef TESTS_DB_PLANT_H_
#define TESTS_DB_PLANT_H_

#include <string>
#include <vector>

#include "base/value.h"
#include "errors/run_state.h"
#include "platform/fake_host.h"

namespace testing_db {

// A temporary plant on the fake host: <base>/Corvane holds the program, its
// configuration file and databases; <base>/parameter the project files.
class Plant {
 public:
  Plant();

  platform::FakeHost& host() { return host_; }
  errors::RunState& run() { return run_; }
  std::string base() const { return base_; }
  std::string component_dir() const { return base_ + "/Corvane"; }
  std::string template_path() const {
    return component_dir() + "/Corvane_Source.mdb";
  }
  std::string component_path() const {
    return component_dir() + "/Corvane.mdb";
  }
  std::string cfg_path() const { return component_dir() + "/Corvane.cfg"; }
  std::string program_ini_path() const {
    return base_ + "/parameter/Program.ini";
  }
  std::string error_log_path() const { return base_ + "/HX3cfglog.txt"; }
  std::string ErrorLog() const { return host_.ReadTextFile(error_log_path()); }

  // Copies a file of tests/data/plant into the plant.
  void CopyFixture(const std::string& fixture, const std::string& to);

  // The rows of a table, in storage order.
  static std::vector<std::vector<base::Value>> Rows(const std::string& mdb,
                                                    const std::string& table);

 private:
  platform::FakeHost host_;
  errors::RunState run_;
  std::string base_;
};

}  // namespace testing_db

#endif  // TESTS_DB_PLANT_H_
