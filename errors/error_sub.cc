#include "base/runtime_error.h"
#include "errors/application.h"
#include "errors/error_handler.h"

namespace errors {
namespace {

// Line breaks in the messages of the error routine: LF then CR.
constexpr char kLineBreak[] = "\n\r";

// Counts a running ErrorSub for as long as it runs, failures included.
class ReportingScope {
 public:
  explicit ReportingScope(RunState& run) : run_(run) { ++run_.error_sub_depth; }
  ~ReportingScope() { --run_.error_sub_depth; }
  ReportingScope(const ReportingScope&) = delete;
  ReportingScope& operator=(const ReportingScope&) = delete;

 private:
  RunState& run_;
};

}  // namespace

std::string AskEnvironment(RunState& run,
                           std::string (*question)(RunState& run)) {
  if (question == nullptr) {
    throw base::Error(base::err::kObjectNotSet, kApplicationTitle);
  }
  return question(run);
}

int ErrorSub(RunState& run, int32_t number, const std::string& source,
             const std::string& description, const std::string& procedure,
             bool fatal) {
  ReportingScope scope(run);
  std::string component =
      AskEnvironment(run, run.report_environment.component_name);
  std::string log_line = "Fehler in " + component + " / " + source + " / " +
                         procedure + " (Nr. " + std::to_string(number) +
                         ") :" + description;
  std::string notice = WriteErrorLog(run, log_line, false);
  std::string message = "Unexpected error!" + std::string(kLineBreak) +
                        description + kLineBreak + notice;

  if (run.start_mode_silent) {
    WriteFaultLog(run, message);
    return 2;
  }
  platform::MessageBoxRequest box;
  box.icon = platform::MsgIcon::kCritical;
  box.default_button = 1;
  if (!fatal) {
    box.text = message + kLineBreak + "Resume?";
    box.title = "Unexpected error";
    box.buttons = platform::MsgButtons::kYesNo;
    switch (run.host.ShowMessage(box)) {
      case platform::MsgResult::kYes:
        return 2;
      case platform::MsgResult::kNo:
        return 1;
      default:
        return 0;
    }
  }
  box.text = message;
  box.title = "Fatal error";
  box.buttons = platform::MsgButtons::kOk;
  run.host.ShowMessage(box);
  return 1;
}

}  // namespace errors
