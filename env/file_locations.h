#ifndef ENV_FILE_LOCATIONS_H_
#define ENV_FILE_LOCATIONS_H_

#include <cstdint>
#include <string>

#include "errors/run_state.h"

namespace md_Standard_Config_Exe {

// Where the program finds its files. Paths are built with the host's
// separator; the base directory is the program directory less its last
// element. Every call computes its result afresh and reports its own
// failures; a result not yet assigned when a step fails stays "".

// The text after the last separator of `path` ("" when it ends with one).
std::string GetFileNameOnly(errors::RunState& run, const std::string& path);

// base/parameter/hx3configuration.ini, or "" when it is no ordinary file.
std::string GetHX3ConfigurationIniPath(errors::RunState& run);

// The project file. With `mode` 1 in an integrated start:
// SaveAndRestore/parameter/program.ini (SaveAndRestore read from
// hx3configuration.ini); otherwise base/parameter/Program.ini. "" when the
// file does not exist, and in an integrated start without a SaveAndRestore
// entry.
std::string GetProgramIniPath(errors::RunState& run, int32_t mode);

// base/C/C.cfg (C the component name). When it is missing, shows
// "File not found: " LF CR PATH (upper case) through ShowFault and ends the
// program (throws errors::EndOfRun); never returns "" for a missing file
// unless a failing step was resumed.
std::string GetCFGPath(errors::RunState& run);

// base/C/C.mdb, without an existence test.
std::string GetPathOCXMDB(errors::RunState& run);

// base/C/C_Source.mdb, or "" when it is no ordinary file.
std::string GetPathSourceOCXMDB(errors::RunState& run);

// SaveAndRestore/C/C.mdb, SaveAndRestore read from the hx3configuration.ini
// at `hx3_configuration_ini`; "" when it is no ordinary file or when there is
// no SaveAndRestore entry. A failing existence test (not a missing file)
// returns the path, so that its user meets and reports the failure.
std::string GetPathMachineCopyMDB(errors::RunState& run,
                                  const std::string& hx3_configuration_ini);

}  // namespace md_Standard_Config_Exe

#endif  // ENV_FILE_LOCATIONS_H_
