// Reading relationships from MSysRelationships, and the DatabaseWriter steps
// that enforce them on Insert, Update and Delete. The checks scan the other
// table; a table without relationships costs one catalog read per table
// state. All of it runs inside the caller's unit of change, so a refusal
// (3200, 3201) or a failing cascade leaves the store as before the call.

#include "jet/relationships.h"

#include <algorithm>
#include <map>

#include "base/runtime_error.h"
#include "base/text.h"
#include "jet/catalog.h"
#include "jet/data_page.h"
#include "jet/database_write.h"
#include "jet/errors.h"
#include "jet/format.h"
#include "jet/row_reader.h"
#include "jet/table_scan.h"

namespace jet {
namespace {

const base::Value* Column(const TableDef& def,
                          const std::vector<base::Value>& row,
                          std::string_view column) {
  const int i = def.FindColumn(column);
  if (i < 0) return nullptr;
  const size_t number = def.columns[static_cast<size_t>(i)].number;
  return number < row.size() ? &row[number] : nullptr;
}

// Key values compare as Jet's indexes do: text without case, numbers by
// value whatever their width.
bool SameValue(const base::Value& a, const base::Value& b) {
  if (a.type() == base::ValueType::kText && b.type() == base::ValueType::kText)
    return base::EqualsIgnoreCase(a.AsText(), b.AsText());
  if (a.IsNumeric() && b.IsNumeric() && a.type() != base::ValueType::kDecimal &&
      b.type() != base::ValueType::kDecimal) {
    return a.ToDouble() == b.ToDouble();
  }
  return a == b;
}

using Key = std::vector<base::Value>;

// The key of a row in `columns`, or nullopt when a key column is Null or
// missing (such rows take part in no relationship).
std::optional<Key> KeyOf(const TableDef& def,
                         const std::vector<base::Value>& row,
                         const std::vector<std::string>& columns) {
  Key key;
  for (const std::string& c : columns) {
    const base::Value* v = Column(def, row, c);
    if (!v || v->IsNull() || v->IsEmpty()) return std::nullopt;
    key.push_back(*v);
  }
  return key;
}

bool SameKey(const std::optional<Key>& a, const std::optional<Key>& b) {
  if (!a || !b) return !a && !b;
  for (size_t i = 0; i < a->size(); ++i) {
    if (!SameValue((*a)[i], (*b)[i])) return false;
  }
  return true;
}

}  // namespace

std::string TextOf(const TableDef& def, const std::vector<base::Value>& row,
                   std::string_view column) {
  const base::Value* v = Column(def, row, column);
  return v && v->type() == base::ValueType::kText ? v->AsText() : "";
}

uint32_t SystemTablePage(const PageStore& store, std::string_view name) {
  for (const CatalogEntry& o : ReadCatalogEntries(store)) {
    if (o.type == format::kObjectTypeTable &&
        base::EqualsIgnoreCase(o.name, name)) {
      return o.TablePage();
    }
  }
  return 0;
}

std::vector<base::Value> ValuesByNumber(const PageStore& store,
                                        const TableDef& def, Bytes row) {
  std::vector<base::Value> by_column = RowReader(store, def).Decode(row);
  std::vector<base::Value> out(def.max_cols, base::Value::Null());
  for (size_t i = 0; i < def.columns.size() && i < by_column.size(); ++i) {
    out[def.columns[i].number] = std::move(by_column[i]);
  }
  return out;
}

std::vector<Relationship> ReadRelationshipsOf(const PageStore& store,
                                              std::string_view table) {
  const uint32_t page = SystemTablePage(store, "MSysRelationships");
  if (page == 0) return {};
  const TableDef rel = LoadTableDef(store, page);
  // Column pairs by relationship name, in icolumn order.
  std::map<std::string, std::map<int32_t, std::vector<base::Value>>> rows;
  ScanTable(store, rel, [&](RowId, Bytes row) {
    std::vector<base::Value> v = ValuesByNumber(store, rel, row);
    if (!base::EqualsIgnoreCase(TextOf(rel, v, "szObject"), table) &&
        !base::EqualsIgnoreCase(TextOf(rel, v, "szReferencedObject"), table)) {
      return;
    }
    const base::Value* i = Column(rel, v, "icolumn");
    const int32_t at = i && i->IsNumeric() ? i->ToLong() : 0;
    rows[base::UpperCase(TextOf(rel, v, "szRelationship"))][at] = std::move(v);
  });
  std::vector<Relationship> out;
  for (const auto& [name, pairs] : rows) {
    Relationship r;
    r.name = name;
    for (const auto& [at, v] : pairs) {
      r.referencing_table = TextOf(rel, v, "szObject");
      r.referenced_table = TextOf(rel, v, "szReferencedObject");
      r.referencing_columns.push_back(TextOf(rel, v, "szColumn"));
      r.referenced_columns.push_back(TextOf(rel, v, "szReferencedColumn"));
      const base::Value* g = Column(rel, v, "grbit");
      if (g && g->IsNumeric()) r.flags = static_cast<uint32_t>(g->ToLong());
    }
    if (r.Enforced()) out.push_back(std::move(r));
  }
  return out;
}

const std::vector<Relationship>& DatabaseWriter::Links(TableState& s) {
  if (s.links) return *s.links;
  s.links.emplace();
  for (const CatalogEntry& o : ReadCatalogEntries(store_)) {
    if (o.TablePage() == s.def.tdef_page) {
      s.name = o.name;
      *s.links = ReadRelationshipsOf(store_, o.name);
      break;
    }
  }
  return *s.links;
}

DatabaseWriter::TableState* DatabaseWriter::OtherTable(std::string_view name) {
  uint32_t page = 0;
  try {
    page = FindTable(name);
  } catch (const base::RuntimeError&) {
    page = SystemTablePage(store_, name);  // a system table's relationship
  }
  return page == 0 ? nullptr : &StateAt(page);
}

std::vector<std::pair<RowId, std::vector<base::Value>>>
DatabaseWriter::RowsWithKey(TableState& s,
                            const std::vector<std::string>& columns,
                            const std::vector<base::Value>& key) {
  std::vector<std::pair<RowId, std::vector<base::Value>>> out;
  ScanTable(store_, s.def, [&](RowId id, Bytes row) {
    std::vector<base::Value> v = ValuesByNumber(store_, s.def, row);
    if (SameKey(KeyOf(s.def, v, columns), key))
      out.emplace_back(id, std::move(v));
  });
  return out;
}

void DatabaseWriter::CheckReferencedRows(TableState& s,
                                         const std::vector<base::Value>& values,
                                         const std::vector<base::Value>* old) {
  for (const Relationship& r : Links(s)) {
    if (!base::EqualsIgnoreCase(r.referencing_table, s.name)) continue;
    const std::optional<Key> key = KeyOf(s.def, values, r.referencing_columns);
    if (!key) continue;
    if (old && SameKey(key, KeyOf(s.def, *old, r.referencing_columns))) {
      continue;
    }
    TableState* parent = OtherTable(r.referenced_table);
    if (parent && !HoldsKey(*parent, r.referenced_columns, *key)) {
      throw base::Error(base::err::kRelatedRecordRequired, kErrorSource,
                        r.referenced_table);
    }
  }
}

std::vector<DatabaseWriter::FollowUp> DatabaseWriter::ReferencingRows(
    TableState& s, const std::vector<base::Value>& old,
    const std::vector<base::Value>* now) {
  std::vector<FollowUp> out;
  for (const Relationship& r : Links(s)) {
    if (!base::EqualsIgnoreCase(r.referenced_table, s.name)) continue;
    const std::optional<Key> key = KeyOf(s.def, old, r.referenced_columns);
    if (!key) continue;
    std::optional<Key> new_key;
    if (now) {
      new_key = KeyOf(s.def, *now, r.referenced_columns);
      if (SameKey(key, new_key)) continue;
    }
    TableState* other = OtherTable(r.referencing_table);
    if (!other) continue;
    TableState& child = *other;
    auto rows = RowsWithKey(child, r.referencing_columns, *key);
    if (rows.empty()) continue;
    const bool cascade = now ? (r.flags & Relationship::kCascadeUpdates)
                             : (r.flags & (Relationship::kCascadeDeletes |
                                           Relationship::kCascadeNull));
    if (!cascade) {
      throw base::Error(base::err::kRelatedRecordsExist, kErrorSource,
                        r.referencing_table);
    }
    const bool to_null = !now && !(r.flags & Relationship::kCascadeDeletes);
    for (auto& [id, values] : rows) {
      FollowUp f{child.def.tdef_page, id, std::nullopt};
      if (now || to_null) {
        for (size_t i = 0; i < r.referencing_columns.size(); ++i) {
          const int c = child.def.FindColumn(r.referencing_columns[i]);
          values[child.def.columns[static_cast<size_t>(c)].number] =
              to_null || !new_key ? base::Value::Null() : (*new_key)[i];
        }
        f.values = std::move(values);
      }
      out.push_back(std::move(f));
    }
  }
  return out;
}

void DatabaseWriter::Apply(const std::vector<FollowUp>& follow) {
  for (const FollowUp& f : follow) {
    TableState& s = StateAt(f.tdef);
    Bytes page = store_.ReadPage(f.id.page);
    if (f.id.row >= RowCount(page) || GetRowSlot(page, f.id.row).deleted) {
      continue;  // gone already through another cascade
    }
    if (f.values) {
      UpdateRow(s, f.id, *f.values);
    } else {
      DeleteLiveRow(s, f.id);
    }
  }
}

}  // namespace jet
