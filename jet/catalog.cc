#include "jet/catalog.h"

#include "base/text.h"
#include "jet/row_reader.h"
#include "jet/table_scan.h"
#include "jet/tdef.h"

namespace jet {

std::vector<CatalogEntry> ReadCatalogEntries(const PageSource& file) {
  TableDef def = ReadTableDef(file, format::kCatalogTdefPage);
  // Only the five small columns are decoded: the catalog's long values
  // (properties, modules) are not needed to find tables.
  TableDef slim = def;
  slim.columns.clear();
  for (const char* name : {"Id", "ParentId", "Name", "Type", "Flags"}) {
    const int i = def.FindColumn(name);
    if (i < 0) ThrowCorrupt("system catalog lacks a column");
    slim.columns.push_back(def.columns[static_cast<size_t>(i)]);
  }
  RowReader reader(file, slim);
  std::vector<CatalogEntry> entries;
  std::vector<base::Value> v;
  auto as_long = [](const base::Value& x) -> int32_t {
    if (x.type() == base::ValueType::kLong) return x.AsLong();
    if (x.type() == base::ValueType::kInteger) return x.AsInteger();
    return 0;
  };
  ScanTable(file, def, [&](RowId id, Bytes row) {
    reader.Decode(row, v);
    CatalogEntry e;
    e.row = id;
    e.id = as_long(v[0]);
    e.parent_id = as_long(v[1]);
    if (v[2].type() == base::ValueType::kText) e.name = v[2].AsText();
    e.type = static_cast<int16_t>(as_long(v[3]));
    e.flags = static_cast<uint32_t>(as_long(v[4]));
    entries.push_back(std::move(e));
  });
  return entries;
}

int32_t TablesContainerId(const std::vector<CatalogEntry>& entries) {
  for (const CatalogEntry& e : entries) {
    if (e.parent_id == format::kCatalogRootId && e.name == "Tables")
      return e.id;
  }
  return 0;
}

Catalog Catalog::Read(const PageSource& file) {
  Catalog cat;
  cat.entries_ = ReadCatalogEntries(file);
  cat.tables_container_id_ = TablesContainerId(cat.entries_);
  if (cat.tables_container_id_ == 0)
    ThrowCorrupt("system catalog has no Tables container");
  for (const CatalogEntry& e : cat.entries_) {
    if (e.parent_id != cat.tables_container_id_ ||
        e.type != format::kObjectTypeTable) {
      continue;
    }
    TableEntry t;
    t.name = e.name;
    t.tdef_page = e.TablePage();
    t.system = (e.flags & format::kObjectFlagSystem) != 0 ||
               base::UpperCase(e.name).starts_with("MSYS");
    cat.tables_.push_back(std::move(t));
  }
  return cat;
}

const TableEntry* Catalog::FindTable(std::string_view name) const {
  for (const TableEntry& t : tables_) {
    if (base::EqualsIgnoreCase(t.name, name)) return &t;
  }
  return nullptr;
}

}  // namespace jet
