#include "app/confirm_cancel.h"

#include "env/component_name.h"
#include "errors/error_handler.h"

namespace md_Standard_Config_Exe {
namespace {

constexpr char kLineBreak[] = "\n\r";
constexpr char kQuote[] = "\"";

}  // namespace

std::string ExecutablePath(const errors::RunState& run) {
  const char separator = run.host.PathSeparator();
  std::string path = run.host.ProgramDirectory();
  // A root folder already ends with the separator; do not double it.
  if (path.empty() || path.back() != separator) path += separator;
  path += run.host.ProgramFileName();
  if (separator == '\\') path += ".exe";
  return path;
}

std::string CancelQuestionText(errors::RunState& run) {
  std::string text = std::string("Cancel edits?") + kLineBreak +
                     "Remark:" + kLineBreak +
                     "Until now no changes have been taken over ";
  if (run.start_mode_integrated) {
    text += kLineBreak;
    text += kQuote + GetOCXName(run) + kQuote +
            " has to be configured again in " + kQuote + "standalone-mode" +
            kQuote + " via " + kLineBreak + kQuote + ExecutablePath(run) +
            kQuote;
  }
  return text;
}

bool ConfirmCancel(errors::RunState& run) {
  const std::string text = CancelQuestionText(run);
  if (run.start_mode_silent) {
    errors::WriteFaultLog(run, text);
    return true;
  }
  platform::MessageBoxRequest box;
  box.text = text;
  box.title = "Cancel?";
  box.buttons = platform::MsgButtons::kYesNo;
  box.default_button = 2;  // No
  box.icon = platform::MsgIcon::kExclamation;
  if (run.host.ShowMessage(box) != platform::MsgResult::kYes) return false;
  // Only the error log gets the line; the notice it returns is not shown.
  errors::WriteErrorLog(
      run, "Konfigurations-EXE wurde abgebrochen:     " + GetOCXName(run),
      false);
  return true;
}

}  // namespace md_Standard_Config_Exe
