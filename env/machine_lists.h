#ifndef ENV_MACHINE_LISTS_H_
#define ENV_MACHINE_LISTS_H_

#include <string>

#include "errors/run_state.h"

namespace md_Standard_Config_Exe {

// Sets run.program_ini_path (GetProgramIniPath(1)) and appends the plant's
// machines to run.machine_list: in an integrated start NameM1..NameM5 of
// section Common of `hx3_configuration_ini` up to the first "-" or empty
// one; otherwise MachineName of sections Machine1..MachineN of the project
// file, N = NumberOfMachines of section Project. Call after
// GetStartModeIntegrated.
void GetExistingMachines(errors::RunState& run,
                         const std::string& hx3_configuration_ini);

// ValidMachines of section Project of the component's configuration file,
// unchanged ("" when missing). Has no handler of its own: failures reach the
// caller's. Ends the program when the configuration file is missing.
std::string GetValidMachines(errors::RunState& run);

}  // namespace md_Standard_Config_Exe

#endif  // ENV_MACHINE_LISTS_H_
