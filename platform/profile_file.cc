#include "platform/profile_file.h"

#include "base/text.h"
#include "platform/disk_files.h"
#include "platform/profile.h"

namespace platform::profile {
namespace {

std::optional<std::string> ToCp1252(const std::optional<std::string>& utf8) {
  if (!utf8) return std::nullopt;
  return base::Utf8ToCp1252(*utf8);
}

}  // namespace

uint32_t GetStringFromFile(const std::optional<std::string>& section,
                           const std::optional<std::string>& key,
                           const std::string& default_value,
                           uint32_t buffer_size, std::string& out,
                           const std::string& file) {
  std::optional<std::string> content =
      disk::ReadWholeFile(disk::ResolvePath(file));
  std::string raw;
  uint32_t count =
      GetString(content, ToCp1252(section), ToCp1252(key),
                base::Utf8ToCp1252(default_value), buffer_size, raw);
  if (buffer_size > 0) out = base::Cp1252ToUtf8(raw);
  return count;
}

uint32_t GetIntFromFile(const std::string& section, const std::string& key,
                        int32_t default_value, const std::string& file) {
  std::optional<std::string> content =
      disk::ReadWholeFile(disk::ResolvePath(file));
  return GetInt(content, base::Utf8ToCp1252(section), base::Utf8ToCp1252(key),
                default_value);
}

bool WriteStringToFile(const std::optional<std::string>& section,
                       const std::optional<std::string>& key,
                       const std::optional<std::string>& value,
                       const std::string& file) {
  if (file.empty()) return false;
  std::string path = disk::ResolvePath(file);
  WriteResult result = Write(disk::ReadWholeFile(path), ToCp1252(section),
                             ToCp1252(key), ToCp1252(value));
  if (!result.ok) return false;
  if (!result.content) return true;
  return disk::ReplaceWholeFile(path, *result.content);
}

}  // namespace platform::profile
