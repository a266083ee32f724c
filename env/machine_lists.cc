#include "env/machine_lists.h"

#include <cstdint>
#include <string>

#include "env/file_locations.h"
#include "errors/error_handler.h"
#include "settings/ini.h"

namespace md_Standard_Config_Exe {
namespace {

constexpr int kMaxIntegratedMachines = 5;

// NameM1..NameM5 of section Common, up to the first "-" or empty entry.
void ReadIntegratedMachines(errors::RunState& run,
                            errors::ErrorHandler& on_error,
                            const std::string& hx3_configuration_ini) {
  if (on_error.Test([&] {
        return hx3_configuration_ini.empty() ||
               !run.host.IsOrdinaryFile(hx3_configuration_ini);
      })) {
    return;
  }
  for (int k = 1; k <= kMaxIntegratedMachines; ++k) {
    std::string name;
    on_error.Assign(name, [&] {
      return LoadIniString(run, "Common", "NameM" + std::to_string(k),
                           hx3_configuration_ini, false, false);
    });
    if (on_error.Test([&] { return name == "-" || name.empty(); })) return;
    on_error.Run([&] { run.machine_list.push_back(name); });
  }
}

// MachineName of sections Machine1..MachineN of the project file, N =
// NumberOfMachines of section Project. Every value is taken as it is.
void ReadStandaloneMachines(errors::RunState& run,
                            errors::ErrorHandler& on_error) {
  if (run.program_ini_path.empty()) return;  // no project file, no machines
  int16_t count = 0;
  on_error.Assign(count, [&] {
    return LoadIniInteger(run, "Project", "NumberOfMachines",
                          run.program_ini_path, false, false);
  });
  for (int k = 1; k <= count; ++k) {
    on_error.Run([&] {
      run.machine_list.push_back(
          LoadIniString(run, "Machine" + std::to_string(k), "MachineName",
                        run.program_ini_path, false, false));
    });
  }
}

}  // namespace

void GetExistingMachines(errors::RunState& run,
                         const std::string& hx3_configuration_ini) {
  errors::ErrorHandler on_error(run, "GetExistingMachines");
  on_error.Assign(run.program_ini_path,
                  [&] { return GetProgramIniPath(run, 1); });
  if (on_error.Test([&] { return run.start_mode_integrated; })) {
    ReadIntegratedMachines(run, on_error, hx3_configuration_ini);
  } else {
    ReadStandaloneMachines(run, on_error);
  }
}

std::string GetValidMachines(errors::RunState& run) {
  const std::string cfg = GetCFGPath(run);
  return LoadIniString(run, "Project", "ValidMachines", cfg, false, false);
}

}  // namespace md_Standard_Config_Exe
