#ifndef DB_DATABASE_PREPARATION_H_
#define DB_DATABASE_PREPARATION_H_

#include "errors/run_state.h"

namespace md_Standard_Config_Exe {

// Brings the component database up to date: in an integrated start the
// machine copy first replaces it; the template's PRESET_DEFS is dropped,
// re-created from Source_PRESET_DEFS, generated and completed with the old
// values; then the template is copied over the component database and its
// file times are put back.
void WorkOnMDB(errors::RunState& run);

}  // namespace md_Standard_Config_Exe

#endif  // DB_DATABASE_PREPARATION_H_
