#ifndef SETTINGS_EDIT_INFO_H_
#define SETTINGS_EDIT_INFO_H_

#include <functional>
#include <string>

#include "errors/run_state.h"

namespace md_Standard_Config_Exe {

// Records the run in section Info of the component's configuration file:
// S_Prog = "major.minor.revision - Integrated" (or " - Standalone"), and
// S_Editor = the editor mark made from the value of the first environment
// entry (each character but "-" and "_" as its Windows-1252 code plus 5 in
// upper-case hex). `config_path` gives the configuration file's path and is
// asked before each of the two writes (GetCFGPath, which ends the run when
// the file is missing).
void WriteEditInfo(errors::RunState& run,
                   const std::function<std::string()>& config_path);

}  // namespace md_Standard_Config_Exe

#endif  // SETTINGS_EDIT_INFO_H_
