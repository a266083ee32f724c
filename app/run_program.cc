#include "app/run_program.h"

#include <exception>

#include "app/main_window.h"
#include "base/runtime_error.h"
#include "env/report_environment.h"
#include "errors/application.h"
#include "errors/error_handler.h"
#include "errors/run_state.h"

namespace app {

void ReportUnhandled(int number, const std::string& description,
                     std::ostream& error_out) {
  error_out << "Run-time error '" << number << "':\n"
            << description << std::endl;
}

int RunProgram(platform::Host& host, std::ostream& error_out) {
  try {
    errors::RunState run(host,
                         md_Standard_Config_Exe::ComponentReportEnvironment());
    frm_Corvane_Config_Exe window(run);
    window.Form_Load();
    return run.failures_reported ? errors::kExitFinishedWithFailures
                                 : errors::kExitFinished;
  } catch (const errors::EndOfRun& end) {
    return end.exit_code;
  } catch (const base::RuntimeError& e) {
    ReportUnhandled(e.number(), e.description(), error_out);
  } catch (const std::exception& e) {
    // Not a failure the program raises itself: report it the same way
    // rather than abort, with a runtime text, not the library's.
    const base::RuntimeError failure =
        errors::TranslateFailure(e, errors::kApplicationTitle);
    ReportUnhandled(failure.number(), failure.description(), error_out);
  }
  return errors::kExitUnhandled;
}

}  // namespace app
