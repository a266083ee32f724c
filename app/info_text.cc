#include "app/info_text.h"

#include <exception>
#include <functional>

#include "base/runtime_error.h"
#include "base/text.h"
#include "errors/application.h"

namespace md_Standard_Config_Exe {
namespace {

// The handler of this procedure: resume with the next step, report nothing.
// The end of the run (errors::EndOfRun) is no failure and passes.
void Quietly(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

const std::string& HelpText(const errors::RunState& run,
                            const settings::Control& control) {
  const int32_t id = control.whats_this_help_id.value_or(0);
  if (!control.whats_this_help_id || id < 1 ||
      id >= static_cast<int32_t>(run.help_texts.size())) {
    throw base::Error(base::err::kSubscriptOutOfRange,
                      errors::kApplicationTitle);
  }
  return run.help_texts[id];
}

}  // namespace

std::string ExpandLineMarkers(const std::string& text) {
  static const std::u32string kMarker = U"<CRLF>";
  const std::u32string chars = base::Utf8ToUtf32(text);
  // Upper-cased character by character, so that positions stay aligned.
  std::u32string upper;
  upper.reserve(chars.size());
  for (char32_t c : chars) {
    const std::u32string u = base::UpperCase32(std::u32string(1, c));
    upper.push_back(u.size() == 1 ? u[0] : c);
  }
  std::u32string result;
  size_t from = 0;
  for (size_t p = upper.find(kMarker); p != std::u32string::npos;
       p = upper.find(kMarker, from)) {
    result.append(chars, from, p - from);
    result += U"\r\n";
    from = p + kMarker.size();
  }
  result.append(chars, from, std::u32string::npos);
  return base::Utf32ToUtf8(result);
}

void ShowInfoText(errors::RunState& run, const settings::Control& control) {
  if (!run.help_mode_active) return;
  std::string text;
  Quietly([&] { text = HelpText(run, control); });
  std::string shown;
  Quietly([&] { shown = ExpandLineMarkers(text); });
  Quietly([&] {
    platform::MessageBoxRequest box;
    box.text = shown;
    box.title = "Info:";
    box.buttons = platform::MsgButtons::kOk;
    box.icon = platform::MsgIcon::kInformation;
    run.host.ShowMessage(box);
  });
}

}  // namespace md_Standard_Config_Exe
