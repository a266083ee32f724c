#ifndef DB_NAME_RESOLUTION_H_
#define DB_NAME_RESOLUTION_H_

#include <string>

#include "errors/run_state.h"

namespace md_Standard_Config_Exe {

// Switches every PRESET_DEFS row of the component database that carries the
// other system's form of a variable name to the form of the system in use
// (form 0 for VISIWIN32, form 1 for VISIWINSTUDIO). Does nothing when the
// component database does not exist.
void VarNameInQuelleErsetzen(errors::RunState& run, const std::string& form0,
                             const std::string& form1);

// Renames the older category column "categorie" (any letter case) of the
// component database's PRESET_DEFS to "category_id".
void CategorieNachCategoryID(errors::RunState& run);

}  // namespace md_Standard_Config_Exe

#endif  // DB_NAME_RESOLUTION_H_
