// The program's entry: "--help"/"--version" alone print and exit; anything
// else is one run of the main window on the real host.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/info_options.h"
#include "app/run_program.h"
#include "base/runtime_error.h"
#include "errors/error_handler.h"
#include "platform/linux_host.h"

int main(int argc, char** argv, char** envp) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (auto code =
          app::HandleInfoOption(args, argc > 0 ? argv[0] : "", std::cout)) {
    return *code;
  }
  try {
    platform::LinuxHost host(argc, argv, envp);
    return app::RunProgram(host, std::cerr);
  } catch (const base::RuntimeError& e) {
    app::ReportUnhandled(e.number(), e.description(), std::cerr);
  } catch (const std::exception& e) {
    app::ReportUnhandled(51, std::string("Internal error: ") + e.what(),
                         std::cerr);
  }
  return errors::kExitUnhandled;
}
