#ifndef DB_RECORD_GENERATION_H_
#define DB_RECORD_GENERATION_H_

#include <memory>

#include "base/value.h"
#include "dao/dao.h"
#include "errors/run_state.h"

namespace md_Corvane_Config_Exe {

// Fills the freshly created, empty PRESET_DEFS of `database` from its
// Source_PRESET_DEFS for the first machine: running IDs, "###machine"
// replaced, variable names built from the run's patterns for the system in
// use. The result is never assigned (always Empty).
base::Value CreateRecordSets(errors::RunState& run,
                             const std::shared_ptr<dao::Database>& database);

}  // namespace md_Corvane_Config_Exe

#endif  // DB_RECORD_GENERATION_H_
