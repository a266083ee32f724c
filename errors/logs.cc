#include "base/runtime_error.h"
#include "base/text.h"
#include "errors/application.h"
#include "errors/error_handler.h"

namespace errors {
namespace {

constexpr char kErrorLogName[] = "HX3cfglog.txt";

// The folder above the program's: characters are removed from the end up to
// the last separator, which goes too ("/srv/hmi/Config" gives "/srv/hmi").
std::string ParentOfProgramDirectory(const RunState& run) {
  std::string dir = run.host.ProgramDirectory();
  char separator = run.host.PathSeparator();
  size_t last = dir.rfind(separator);
  if (last == std::string::npos) {
    throw base::Error(base::err::kInvalidProcedureCall,
                      errors::kApplicationTitle);
  }
  return dir.substr(0, last);
}

}  // namespace

std::string WriteErrorLog(RunState& run, const std::string& text,
                          bool to_fault_log) {
  std::string path;
  if (run.start_mode_integrated) {
    path = AskEnvironment(run, run.report_environment.logfile_path);
  } else {
    path = ParentOfProgramDirectory(run) + run.host.PathSeparator() +
           kErrorLogName;
  }
  run.host.AppendLine(path, text);
  std::string notice = "Error logged to \n\r" + base::UpperCase(path);
  if (to_fault_log) {
    ShowFault(run, notice);
    return "";
  }
  return notice;
}

void ShowFault(RunState& run, const std::string& text) {
  if (run.start_mode_silent) {
    WriteFaultLog(run, text);
    return;
  }
  platform::MessageBoxRequest box;
  box.text = text;
  box.title = run.host.ProgramFileName();
  box.buttons = platform::MsgButtons::kOk;
  box.icon = platform::MsgIcon::kCritical;
  run.host.ShowMessage(box);
}

void WriteFaultLog(RunState& run, const std::string& text) {
  run.host.AppendLine(run.host.FaultLogPath(),
                      "! Fault " + run.host.ProgramFileName() + ": " + text);
}

}  // namespace errors
