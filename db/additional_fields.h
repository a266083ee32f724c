#ifndef DB_ADDITIONAL_FIELDS_H_
#define DB_ADDITIONAL_FIELDS_H_

#include <optional>
#include <string>
#include <vector>

#include "errors/run_state.h"

namespace md_Standard_Config_Exe {

// The additional columns of PRESET_DEFS: "part" first, then the names of
// DataBaseAdditionalFields (section Project of the component's
// configuration file) split at every comma, nothing trimmed. Absent only
// when a failure kept the list from being built.
std::optional<std::vector<std::string>> GetAdditionalFieldsMDB(
    errors::RunState& run);

// Sets the run's additional-field list, its query fragment
// (", PRESET_DEFS.<name>" per name) and its count for the takeover.
void GetAddFields(errors::RunState& run);

}  // namespace md_Standard_Config_Exe

#endif  // DB_ADDITIONAL_FIELDS_H_
