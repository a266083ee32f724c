#ifndef PLATFORM_PROFILE_FILE_H_
#define PLATFORM_PROFILE_FILE_H_

#include <cstdint>
#include <optional>
#include <string>

namespace platform::profile {

// The profile functions on files on disk, with UTF-8 arguments and results
// (Windows-1252 in the file). The file name is resolved without regard to
// case. They report no errors: an unreadable file reads as missing, a failed
// write returns false.
uint32_t GetStringFromFile(const std::optional<std::string>& section,
                           const std::optional<std::string>& key,
                           const std::string& default_value,
                           uint32_t buffer_size, std::string& out,
                           const std::string& file);
uint32_t GetIntFromFile(const std::string& section, const std::string& key,
                        int32_t default_value, const std::string& file);
bool WriteStringToFile(const std::optional<std::string>& section,
                       const std::optional<std::string>& key,
                       const std::optional<std::string>& value,
                       const std::string& file);

}  // namespace platform::profile

#endif  // PLATFORM_PROFILE_FILE_H_
