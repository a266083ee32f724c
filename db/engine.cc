#include "db/engine.h"

namespace md_Standard_Config_Exe {

dao::DBEngine& Engine(errors::RunState& run) {
  if (!run.engine) run.engine = dao::CreateDBEngine();
  return *run.engine;
}

std::shared_ptr<dao::Database> OpenDatabase(errors::RunState& run,
                                            const std::string& path) {
  return Engine(run).Workspaces(0).OpenDatabase(run.host.ResolvePath(path));
}

std::shared_ptr<dao::Database> OpenFoundDatabase(
    errors::RunState& run, const platform::FoundFile& file) {
  dao::Workspace& workspace = Engine(run).Workspaces(0);
  if (file.identity) return workspace.OpenDatabase(file.path, *file.identity);
  return workspace.OpenDatabase(file.path);
}

void CommitDatabase(errors::RunState& run, const std::string& path) {
  Engine(run).CommitChanges(run.host.ResolvePath(path));
}

void DropDatabaseChanges(errors::RunState& run, const std::string& path) {
  if (run.engine) run.engine->DropChanges(run.host.ResolvePath(path));
}

}  // namespace md_Standard_Config_Exe
