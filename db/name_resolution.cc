#include "db/name_resolution.h"

#include <memory>
#include <optional>
#include <utility>

#include "base/text.h"
#include "dao/dao.h"
#include "db/engine.h"
#include "db/query_text.h"
#include "env/file_locations.h"
#include "errors/error_handler.h"

namespace md_Standard_Config_Exe {
namespace {

// True when the component database is missing; a failing test counts as
// missing too, so nothing is touched. Otherwise `found` is the file as the
// test has just found it, for the open (these run for every row of the
// build).
bool ComponentDatabaseMissing(errors::RunState& run,
                              errors::ErrorHandler& on_error,
                              platform::FoundFile& found) {
  std::string path;
  on_error.Assign(path, [&] { return GetPathOCXMDB(run); });
  return on_error.Test([&] {
    if (path.empty()) return true;
    std::optional<platform::FoundFile> file = run.host.FindOrdinaryFile(path);
    if (!file) return true;
    found = std::move(*file);
    return false;
  });
}

}  // namespace

void VarNameInQuelleErsetzen(errors::RunState& run, const std::string& form0,
                             const std::string& form1) {
  errors::ErrorHandler on_error(run, "VarNameInQuelleErsetzen");
  platform::FoundFile found;
  if (ComponentDatabaseMissing(run, on_error, found)) return;
  const std::string& old_form = run.var_name_system == 0 ? form1 : form0;
  const std::string& new_form = run.var_name_system == 0 ? form0 : form1;

  std::shared_ptr<dao::Database> db;
  on_error.Assign(db, [&] { return OpenFoundDatabase(run, found); });
  std::shared_ptr<dao::Recordset> rs;
  on_error.Assign(rs, [&] {
    std::string query =
        "SELECT PRESET_DEFS.* From PRESET_DEFS WHERE "
        "(((PRESET_DEFS.Var_Name)=";
    AppendQuotedForQuery(query, old_form);
    query += "))";
    return dao::Deref(db).OpenRecordset(query);
  });
  // Without a record set there is nothing to walk; a move that fails would
  // repeat the same row without end, so it ends the walk.
  if (rs) {
    while (!rs->IsEOF()) {
      on_error.Run([&] { rs->Edit(); });
      on_error.Run([&] {
        rs->GetFields().Item("var_name")->SetValue(base::Value::Text(new_form));
      });
      on_error.Run([&] { rs->Update(); });
      if (!on_error.Run([&] { rs->MoveNext(); })) break;
    }
    on_error.Run([&] { rs->Close(); });
    rs.reset();
  }
  on_error.Run([&] { dao::Deref(db).Close(); });
}

void CategorieNachCategoryID(errors::RunState& run) {
  errors::ErrorHandler on_error(run, "CategorieNachCategoryID");
  platform::FoundFile found;
  if (ComponentDatabaseMissing(run, on_error, found)) return;

  std::shared_ptr<dao::Database> db;
  on_error.Assign(db, [&] { return OpenFoundDatabase(run, found); });
  std::shared_ptr<dao::TableDef> table;
  on_error.Assign(
      table, [&] { return dao::Deref(db).GetTableDefs().Item("PRESET_DEFS"); });
  if (table) {
    dao::Fields& fields = table->GetFields();
    int32_t count = 0;
    on_error.Assign(count, [&] { return fields.Count(); });
    for (int32_t i = 0; i < count; ++i) {
      std::shared_ptr<dao::Field> field;
      on_error.Assign(field, [&] { return fields.Item(i); });
      if (on_error.Test([&] {
            return base::EqualsIgnoreCase(dao::Deref(field).Name(),
                                          "CATEGORIE");
          })) {
        on_error.Run([&] { dao::Deref(field).SetName("category_id"); });
      }
    }
    on_error.Run([&] { fields.Refresh(); });
  }
  table.reset();
  on_error.Run([&] { dao::Deref(db).Close(); });
}

}  // namespace md_Standard_Config_Exe
