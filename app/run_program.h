#ifndef APP_RUN_PROGRAM_H_
#define APP_RUN_PROGRAM_H_

#include <ostream>

#include "platform/host.h"

namespace app {

// One run of the program on `host`: loads the main window, whose load
// handler runs the whole sequence, and returns the exit code: the one the
// run ended with (errors::EndOfRun), 0 for a normal end, and 3 for a failure
// that escaped every handler, after the platform's default report
// ("Run-time error 'N':" LF description) on `error_out`.
int RunProgram(platform::Host& host, std::ostream& error_out);

// The default report for a failure no handler caught.
void ReportUnhandled(int number, const std::string& description,
                     std::ostream& error_out);

}  // namespace app

#endif  // APP_RUN_PROGRAM_H_
