#ifndef PLATFORM_PROFILE_H_
#define PLATFORM_PROFILE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::profile {

// The Windows profile (INI) functions as pure functions on file bytes, so
// every host shares one behaviour. All texts here are Windows-1252 bytes, as
// the ANSI functions see them; `content` is absent when the file does not
// exist or cannot be read.
//
// Rules: section and key names match without regard to case and without
// their surrounding blanks; values lose surrounding white space and one pair
// of matching outer quotes; a line starting with ';' is a comment; the first
// of duplicated sections or keys wins; lines end with CR LF, LF or CR.

// GetPrivateProfileStringA. An absent section lists the section names, an
// absent key the keys of the section (each ended by NUL). The text goes to
// `out` (at most buffer_size - 1 characters, list terminators included);
// returns the count of characters Windows returns.
uint32_t GetString(const std::optional<std::string>& content,
                   const std::optional<std::string>& section,
                   const std::optional<std::string>& key,
                   std::string_view default_value, uint32_t buffer_size,
                   std::string& out);

// GetPrivateProfileIntA: the default when section, key or value is missing;
// otherwise the leading decimal number (blanks and sign allowed, wrapping
// modulo 2^32), 0 when the value does not start with one.
uint32_t GetInt(const std::optional<std::string>& content,
                const std::string& section, const std::string& key,
                int32_t default_value);

// WritePrivateProfileStringA: the new file content, or absent where Windows
// returns FALSE (no section given; a name or value that would break the line
// structure). An absent value deletes the key, an absent key the section.
// Lines not touched keep their bytes; new lines end with CR LF.
struct WriteResult {
  bool ok = false;
  // The content to store; absent when the file stays as it is.
  std::optional<std::string> content;
};
WriteResult Write(const std::optional<std::string>& content,
                  const std::optional<std::string>& section,
                  const std::optional<std::string>& key,
                  const std::optional<std::string>& value);

}  // namespace platform::profile

#endif  // PLATFORM_PROFILE_H_
