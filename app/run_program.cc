#include "app/run_program.h"

#include <exception>
#include <new>

#include "app/main_window.h"
#include "base/runtime_error.h"
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
    errors::RunState run(host);
    frm_Corvane_Config_Exe window(run);
    window.Form_Load();
    return run.failures_reported ? errors::kExitFinishedWithFailures
                                 : errors::kExitFinished;
  } catch (const errors::EndOfRun& end) {
    return end.exit_code;
  } catch (const base::RuntimeError& e) {
    ReportUnhandled(e.number(), e.description(), error_out);
  } catch (const std::bad_alloc&) {
    ReportUnhandled(base::err::kOutOfMemory, "Out of memory", error_out);
  } catch (const std::exception& e) {
    // Not a failure the program raises itself: report it the same way
    // rather than abort.
    ReportUnhandled(51, std::string("Internal error: ") + e.what(), error_out);
  }
  return errors::kExitUnhandled;
}

}  // namespace app
