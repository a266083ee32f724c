#ifndef TESTS_ENV_PLANT_FILES_H_
#define TESTS_ENV_PLANT_FILES_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "env/report_environment.h"
#include "errors/run_state.h"
#include "platform/fake_host.h"

namespace plant_files {

// Writes `content` to `path`, creating its folders.
inline void Write(const std::string& path, const std::string& content) {
  std::filesystem::create_directories(
      std::filesystem::path(path).parent_path());
  platform::FakeHost::WriteBytes(path, content);
}

// An INI value as the profile functions read it; absent when missing.
inline std::optional<std::string> IniValue(platform::Host& host,
                                           const std::string& file,
                                           const std::string& section,
                                           const std::string& key) {
  std::string out;
  host.GetPrivateProfileString(section, key, "\x01", 255, out, file);
  if (out == "\x01") return std::nullopt;
  return out;
}

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
