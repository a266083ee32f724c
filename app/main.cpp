// The program's entry: "--help"/"--version" alone print and exit; anything
// else is one run of the main window on the real host.
#include <exception>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/info_options.h"
#include "app/run_program.h"
#include "base/runtime_error.h"
#include "errors/application.h"
#include "errors/error_handler.h"
#include "platform/memory.h"
#ifdef _WIN32
#include "platform/windows_host.h"
#else
#include "platform/linux_host.h"
#endif

int main(int argc, char** argv, char** envp) {
  // 12 MB less peak memory for a 32,767-row build.
  platform::KeepLargeBlocksApart();
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (auto code =
          app::HandleInfoOption(args, argc > 0 ? argv[0] : "", std::cout)) {
    return *code;
  }
  try {
#ifdef _WIN32
    // The process facts come from the Win32 calls, not from argv and envp.
    // Started from Explorer or by the HMI the program has no console, so an
    // unhandled error's report is shown as a box as well.
    (void)envp;
    platform::WindowsHost host;
    std::ostringstream report;
    const int code = app::RunProgram(host, report);
    std::cerr << report.str() << std::flush;
    if (!report.str().empty()) host.ShowFatalReport(report.str());
    return code;
#else
    platform::LinuxHost host(argc, argv, envp);
    return app::RunProgram(host, std::cerr);
#endif
  } catch (const base::RuntimeError& e) {
    app::ReportUnhandled(e.number(), e.description(), std::cerr);
  } catch (const std::exception& e) {
    const base::RuntimeError failure =
        errors::TranslateFailure(e, errors::kApplicationTitle);
    app::ReportUnhandled(failure.number(), failure.description(), std::cerr);
  }
  return errors::kExitUnhandled;
}
