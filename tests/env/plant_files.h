#ifndef TESTS_ENV_PLANT_FILES_H_
#define TESTS_ENV_PLANT_FILES_H_

#include <filesystem>
#include <optional>
#include <string>

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

}  // namespace plant_files

#endif  // TESTS_ENV_PLANT_FILES_H_
