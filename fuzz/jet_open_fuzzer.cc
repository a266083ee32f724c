// Opens arbitrary bytes as a database and reads every table, system tables
// included, checks them with FindDamage (which must never throw), then
// changes the same bytes through the writer: a few rows of a
// few tables inserted, updated and deleted, a column renamed, a table dropped
// and one created. A damaged file may only ever end in base::RuntimeError.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/runtime_error.h"
#include "base/value.h"
#include "jet/database.h"
#include "jet/database_write.h"
#include "jet/format.h"
#include "jet/integrity.h"
#include "jet/recordset.h"

namespace {

// Tables changed per input; keeps each input's work small.
constexpr size_t kMaxTables = 3;

// Runs one write step; a refused or damaged one must not stop the next.
template <typename F>
void Try(F&& step) {
  try {
    step();
  } catch (const base::RuntimeError&) {
  }
}

void ReadAll(std::vector<uint8_t> bytes) {
  auto db = jet::Database::FromBytes(std::move(bytes), "fuzz.mdb");
  for (const std::string& name : db->TableNames(true)) {
    Try([&] {
      auto rs = db->OpenRecordset(name);
      for (size_t i = 0; i < rs->FieldCount(); ++i) {
        (void)rs->Fields(i).Size();
      }
    });
  }
}

void ChangeTable(jet::DatabaseWriter& w, const std::string& name) {
  std::vector<std::pair<jet::RowId, std::vector<base::Value>>> rows;
  Try([&] { rows = w.Rows(name); });
  // The table's own first row, or all Null.
  const std::vector<base::Value> values =
      rows.empty() ? std::vector<base::Value>() : rows.front().second;
  jet::RowId added{};
  bool inserted = false;
  Try([&] {
    added = w.Insert(name, values);
    inserted = true;
  });
  Try([&] {
    if (!rows.empty()) w.Update(name, rows.front().first, rows.back().second);
  });
  Try([&] {
    if (inserted) w.Update(name, added, {});
  });
  Try([&] {
    if (rows.size() > 1) w.Delete(name, rows[1].first);
  });
  Try([&] {
    if (inserted) w.Delete(name, added);
  });
  Try([&] {
    const jet::TableDef& def = w.Def(name);
    if (!def.columns.empty()) {
      w.RenameColumn(name, def.columns.front().name, "Renamed Column");
    }
  });
  Try([&] { w.Flush(); });
}

void WriteSome(const uint8_t* data, size_t size) {
  auto w =
      jet::DatabaseWriter::FromBytes(std::vector<uint8_t>(data, data + size));
  std::vector<std::pair<std::string, uint32_t>> tables;
  Try([&] { tables = w->Tables(); });
  for (size_t i = 0; i < tables.size() && i < kMaxTables; ++i) {
    ChangeTable(*w, tables[i].first);
  }
  if (!tables.empty()) Try([&] { w->DropTable(tables.back().first); });
  Try([&] {
    namespace f = jet::format;
    w->CreateTable("Fuzz New", {{"ID", f::kTypeLong, 0},
                                {"Name", f::kTypeText, 20},
                                {"Note", f::kTypeMemo, 0}});
    w->Insert("Fuzz New", {base::Value::Long(1), base::Value::Text("a"),
                           base::Value::Text(std::string(5000, 'n'))});
    w->Flush();
  });
  // What the writer left must still only ever be read or refused.
  Try([&] { ReadAll(w->bytes()); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Try([&] { ReadAll(std::vector<uint8_t>(data, data + size)); });
  (void)jet::FindDamage(std::vector<uint8_t>(data, data + size));
  Try([&] { WriteSome(data, size); });
  return 0;
}
