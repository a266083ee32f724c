#include "settings/ini.h"

#include <optional>

#include "base/runtime_error.h"
#include "base/text.h"
#include "errors/application.h"
#include "errors/error_handler.h"

namespace md_Standard_Config_Exe {
namespace {

// The read buffer of the string reads, and its default: 255 blanks, which
// the profile function trims away, so a missing value reads as "".
constexpr uint32_t kBufferSize = 255;
const std::string kBlankDefault(kBufferSize, ' ');

std::string NotFoundNotice(const std::string& file, const std::string& section,
                           const std::string& key) {
  return "File '" + file + "' or Section [" + section + "] or Entry '" + key +
         "' not found";
}

// The text SaveIni writes for `value`; absent for types without one.
std::optional<std::string> IniText(const base::Value& value) {
  switch (value.type()) {
    case base::ValueType::kInteger:
    case base::ValueType::kLong:
    case base::ValueType::kSingle:
    case base::ValueType::kDouble:
    case base::ValueType::kByte:
    case base::ValueType::kText:
      return value.ToText();
    case base::ValueType::kBoolean:
      return value.AsBoolean() ? "true" : "false";
    default:
      return std::nullopt;
  }
}

}  // namespace

std::string LoadIniString(errors::RunState& run, std::string section,
                          std::string key, std::string file, bool /*unused*/,
                          bool report_missing) {
  errors::ErrorHandler on_error(run, "LoadIniString");
  std::string result;
  std::string buffer;
  int16_t count = 0;
  on_error.Run([&] {
    count = static_cast<int16_t>(run.host.GetPrivateProfileString(
        section, key, kBlankDefault, kBufferSize, buffer, file));
  });
  if (count == 0 && report_missing) {
    on_error.Run(
        [&] { errors::ShowFault(run, NotFoundNotice(file, section, key)); });
  }
  on_error.Run([&] { result = buffer; });
  return result;
}

int16_t LoadIniInteger(errors::RunState& run, std::string section,
                       std::string key, std::string file, bool /*unused*/,
                       bool report_missing) {
  errors::ErrorHandler on_error(run, "LoadIniInteger");
  int16_t result = 0;
  on_error.Run([&] {
    int32_t value = static_cast<int32_t>(
        run.host.GetPrivateProfileInt(section, key, -1, file));
    if (value < -32768 || value > 32767) {
      throw base::Error(base::err::kOverflow, errors::kApplicationTitle);
    }
    result = static_cast<int16_t>(value);
  });
  if (result == -1 && report_missing) {
    on_error.Run(
        [&] { errors::ShowFault(run, NotFoundNotice(file, section, key)); });
  }
  return result;
}

bool LoadIniBoolean(errors::RunState& run, std::string section, std::string key,
                    std::string file, bool /*unused*/, bool report_missing) {
  errors::ErrorHandler on_error(run, "LoadIniBoolean");
  bool result = false;
  std::string text;
  int16_t count = 0;
  on_error.Run([&] {
    std::string buffer;
    count = static_cast<int16_t>(run.host.GetPrivateProfileString(
        section, key, kBlankDefault, kBufferSize, buffer, file));
    text = base::UpperCase(buffer);
  });
  if ((text != "TRUE" && text != "FALSE") || count == 0) {
    if (report_missing) {
      on_error.Run(
          [&] { errors::ShowFault(run, NotFoundNotice(file, section, key)); });
    }
  }
  result = text == "TRUE";
  return result;
}

base::Value SaveIni(errors::RunState& run, base::Value value,
                    std::string section, std::string key, std::string file) {
  errors::ErrorHandler on_error(run, "SaveIni");
  base::Value result;
  std::optional<std::string> text;
  on_error.Run([&] { text = IniText(value); });
  if (!text) {
    // No text to write: reported, and the key is left as it is (writing an
    // absent text would delete it).
    on_error.Run([&] { errors::ShowFault(run, "Ini Save:  wrong data type"); });
    return result;
  }
  bool written = true;
  on_error.Run([&] {
    written = run.host.WritePrivateProfileString(section, key, text, file);
    result = base::Value::Integer(written ? 1 : 0);
  });
  // The profile function says no more than that it failed (a read-only
  // file, a missing folder, a full disk); the value is not stored, which
  // the run must not pass over in silence.
  if (!written) {
    on_error.Report(base::err::kPathFileAccessError, errors::kApplicationTitle,
                    "Path/File access error");
  }
  return result;
}

}  // namespace md_Standard_Config_Exe
