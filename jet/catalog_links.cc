// What the catalog says about a table beyond its definition and its
// MSysObjects row, kept whole when the table is dropped or a column renamed:
//  - MSysRelationships: one row per column pair of a relationship, naming
//    both tables (szObject, szReferencedObject) and their columns
//    (szColumn, szReferencedColumn);
//  - the foreign-key logical indexes (index type 2) of other tables, whose
//    related-table field holds the TDEF page of the table on the other side;
//  - the table's property blob (MSysObjects.LvProp), where each column's
//    properties sit in a block named after the column.
// These run inside DropTable / RenameColumn's unit of change: a failure
// leaves the store as before the call.

#include <algorithm>
#include <map>
#include <set>

#include "base/text.h"
#include "jet/catalog.h"
#include "jet/data_page.h"
#include "jet/database_write.h"
#include "jet/errors.h"
#include "jet/format.h"
#include "jet/relationships.h"
#include "jet/row_reader.h"
#include "jet/table_scan.h"

namespace jet {
namespace {

constexpr uint8_t kForeignKeyIndex = 2;

bool TextIs(const TableDef& def, const std::vector<base::Value>& row,
            std::string_view column, std::string_view name) {
  return base::EqualsIgnoreCase(TextOf(def, row, column), name);
}

}  // namespace

std::set<std::string> DatabaseWriter::DropRelationships(
    std::string_view table) {
  std::set<std::string> names;
  const uint32_t page = SystemTablePage(store_, "MSysRelationships");
  if (page == 0) return names;
  TableDef rel = LoadTableDef(store_, page);
  std::vector<RowId> doomed;
  ScanTable(store_, rel, [&](RowId id, Bytes row) {
    const std::vector<base::Value> v = ValuesByNumber(store_, rel, row);
    if (!TextIs(rel, v, "szObject", table) &&
        !TextIs(rel, v, "szReferencedObject", table)) {
      return;
    }
    doomed.push_back(id);
    const std::string name = TextOf(rel, v, "szRelationship");
    if (!name.empty()) names.insert(base::UpperCase(name));
  });
  DeleteRows(rel, doomed);
  tables_.erase(page);
  return names;
}

namespace {

// Drops the real indexes no logical index uses any more, adding their index
// pages to `pages` and giving up their usage-map rows.
void DropUnusedRealIndexes(PageStore& store, TableDef& def,
                           std::set<uint32_t>& pages) {
  for (size_t r = def.real_indexes.size(); r-- > 0;) {
    if (std::any_of(
            def.logical_indexes.begin(), def.logical_indexes.end(),
            [&](const LogicalIndexDef& li) { return li.real_index == r; })) {
      continue;
    }
    const RealIndexDef& ix = def.real_indexes[r];
    AddMarkedPages(store, ix.usage_map,
                   {format::kPageIndexNode, format::kPageIndexLeaf},
                   def.tdef_page, pages);
    DataPageFlagRow(store.Page(ix.usage_map.page), ix.usage_map.row,
                    format::kRowDeleted | format::kRowOverflow);
    def.real_indexes.erase(def.real_indexes.begin() +
                           static_cast<std::ptrdiff_t>(r));
    for (LogicalIndexDef& li : def.logical_indexes) {
      if (li.real_index > r) --li.real_index;
    }
  }
}

}  // namespace

void DatabaseWriter::DropForeignKeysTo(uint32_t tdef,
                                       std::set<uint32_t>& pages) {
  std::map<uint32_t, TableDef> defs;
  // Per changed table: old logical index number -> new one. The numbers
  // stay 0..n-1 in their order (the list itself is in name order); the
  // other side of a relationship names an index by number.
  std::map<uint32_t, std::map<uint32_t, uint32_t>> renumbered;
  for (const auto& [name, page] : Tables()) {
    if (page == tdef) continue;
    TableDef& def = defs[page] = LoadTableDef(store_, page);
    const size_t before = def.logical_indexes.size();
    std::erase_if(def.logical_indexes, [&](const LogicalIndexDef& li) {
      return li.index_type == kForeignKeyIndex && li.related_table_page == tdef;
    });
    if (def.logical_indexes.size() == before) continue;
    std::set<uint32_t> numbers;
    for (const LogicalIndexDef& li : def.logical_indexes)
      numbers.insert(li.number);
    for (LogicalIndexDef& li : def.logical_indexes) {
      li.number = static_cast<uint32_t>(
          std::distance(numbers.begin(), numbers.find(li.number)));
      renumbered[page][*std::next(numbers.begin(), li.number)] = li.number;
    }
    DropUnusedRealIndexes(store_, def, pages);
  }
  for (auto& [page, def] : defs) {
    bool changed = renumbered.count(page) > 0;
    for (LogicalIndexDef& li : def.logical_indexes) {
      auto map = renumbered.find(li.related_table_page);
      if (li.index_type != kForeignKeyIndex || map == renumbered.end()) {
        continue;
      }
      auto to = map->second.find(li.related_index);
      if (to != map->second.end() && to->second != li.related_index) {
        li.related_index = to->second;
        changed = true;
      }
    }
    if (!changed) continue;
    StoreTableDef(store_, def);
    tables_.erase(page);
  }
}

void DatabaseWriter::RenameInRelationships(std::string_view table,
                                           std::string_view from,
                                           const std::string& to) {
  const uint32_t page = SystemTablePage(store_, "MSysRelationships");
  if (page == 0) return;
  TableState& s = StateAt(page);
  std::vector<std::pair<RowId, std::vector<base::Value>>> changed;
  ScanTable(store_, s.def, [&](RowId id, Bytes row) {
    std::vector<base::Value> v = ValuesByNumber(store_, s.def, row);
    bool hit = false;
    for (const auto& [object, column] :
         {std::pair{"szObject", "szColumn"},
          std::pair{"szReferencedObject", "szReferencedColumn"}}) {
      const int c = s.def.FindColumn(column);
      if (c >= 0 && TextIs(s.def, v, object, table) &&
          TextIs(s.def, v, column, from)) {
        v[s.def.columns[static_cast<size_t>(c)].number] = base::Value::Text(to);
        hit = true;
      }
    }
    if (hit) changed.emplace_back(id, std::move(v));
  });
  for (const auto& [id, values] : changed) UpdateRow(s, id, values);
}

void DatabaseWriter::RenameInProperties(uint32_t tdef, std::string_view from,
                                        const std::string& to) {
  TableState& s = StateAt(format::kCatalogTdefPage);
  const int blob_column = s.def.FindColumn("LvProp");
  if (blob_column < 0) return;
  const uint16_t number =
      s.def.columns[static_cast<size_t>(blob_column)].number;
  for (const CatalogEntry& o : ReadCatalogEntries(store_)) {
    if (o.TablePage() != tdef) continue;
    std::vector<base::Value> v =
        ValuesByNumber(store_, s.def, RowImage(s.def, o.row));
    if (v[number].type() != base::ValueType::kBinary) continue;
    std::optional<std::vector<uint8_t>> blob =
        RenamePropertyOwner(v[number].AsBinary(), from, to);
    if (!blob) continue;
    v[number] = base::Value::Binary(std::move(*blob));
    UpdateRow(s, o.row, v);
  }
}

}  // namespace jet
