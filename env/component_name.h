#ifndef ENV_COMPONENT_NAME_H_
#define ENV_COMPONENT_NAME_H_

#include <string>

#include "errors/run_state.h"

namespace md_Standard_Config_Exe {

// The component name: the program's file name without extension, less its
// last 7 characters ("Corvane_Config" gives "Corvane").
std::string GetOCXName(errors::RunState& run);

}  // namespace md_Standard_Config_Exe

#endif  // ENV_COMPONENT_NAME_H_
