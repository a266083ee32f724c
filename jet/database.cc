#include "jet/database.h"

#include <algorithm>

#include "base/runtime_error.h"
#include "jet/recordset.h"
#include "jet/row_reader.h"
#include "jet/table_scan.h"

namespace jet {

Database::Database(std::unique_ptr<PageFile> file)
    : file_(std::move(file)), catalog_(Catalog::Read(*file_)) {}

std::unique_ptr<Database> Database::Open(const std::string& path) {
  return std::unique_ptr<Database>(new Database(PageFile::Open(path)));
}

std::unique_ptr<Database> Database::FromBytes(std::vector<uint8_t> bytes,
                                              const std::string& name) {
  return std::unique_ptr<Database>(
      new Database(PageFile::FromBytes(std::move(bytes), name)));
}

std::vector<std::string> Database::TableNames(bool include_system) const {
  std::vector<std::string> names;
  for (const TableEntry& t : catalog_.tables()) {
    if (include_system || !t.system) names.push_back(t.name);
  }
  return names;
}

bool Database::HasTable(std::string_view name) const {
  return catalog_.FindTable(name) != nullptr;
}

const TableEntry& Database::Entry(std::string_view name) const {
  const TableEntry* t = catalog_.FindTable(name);
  if (!t) ThrowItemNotFound();
  return *t;
}

const std::string& Database::TableName(std::string_view name) const {
  return Entry(name).name;
}

std::shared_ptr<const TableDef> Database::SharedTableDef(
    std::string_view name) {
  const TableEntry& t = Entry(name);
  auto it = defs_.find(t.tdef_page);
  if (it != defs_.end()) return it->second;
  auto def = std::make_shared<TableDef>(ReadTableDef(*file_, t.tdef_page));
  defs_.emplace(t.tdef_page, def);
  return def;
}

std::vector<Row> Database::ReadRows(std::string_view name) {
  std::shared_ptr<const TableDef> def = SharedTableDef(name);
  RowReader reader(*file_, *def);
  std::vector<Row> rows;
  // The stored count is a hint only: a damaged one must not allocate much.
  rows.reserve(
      std::min<uint64_t>(def->row_count, uint64_t{file_->page_count()} * 8));
  ScanTable(*file_, *def, [&](RowId id, Bytes row) {
    rows.push_back(Row{id, reader.Decode(row)});
  });
  return rows;
}

void Database::VisitRowCells(
    std::string_view name,
    base::FunctionRef<void(RowId, std::span<const uint8_t>)> visit) {
  std::shared_ptr<const TableDef> def = SharedTableDef(name);
  RowReader reader(*file_, *def);
  std::vector<uint8_t> cells;
  std::string text;
  ScanTable(*file_, *def, [&](RowId id, Bytes row) {
    reader.DecodeCells(row, cells, text);
    visit(id, cells);
  });
}

std::unique_ptr<Recordset> Database::OpenRecordset(std::string_view name) {
  const TableEntry* t = catalog_.FindTable(name);
  if (!t) ThrowInputTableNotFound(name);
  return std::make_unique<Recordset>(t->name, SharedTableDef(name),
                                     ReadRows(name));
}

}  // namespace jet
