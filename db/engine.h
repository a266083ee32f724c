#ifndef DB_ENGINE_H_
#define DB_ENGINE_H_

#include "db/dao.h"
#include "errors/run_state.h"

namespace md_Standard_Config_Exe {

// The run's database engine, created on first use and kept for the rest of
// the run.
dao::DBEngine& Engine(errors::RunState& run);

// Workspaces(0).OpenDatabase(path) on the run's engine.
std::shared_ptr<dao::Database> OpenDatabase(errors::RunState& run,
                                            const std::string& path);

}  // namespace md_Standard_Config_Exe

#endif  // DB_ENGINE_H_
