#include "settings/language.h"

#include <cstddef>
#include <exception>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "base/text.h"
#include "base/value.h"
#include "errors/application.h"
#include "errors/error_handler.h"
#include "settings/ini.h"

namespace md_Standard_Config_Exe {
namespace {

constexpr char kDefaultLanguage[] = "1031";
constexpr char kUntranslated[] = "0";

[[noreturn]] void ThrowNoSuchProperty() {
  throw base::Error(base::err::kNoSuchMethod, errors::kApplicationTitle);
}

[[noreturn]] void ThrowNotAnArray() {
  throw base::Error(base::err::kNotAnArray, errors::kApplicationTitle);
}

bool IsTranslated(const std::string& text) {
  return !text.empty() && text != kUntranslated;
}

// True when another control of the collection has the same name.
bool BelongsToControlArray(const std::vector<settings::Control>& controls,
                           size_t i) {
  for (size_t j = 0; j < controls.size(); ++j) {
    if (j != i && controls[j].name == controls[i].name) return true;
  }
  return false;
}

// Captions and help texts are handled for these kinds only.
bool HasTranslatedCaption(const settings::Control& ctl) {
  const std::string kind = base::UpperCase(ctl.type_name);
  return kind == "LABEL" || kind == "COMMANDBUTTON" || kind == "CHECKBOX";
}

void Save(errors::RunState& run, const std::string& text,
          const std::string& section, const std::string& key,
          const std::string& file) {
  SaveIni(run, base::Value::Text(text), section, key, file);
}

std::string Load(errors::RunState& run, const std::string& section,
                 const std::string& key, const std::string& file) {
  return LoadIniString(run, section, key, file, true, false);
}

void HandleCaption(errors::RunState& run, settings::Control& ctl,
                   const std::string& lang, const std::string& key_suffix,
                   const std::string& file) {
  const std::string key = "Caption_" + key_suffix;
  const std::string text = Load(run, lang, key, file);
  if (IsTranslated(text)) {
    if (!ctl.caption) ThrowNoSuchProperty();
    ctl.caption = text;
  } else if (lang != kDefaultLanguage) {
    Save(run, kUntranslated, lang, key, file);
  } else {
    // The default language's missing caption is the designed one.
    if (!ctl.caption) ThrowNoSuchProperty();
    Save(run, *ctl.caption, lang, key, file);
  }
}

void HandleHelpText(errors::RunState& run, const settings::Control& ctl,
                    const std::string& lang, const std::string& file) {
  if (!ctl.whats_this_help_id) ThrowNoSuchProperty();
  const int32_t id = *ctl.whats_this_help_id;
  if (id == 0) return;
  if (id < 1 || id >= static_cast<int32_t>(run.help_texts.size())) {
    throw base::Error(base::err::kSubscriptOutOfRange,
                      errors::kApplicationTitle);
  }
  const std::string key = "Help" + std::to_string(id);
  run.help_texts[id] = Load(run, lang, key, file);
  if (!IsTranslated(run.help_texts[id])) {
    Save(run, kUntranslated, lang, key, file);
  }
}

void HandleToolTip(errors::RunState& run, settings::Control& ctl,
                   const std::string& lang, const std::string& key_suffix,
                   const std::string& file) {
  const std::string key = "TTT_" + key_suffix;
  const std::string text = Load(run, lang, key, file);
  if (IsTranslated(text)) {
    if (!ctl.tool_tip_text) ThrowNoSuchProperty();
    ctl.tool_tip_text = text;
  } else {
    Save(run, kUntranslated, lang, key, file);
  }
}

void HandleControl(errors::RunState& run, settings::Control& ctl, bool in_array,
                   const std::string& lang, const std::string& file) {
  // Name, the index of an array element, "_", tag: the key after its prefix.
  std::string key_suffix = ctl.name;
  if (in_array) {
    if (!ctl.index) ThrowNotAnArray();
    key_suffix += std::to_string(*ctl.index);
  }
  key_suffix += "_" + ctl.tag;

  if (HasTranslatedCaption(ctl)) {
    HandleCaption(run, ctl, lang, key_suffix, file);
    HandleHelpText(run, ctl, lang, file);
  }
  if (base::UpperCase(ctl.tag).find("NOTTT") == std::string::npos) {
    HandleToolTip(run, ctl, lang, key_suffix, file);
  }
}

}  // namespace

std::string LanguageFilePath(errors::RunState& run) {
  const char sep = run.host.PathSeparator();
  std::string dir = run.host.ProgramDirectory();
  if (dir.empty() || dir.back() != sep) dir += sep;
  return dir + run.host.ProgramFileName() + ".ini";
}

std::string GetLanguage(errors::RunState& run) {
  errors::ErrorHandler on_error(run, "GetLanguage");
  std::string result;
  std::string file;
  on_error.Assign(file, [&] { return LanguageFilePath(run); });
  std::string lang;
  on_error.Assign(lang,
                  [&] { return Load(run, "Language", "Language", file); });
  if (!lang.empty()) {
    result = lang;
    return result;
  }
  on_error.Run(
      [&] { Save(run, kDefaultLanguage, "Language", "Language", file); });
  result = kDefaultLanguage;
  return result;
}

void LoadToolTipTexts(errors::RunState& run,
                      std::vector<settings::Control>& controls) {
  const std::string lang = GetLanguage(run);
  const std::string file = LanguageFilePath(run);
  const size_t count = controls.size();
  for (size_t i = 0; i < count; ++i) {
    const bool in_array = BelongsToControlArray(controls, i);
    // A failure ends this control's handling only; it is not reported.
    try {
      HandleControl(run, controls[i], in_array, lang, file);
    } catch (const std::exception&) {
    }
  }
}

}  // namespace md_Standard_Config_Exe
