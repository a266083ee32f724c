#include "settings/edit_info.h"

#include <cstdio>
#include <string>

#include "base/text.h"
#include "base/value.h"
#include "errors/error_handler.h"
#include "settings/ini.h"

namespace md_Standard_Config_Exe {
namespace {

// "1.0.1 - Integrated" / "1.0.1 - Standalone".
std::string VersionText(errors::RunState& run) {
  const platform::Version v = run.host.ProgramVersion();
  return std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
         std::to_string(v.revision) +
         (run.start_mode_integrated ? " - Integrated" : " - Standalone");
}

// The value of a "NAME=value" entry: what follows its first "=" (the whole
// entry when it has none).
std::string EntryValue(const std::string& entry) {
  const size_t eq = entry.find('=');
  return eq == std::string::npos ? entry : entry.substr(eq + 1);
}

// The Windows-1252 code of one character; '?' for one that code page lacks.
unsigned AnsiCode(char32_t c) {
  const std::string ansi =
      base::Utf8ToCp1252(base::Utf32ToUtf8(std::u32string(1, c)));
  return ansi.size() == 1 ? static_cast<unsigned char>(ansi[0]) : '?';
}

std::string UpperHex(unsigned n) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%X", n);
  return buffer;
}

}  // namespace

void WriteEditInfo(errors::RunState& run,
                   const std::function<std::string()>& config_path) {
  errors::ErrorHandler on_error(run, "WriteEditInfo");
  std::string version_text;
  on_error.Assign(version_text, [&] { return VersionText(run); });
  on_error.Run([&] {
    SaveIni(run, base::Value::Text(version_text), "Info", "S_Prog",
            config_path());
  });

  std::u32string value;
  on_error.Assign(value, [&] {
    return base::Utf8ToUtf32(EntryValue(run.host.FirstEnvironmentEntry()));
  });
  std::string editor_mark;
  for (const char32_t c : value) {
    on_error.Run([&] {
      if (c == U'-' || c == U'_') return;
      editor_mark += UpperHex(AnsiCode(c) + 5);
    });
  }
  on_error.Run([&] {
    SaveIni(run, base::Value::Text(editor_mark), "Info", "S_Editor",
            config_path());
  });
}

}  // namespace md_Standard_Config_Exe
