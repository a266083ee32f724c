#ifndef TESTS_ENV_PLANT_FILES_H_
#define TESTS_ENV_PLANT_FILES_H_

#include <gtest/gtest.h>

#include <string>

#include "env/report_environment.h"
#include "errors/run_state.h"
#include "platform/fake_host.h"

namespace plant_files {

// A fake host and run state; the program lives in Base()/Corvane, the project
// files in Base()/parameter.
class PlantTest : public ::testing::Test {
 protected:
  PlantTest()
      : run_(host_, md_Standard_Config_Exe::ComponentReportEnvironment()) {}

  std::string Base() const { return host_.temp_dir() + "/Hmi"; }
  std::string Hx3() const { return Base() + "/parameter/hx3configuration.ini"; }

  platform::FakeHost host_;
  errors::RunState run_;
};

}  // namespace plant_files

#endif  // TESTS_ENV_PLANT_FILES_H_
