#include "env/command_line.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "base/runtime_error.h"
#include "base/text.h"
#include "errors/application.h"
#include "errors/error_handler.h"

namespace md_Standard_Config_Exe {
namespace {

// Keys the program reads; on Linux a "/" followed by one of them and "=" or
// ":" starts a new switch.
constexpr std::array<std::u32string_view, 2> kKnownKeys = {U"EXTERNAL",
                                                           U"LOGFILE"};

std::u32string TrimBlanks(std::u32string_view s) {
  while (!s.empty() && s.front() == U' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == U' ') s.remove_suffix(1);
  return std::u32string(s);
}

// True when the "/" at `pos` of `value` starts a new switch under the Linux
// rule: a blank stands right before it, or a key the program reads follows
// it together with "=" or ":" ("/LOGFILE=…"; not "/logfiles/",
// "/logfile.txt" or "/var/log/external/run.txt").
bool StartsNewSwitch(std::u32string_view value, size_t pos) {
  if (pos > 0 && value[pos - 1] == U' ') return true;
  std::u32string rest = base::UpperCase32(value.substr(pos + 1));
  for (std::u32string_view key : kKnownKeys) {
    if (rest.size() > key.size() && rest.starts_with(key) &&
        (rest[key.size()] == U'=' || rest[key.size()] == U':')) {
      return true;
    }
  }
  return false;
}

// Where the value ends: at its first "/" (the Windows rule) or at its first
// "/" that starts a new switch (the Linux rule, which keeps absolute paths).
size_t ValueEnd(std::u32string_view value, bool slash_ends_anywhere) {
  for (size_t pos = 0; pos < value.size(); ++pos) {
    if (value[pos] != U'/') continue;
    if (slash_ends_anywhere || StartsNewSwitch(value, pos)) return pos;
  }
  return value.size();
}

template <typename Word>
Word LoadWord(const char* p) {
  Word word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Eight bytes at a time, the last eight (or four) overlapping the ones
// before: the build asks this of every text cell.
bool IsAscii(const std::string& text) {
  const char* p = text.data();
  const size_t n = text.size();
  if (n >= 8) {
    uint64_t bits = LoadWord<uint64_t>(p + n - 8);
    for (size_t i = 0; i + 8 < n; i += 8) bits |= LoadWord<uint64_t>(p + i);
    return (bits & 0x8080808080808080ULL) == 0;
  }
  if (n >= 4) {
    const uint32_t bits = LoadWord<uint32_t>(p) | LoadWord<uint32_t>(p + n - 4);
    return (bits & 0x80808080U) == 0;
  }
  for (size_t i = 0; i < n; ++i) {
    if (static_cast<unsigned char>(p[i]) >= 0x80) return false;
  }
  return true;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

// Where `item` first occurs in `text`, letter case aside (ASCII only); 0
// for an empty item. Candidates are found by the item's first character
// (a library search where it has no case), the rest compared after.
size_t FindIgnoringAsciiCase(const std::string& text, const std::string& item) {
  if (item.empty()) return 0;
  if (item.size() > text.size()) return std::string::npos;
  const char upper = AsciiUpper(item[0]);
  const char lower = AsciiLower(item[0]);
  const size_t last = text.size() - item.size();
  for (size_t i = 0; i <= last; ++i) {
    if (upper == lower) {
      i = text.find(upper, i);
      if (i == std::string::npos || i > last) return std::string::npos;
    } else if (text[i] != upper && text[i] != lower) {
      continue;
    }
    size_t k = 1;
    for (; k < item.size(); ++k) {
      const char a = text[i + k];
      const char b = item[k];
      if (a != b && AsciiUpper(a) != AsciiUpper(b)) break;
    }
    if (k == item.size()) return i;
  }
  return std::string::npos;
}

}  // namespace

std::optional<std::string> ReadCommand(errors::RunState& run,
                                       const std::string& command_line,
                                       const std::string& key) {
  errors::ErrorHandler on_error(run, "ReadCommand");
  std::u32string line = base::Utf8ToUtf32(command_line);
  std::u32string upper_key = base::UpperCase32(base::Utf8ToUtf32(key));
  size_t match = base::UpperCase32(line).find(upper_key);
  if (match == std::u32string::npos) return std::nullopt;

  // Everything after the key and the one separator character; stays empty
  // when the key ends the command line.
  std::u32string value;
  on_error.Run([&] {
    long count = static_cast<long>(line.size()) - static_cast<long>(match) - 1 -
                 static_cast<long>(upper_key.size());
    if (count < 0) {
      throw base::Error(base::err::kInvalidProcedureCall,
                        errors::kApplicationTitle);
    }
    value = line.substr(line.size() - static_cast<size_t>(count));
  });
  value = value.substr(0, ValueEnd(value, run.host.SlashEndsValuesAnywhere()));
  return base::Utf32ToUtf8(base::UpperCase32(TrimBlanks(value)));
}

bool GetStartModeIntegrated(errors::RunState& run) {
  errors::ErrorHandler on_error(run, "GetStartModeIntegrated");
  bool result = false;
  std::string value;
  on_error.Run([&] {
    value = ReadCommand(run, run.host.CommandLine(), "EXTERNAL").value_or("");
  });
  std::string upper = base::UpperCase(value);
  result = upper == "HX3CFG";
  run.start_mode_integrated = result;
  if (upper == "SILENT") {
    run.start_mode_silent = true;
    result = false;
    run.start_mode_integrated = false;
  } else {
    run.start_mode_silent = false;
  }
  return result;
}

std::string GetPathLogfile(errors::RunState& run) {
  errors::ErrorHandler on_error(run, "GetPathLogfile");
  std::string result;
  on_error.Run([&] {
    result = ReadCommand(run, run.host.CommandLine(), "LOGFILE").value_or("");
  });
  return result;
}

std::string ReplaceSearchItem(errors::RunState& run, std::string text,
                              const std::string& search_item,
                              const std::string& replacement) {
  errors::ErrorHandler on_error(run, "ReplaceSearchItem");
  if (IsAscii(text) && IsAscii(search_item)) {
    // Bytes are characters and upper case is A-Z: no wide copies.
    const size_t match = FindIgnoringAsciiCase(text, search_item);
    if (match == std::string::npos) return text;
    if (match + 1 > 32767) {
      on_error.Run([] {
        throw base::Error(base::err::kOverflow, errors::kApplicationTitle);
      });
      return text;
    }
    text.replace(match, search_item.size(), replacement);
    return text;
  }
  std::u32string wide_text = base::Utf8ToUtf32(text);
  std::u32string wide_item = base::Utf8ToUtf32(search_item);
  // 1-based position as a 16-bit number; 0 when there is no match.
  int16_t position = 0;
  on_error.Run([&] {
    size_t match =
        base::UpperCase32(wide_text).find(base::UpperCase32(wide_item));
    if (match == std::u32string::npos) return;
    if (match + 1 > 32767) {
      throw base::Error(base::err::kOverflow, errors::kApplicationTitle);
    }
    position = static_cast<int16_t>(match + 1);
  });
  if (position == 0) return text;
  size_t start = static_cast<size_t>(position - 1);
  return base::Utf32ToUtf8(wide_text.substr(0, start)) + replacement +
         base::Utf32ToUtf8(wide_text.substr(start + wide_item.size()));
}

}  // namespace md_Standard_Config_Exe
