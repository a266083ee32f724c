#ifndef DB_ENGINE_H_
#define DB_ENGINE_H_

#include "dao/dao.h"
#include "errors/run_state.h"
#include "platform/host.h"

namespace md_Standard_Config_Exe {

// The run's database engine, created on first use and kept for the rest of
// the run.
dao::DBEngine& Engine(errors::RunState& run);

// Workspaces(0).OpenDatabase on the run's engine, with the path resolved
// without regard to letter case as every other file access of the program.
std::shared_ptr<dao::Database> OpenDatabase(errors::RunState& run,
                                            const std::string& path);
// The same for a file Host::FindOrdinaryFile has just found (its path
// resolved, its identity where the host saw one).
std::shared_ptr<dao::Database> OpenFoundDatabase(
    errors::RunState& run, const platform::FoundFile& file);

// Puts the changes the run made to the database at `path` into the file at
// once (see dao::DBEngine); a failure leaves the file as it was.
void CommitDatabase(errors::RunState& run, const std::string& path);
// Drops the changes not committed to the database at `path`.
void DropDatabaseChanges(errors::RunState& run, const std::string& path);

}  // namespace md_Standard_Config_Exe

#endif  // DB_ENGINE_H_
