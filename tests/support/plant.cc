#include "tests/support/plant.h"

#include <filesystem>

#include "platform/fake_host.h"
#include "platform/profile_file.h"

namespace test_support {

namespace fs = std::filesystem;

void CopySamplePlant(const std::string& base) {
  fs::create_directories(base);
  fs::copy(CORVANE_SAMPLE_PLANT, base,
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  SetIniValue(base + "/parameter/hx3configuration.ini", "Common",
              "SaveAndRestore", base + "/backup");
}

std::optional<std::string> IniValue(const std::string& file,
                                    const std::string& section,
                                    const std::string& key) {
  constexpr char kMissing[] = "\x01missing\x01";
  std::string out;
  platform::profile::GetStringFromFile(section, key, kMissing, 4096, out, file);
  if (out == kMissing) return std::nullopt;
  return out;
}

void SetIniValue(const std::string& file, const std::string& section,
                 const std::string& key, const std::string& value) {
  platform::profile::WriteStringToFile(section, key, value, file);
}

std::vector<std::string> FileLines(const std::string& path) {
  const std::string text = platform::FakeHost::ReadTextFile(path);
  std::vector<std::string> lines;
  size_t from = 0;
  while (from < text.size()) {
    size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(from, end - from);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    from = end + 1;
  }
  return lines;
}

bool Exists(const std::string& path) { return fs::exists(path); }

}  // namespace test_support
