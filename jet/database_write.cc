#include "jet/database_write.h"

#include <algorithm>
#include <optional>
#include <set>
#include <stdexcept>
#include <type_traits>

#include "base/runtime_error.h"
#include "base/text.h"
#include "jet/create_database.h"
#include "jet/data_page.h"
#include "jet/errors.h"
#include "jet/file_io.h"
#include "jet/format.h"
#include "jet/header.h"
#include "jet/integrity.h"
#include "jet/row_reader.h"
#include "jet/row_writer.h"
#include "jet/usage_map.h"

namespace jet {
namespace {

// Pads a row image to `target` bytes: zeros between the variable data and
// the EOD field (before the null mask when the table has no variable
// columns). Offsets stay valid as they point below the padding.
void PadRow(const TableDef& def, std::vector<uint8_t>& row, size_t target) {
  if (row.size() >= target) return;
  const size_t mask_len = (def.max_cols + 7) / 8;
  size_t at = row.size() - mask_len;
  if (std::any_of(def.columns.begin(), def.columns.end(),
                  [](const ColumnDef& c) { return !c.IsFixed(); })) {
    const uint16_t v = U16(row, at - 2);
    at = at - 2 - 2 * size_t{v} - 2;
  }
  row.insert(row.begin() + static_cast<std::ptrdiff_t>(at), target - row.size(),
             0);
}

// Usage-map rows a table definition points at.
std::vector<RowId> MapRows(const TableDef& def) {
  std::vector<RowId> maps{def.owned_map, def.free_map};
  for (const RealIndexDef& ix : def.real_indexes) maps.push_back(ix.usage_map);
  for (const ColumnMaps& m : def.column_maps) {
    maps.push_back(m.owned);
    maps.push_back(m.free_space);
  }
  return maps;
}

// Whether a key column other than a Boolean is Null in the row.
bool HasNullKeyColumn(const TableDef& def, const RealIndexDef& ix,
                      std::span<const uint8_t> row) {
  RowLayout layout(Bytes(row), def);
  for (const IndexColumn& ic : ix.columns) {
    const ColumnDef* c = def.ColumnNumbered(ic.column_number);
    if (c && c->type != format::kTypeBoolean && !layout.MaskBit(c->number)) {
      return true;
    }
  }
  return false;
}

// The key of a row for a unique index as a string, or nullopt when a key
// column is Null (such rows never collide).
std::optional<std::string> UniqueKey(const TableDef& def,
                                     const RealIndexDef& ix,
                                     std::span<const uint8_t> row) {
  if (HasNullKeyColumn(def, ix, row)) return std::nullopt;
  std::optional<IndexKey> key = RowIndexKey(def, ix, row);
  if (!key) return std::nullopt;
  return std::string(key->begin(), key->end());
}

bool IsRequired(const TableDef& def, size_t real_index) {
  if (def.real_indexes[real_index].flags & 0x08) return true;
  for (const LogicalIndexDef& li : def.logical_indexes) {
    if (li.real_index == real_index && li.index_type == 1) return true;
  }
  return false;
}

}  // namespace

DatabaseWriter::DatabaseWriter(PageStore store)
    : store_(std::move(store)), lval_(store_) {}

template <typename Change>
auto DatabaseWriter::AllOrNothing(Change&& change) -> decltype(change()) {
  // Only the outermost unit keeps and restores the writer's state: a nested
  // one's failure reaches it, and its rollback covers the nested changes.
  const bool outermost = units_ == 0;
  if (outermost) {
    // Counters not yet written live only here; they are kept across a
    // failure, everything else is read again from the restored pages.
    pending_.clear();
    for (const auto& [page, s] : tables_) {
      pending_.push_back({page, s.def.row_count, s.def.last_autonumber,
                          s.counters_dirty, s.indexes_dirty});
    }
  }
  ++units_;
  store_.BeginChange();
  try {
    if constexpr (std::is_void_v<decltype(change())>) {
      change();
      store_.EndChange();
      --units_;
    } else {
      auto result = change();
      store_.EndChange();
      --units_;
      return result;
    }
  } catch (...) {
    --units_;
    if (!outermost) throw;
    store_.RollBack();
    lval_.Reset();
    names_valid_ = false;
    // tables_ and pending_ are both in page order.
    auto p = pending_.begin();
    for (auto it = tables_.begin(); it != tables_.end();) {
      while (p != pending_.end() && p->page < it->first) ++p;
      TableState restored;
      try {
        if (p == pending_.end() || p->page != it->first)
          throw std::out_of_range("new");
        restored.def = LoadTableDef(store_, it->first);
      } catch (const std::exception&) {
        it = tables_.erase(it);
        continue;
      }
      restored.def.row_count = p->row_count;
      restored.def.last_autonumber = p->last_autonumber;
      restored.counters_dirty = p->counters_dirty;
      restored.indexes_dirty = p->indexes_dirty;
      it->second = std::move(restored);
      ++it;
    }
    throw;
  }
}

std::unique_ptr<DatabaseWriter> DatabaseWriter::CreateNew() {
  return std::unique_ptr<DatabaseWriter>(
      new DatabaseWriter(CreateEmptyDatabase(NowAsOleDate())));
}

std::unique_ptr<DatabaseWriter> DatabaseWriter::Open(const std::string& path) {
  std::optional<std::vector<uint8_t>> read = ReadWholeFile(path);
  if (!read) {
    throw base::Error(base::err::kCannotOpenFile, kErrorSource, path);
  }
  if (!IsJet4Header(*read)) ThrowUnrecognizedFormat(path);
  return FromBytes(std::move(*read));
}

std::unique_ptr<DatabaseWriter> DatabaseWriter::FromBytes(
    std::vector<uint8_t> bytes) {
  std::unique_ptr<DatabaseWriter> w = FromCheckedBytes(std::move(bytes));
  // Writing into a file whose structure does not hold together would spread
  // the damage (a page listed twice or past the end gets overwritten).
  const std::vector<std::string> damage = FindStructuralDamage(w->store_);
  if (!damage.empty()) ThrowCorrupt(damage.front());
  return w;
}

std::unique_ptr<DatabaseWriter> DatabaseWriter::FromCheckedBytes(
    std::vector<uint8_t> bytes) {
  if (bytes.size() < 3 * format::kPageSize || !IsJet4Header(bytes)) {
    ThrowUnrecognizedFormat("(database)");
  }
  const Header h = ParseHeader(bytes);
  if (h.db_key != 0 || h.sort_lcid != format::kSortGeneralLcid ||
      h.sort_version != 0) {
    throw base::Error(base::err::kCouldNotUseFile, kErrorSource, {},
                      "it is encrypted or uses a sort order this engine "
                      "cannot write");
  }
  return std::unique_ptr<DatabaseWriter>(
      new DatabaseWriter(PageStore(std::move(bytes))));
}

void DatabaseWriter::Save(const std::string& path) {
  Flush();
  store_.Save(path);
}

std::vector<std::pair<std::string, uint32_t>> DatabaseWriter::Tables() const {
  const std::vector<CatalogEntry> objects = ReadCatalogEntries(store_);
  const int32_t tables_id = TablesContainerId(objects);
  std::vector<std::pair<std::string, uint32_t>> out;
  for (const CatalogEntry& o : objects) {
    if (o.parent_id == tables_id && o.type == format::kObjectTypeTable &&
        !(o.flags & format::kObjectFlagSystem)) {
      out.emplace_back(o.name, o.TablePage());
    }
  }
  return out;
}

uint32_t DatabaseWriter::FindTable(std::string_view name) const {
  if (!names_valid_) {
    names_.clear();
    for (const auto& [n, page] : Tables()) names_[base::UpperCase(n)] = page;
    names_valid_ = true;
    last_name_.clear();
  } else if (!last_name_.empty() && base::EqualsIgnoreCase(name, last_name_)) {
    return last_page_;  // rows mostly go to the table named last
  }
  auto it = names_.find(base::UpperCase(name));
  if (it == names_.end()) ThrowItemNotFound();
  last_name_.assign(name);
  last_page_ = it->second;
  return it->second;
}

DatabaseWriter::TableState& DatabaseWriter::State(std::string_view name) {
  return StateAt(FindTable(name));
}

DatabaseWriter::TableState& DatabaseWriter::StateAt(uint32_t page) {
  auto it = tables_.find(page);
  if (it == tables_.end()) {
    TableState s;
    s.def = LoadTableDef(store_, page);
    it = tables_.emplace(page, std::move(s)).first;
  }
  return it->second;
}

const TableDef& DatabaseWriter::Def(std::string_view name) {
  return State(name).def;
}

uint32_t DatabaseWriter::CreateTable(const std::string& name,
                                     const std::vector<FieldDesc>& fields) {
  Flush();
  return AllOrNothing([&] {
    names_valid_ = false;
    return jet::CreateTable(store_, name, fields, NowAsOleDate());
  });
}

void DatabaseWriter::Flush() {
  AllOrNothing([&] {
    for (auto& [page, s] : tables_) {
      if (s.indexes_dirty) RebuildIndexes(store_, s.def);
      if (s.counters_dirty || s.indexes_dirty) {
        StoreTableCounters(store_, s.def);
      }
    }
  });
  for (auto& [page, s] : tables_) s.indexes_dirty = s.counters_dirty = false;
}

RowId DatabaseWriter::Locate(const TableDef& def, RowId id) const {
  Bytes page = store_.ReadPage(id.page);
  if (page[0] != format::kPageData ||
      U32(page, format::kDataOwner) != def.tdef_page ||
      id.row >= RowCount(page) || GetRowSlot(page, id.row).deleted) {
    ThrowNoCurrentRecord();
  }
  const RowId at = FollowOverflow(store_, id);
  if (U32(store_.ReadPage(at.page), format::kDataOwner) != def.tdef_page)
    ThrowCorrupt("overflow row pointer leaves the table");
  return at;
}

void DatabaseWriter::ReleaseLongValues(const TableDef& def,
                                       std::span<const uint8_t> row) {
  if (def.column_maps.empty()) return;
  RowLayout layout(Bytes(row), def);
  for (const ColumnDef& c : def.columns) {
    if (!c.IsLongValue() || !layout.MaskBit(c.number)) continue;
    if (auto b = layout.Var(c.var_index)) lval_.Release(*b);
  }
}

std::vector<uint8_t> DatabaseWriter::RowImage(const TableDef& def,
                                              RowId id) const {
  return RowImageAt(Locate(def, id));
}

std::vector<uint8_t> DatabaseWriter::RowImageAt(RowId at) const {
  const Bytes row = RowBytesAt(at);
  return std::vector<uint8_t>(row.begin(), row.end());
}

Bytes DatabaseWriter::RowBytesAt(RowId at) const {
  const Bytes page = store_.ReadPage(at.page);
  return SlotBytes(page, GetRowSlot(page, at.row));
}

void DatabaseWriter::DeleteRow(const TableDef& def, RowId id) {
  ReleaseLongValues(def, RowImage(def, id));
  DataPageFlagRow(store_.Page(id.page), id.row,
                  format::kRowDeleted | format::kRowOverflow);
}

void DatabaseWriter::DeleteRows(TableDef& def, const std::vector<RowId>& ids) {
  for (RowId id : ids) {
    DeleteRow(def, id);
    if (def.row_count > 0) --def.row_count;
  }
  RebuildIndexes(store_, def);
  StoreTableCounters(store_, def);
}

void DatabaseWriter::ForgetKeys(TableState& s, std::span<const uint8_t> row) {
  if (!s.keys_loaded) return;
  for (size_t i = 0; i < s.def.real_indexes.size(); ++i) {
    if (!(s.def.real_indexes[i].flags & 0x01)) continue;
    if (auto key = UniqueKey(s.def, s.def.real_indexes[i], row)) {
      s.unique_keys[i].erase(*key);
    }
  }
}

void DatabaseWriter::LoadKeys(TableState& s) {
  const size_t n = s.def.real_indexes.size();
  if (s.keys_loaded || n == 0) return;
  std::vector<std::set<std::string>> keys(n);
  ScanTable(store_, s.def, [&](RowId, std::span<const uint8_t> r) {
    for (size_t i = 0; i < n; ++i) {
      const RealIndexDef& ix = s.def.real_indexes[i];
      if (!(ix.flags & 0x01)) {
        RowIndexKey(s.def, ix, r);  // throws when the key cannot be made
      } else if (auto key = UniqueKey(s.def, ix, r)) {
        keys[i].insert(*key);
      }
    }
  });
  s.unique_keys = std::move(keys);
  s.keys_loaded = true;
}

void DatabaseWriter::CheckKeys(TableState& s, std::span<const uint8_t> row,
                               std::span<const uint8_t> old_row) {
  const size_t n = s.def.real_indexes.size();
  if (n == 0) return;
  LoadKeys(s);
  std::vector<std::optional<std::string>> keys(n), old_keys(n);
  for (size_t i = 0; i < n; ++i) {
    const RealIndexDef& ix = s.def.real_indexes[i];
    // Every index must take the row's key, or the indexes cannot be
    // rebuilt when the change is saved.
    if (!(ix.flags & 0x01)) RowIndexKey(s.def, ix, row);
    if (IsRequired(s.def, i) && HasNullKeyColumn(s.def, ix, row)) {
      throw base::Error(base::err::kNullInIndex, kErrorSource);
    }
    if (!(ix.flags & 0x01)) continue;
    keys[i] = UniqueKey(s.def, ix, row);
    if (!old_row.empty()) old_keys[i] = UniqueKey(s.def, ix, old_row);
    if (keys[i] && keys[i] != old_keys[i] && s.unique_keys[i].count(*keys[i])) {
      throw base::Error(base::err::kDuplicateKey, kErrorSource);
    }
  }
  for (size_t i = 0; i < n; ++i) {
    if (old_keys[i]) s.unique_keys[i].erase(*old_keys[i]);
    if (keys[i]) s.unique_keys[i].insert(*keys[i]);
  }
}

bool DatabaseWriter::HoldsKey(TableState& s,
                              const std::vector<std::string>& columns,
                              const std::vector<base::Value>& key) {
  std::vector<uint16_t> numbers;
  for (const std::string& name : columns) {
    const int c = s.def.FindColumn(name);
    if (c < 0) return !RowsWithKey(s, columns, key).empty();
    numbers.push_back(s.def.columns[static_cast<size_t>(c)].number);
  }
  for (size_t i = 0; i < s.def.real_indexes.size(); ++i) {
    const RealIndexDef& ix = s.def.real_indexes[i];
    if (!(ix.flags & 0x01) || ix.columns.size() != numbers.size() ||
        !std::equal(numbers.begin(), numbers.end(), ix.columns.begin(),
                    [](uint16_t n, const IndexColumn& ic) {
                      return n == ic.column_number;
                    })) {
      continue;
    }
    // A row image holding just the key gives the index's key string.
    std::vector<base::Value> values(s.def.max_cols, base::Value::Null());
    for (size_t k = 0; k < numbers.size(); ++k) values[numbers[k]] = key[k];
    std::optional<std::string> wanted;
    try {
      wanted = UniqueKey(s.def, ix, EncodeRow(s.def, values, nullptr));
    } catch (const base::RuntimeError&) {
      return false;  // a value the column cannot hold is held by no row
    }
    LoadKeys(s);
    return wanted && s.unique_keys[i].count(*wanted) > 0;
  }
  return !RowsWithKey(s, columns, key).empty();
}

void DatabaseWriter::CheckColumnRules(TableState& s,
                                      const std::vector<base::Value>& values) {
  if (!s.rules) s.rules = ColumnRules::Read(store_, s.def);
  s.rules->Check(s.def, values);
}

RowId DatabaseWriter::Insert(std::string_view table,
                             const std::vector<base::Value>& values) {
  return AllOrNothing([&] {
    TableState& s = State(table);
    // An AutoNumber left Null takes the next number; one given raises the
    // counter. (Empty values count as Null everywhere.) The values are
    // copied only when one is filled in or the row is short.
    auto is_auto = [](const ColumnDef& c) {
      return (c.flags & format::kColFlagAutoNumber) &&
             c.type == format::kTypeLong;
    };
    bool copy = values.size() < s.def.max_cols;
    for (const ColumnDef& c : s.def.columns) {
      if (!copy && is_auto(c)) {
        copy = c.number >= values.size() || values[c.number].IsNull() ||
               values[c.number].IsEmpty();
      }
    }
    std::vector<base::Value> filled;
    if (copy) {
      filled = values;
      filled.resize(std::max<size_t>(filled.size(), s.def.max_cols));
    }
    const std::vector<base::Value>& row_values = copy ? filled : values;
    for (const ColumnDef& c : s.def.columns) {
      if (!is_auto(c)) continue;
      const base::Value& v = row_values[c.number];
      if (v.IsNull() || v.IsEmpty()) {
        filled[c.number] =
            base::Value::Long(static_cast<int32_t>(++s.def.last_autonumber));
      } else if (const int32_t n = v.ToLong();
                 n > 0 && static_cast<uint32_t>(n) > s.def.last_autonumber) {
        s.def.last_autonumber = static_cast<uint32_t>(n);
      }
    }
    CheckColumnRules(s, row_values);
    if (!Links(s).empty()) CheckReferencedRows(s, row_values, nullptr);
    const std::vector<uint8_t> row = EncodeRow(s.def, row_values, &lval_);
    CheckKeys(s, row, {});
    const RowId id = AppendRowImage(store_, s.def, row, &s.insert_hint);
    s.counters_dirty = true;
    if (!s.def.real_indexes.empty()) s.indexes_dirty = true;
    return id;
  });
}

void DatabaseWriter::Update(std::string_view table, RowId id,
                            const std::vector<base::Value>& values) {
  AllOrNothing([&] { UpdateRow(State(table), id, values); });
}

void DatabaseWriter::UpdateRow(TableState& s, RowId id,
                               const std::vector<base::Value>& values) {
  const RowId at = Locate(s.def, id);
  // The old image is read in place, not copied: nothing before the page
  // changes below writes to the row's page. Pages added for long values
  // move the store's bytes, so it is looked up again after EncodeRow.
  (void)RowBytesAt(at);
  // The new image first: if it fails (text too long...), the row and its
  // long values are still intact.
  CheckColumnRules(s, values);
  std::vector<FollowUp> follow;
  if (!Links(s).empty()) {
    const std::vector<base::Value> old_values =
        ValuesByNumber(store_, s.def, RowBytesAt(at));
    CheckReferencedRows(s, values, &old_values);
    follow = ReferencingRows(s, old_values, &values);
  }
  std::vector<uint8_t> row = EncodeRow(s.def, values, &lval_);
  const RowSlot slot = GetRowSlot(store_.ReadPage(at.page), at.row);
  const Bytes old = SlotBytes(store_.ReadPage(at.page), slot);
  CheckKeys(s, row, old);
  ReleaseLongValues(s.def, old);
  const size_t room = slot.end - slot.start;
  if (row.size() <= room) {
    PadRow(s.def, row, room);
    auto page = store_.PageRanges(at.page, {{slot.start, row.size()}});
    std::copy(row.begin(), row.end(), page.begin() + slot.start);
  } else if (DataPageReplaceRow(store_.Page(at.page), at.row, row)) {
    // Grew in place: the rows below it on the page moved down.
  } else {
    // Moves: the new image goes elsewhere, flagged so scans skip it; the
    // header slot keeps the row id and points at it.
    const uint32_t before = s.def.row_count;
    const RowId target = AppendRowImage(store_, s.def, row, &s.insert_hint);
    s.def.row_count = before;
    DataPageFlagRow(store_.Page(target.page), target.row, format::kRowDeleted);
    auto head = store_.Page(id.page);
    RowSlot hs = GetRowSlot(head, id.row);
    if (hs.end - hs.start < 4) ThrowCorrupt("row slot too small for a pointer");
    std::fill(head.begin() + hs.start, head.begin() + hs.end, 0);
    PutU32(head, hs.start, target.Packed());
    DataPageFlagRow(head, id.row, format::kRowOverflow);
  }
  s.counters_dirty = true;
  if (!s.def.real_indexes.empty()) s.indexes_dirty = true;
  Apply(follow);
}

void DatabaseWriter::Delete(std::string_view table, RowId id) {
  AllOrNothing([&] {
    TableState& s = State(table);
    Locate(s.def, id);
    DeleteLiveRow(s, id);
  });
}

void DatabaseWriter::DeleteLiveRow(TableState& s, RowId id) {
  const std::vector<uint8_t> image = RowImage(s.def, id);
  std::vector<FollowUp> follow;
  if (!Links(s).empty()) {
    follow = ReferencingRows(s, ValuesByNumber(store_, s.def, image), nullptr);
  }
  LoadKeys(s);
  ForgetKeys(s, image);
  DeleteRow(s.def, id);
  if (s.def.row_count > 0) --s.def.row_count;
  s.counters_dirty = true;
  if (!s.def.real_indexes.empty()) s.indexes_dirty = true;
  Apply(follow);
}

std::vector<std::pair<RowId, std::vector<base::Value>>> DatabaseWriter::Rows(
    std::string_view table) {
  Flush();
  const TableDef def = State(table).def;
  std::vector<std::pair<RowId, std::vector<base::Value>>> out;
  ScanTable(store_, def, [&](RowId id, Bytes row) {
    out.emplace_back(id, ValuesByNumber(store_, def, row));
  });
  return out;
}

void DatabaseWriter::RenameColumn(std::string_view table, std::string_view from,
                                  const std::string& to) {
  AllOrNothing([&] {
    ValidateObjectName(to);
    Flush();
    TableState& s = State(table);
    const int i = s.def.FindColumn(from);
    if (i < 0) ThrowItemNotFound();
    const int other = s.def.FindColumn(to);
    if (other >= 0 && other != i) {
      throw base::Error(base::err::kFieldExists, kErrorSource);
    }
    // The parsed definition keeps the bytes this engine does not model, so
    // everything but the name is written back byte for byte.
    TableDef def = s.def;
    const std::string old_name = def.columns[static_cast<size_t>(i)].name;
    def.columns[static_cast<size_t>(i)].name = to;
    StoreTableDef(store_, def);
    s.def = LoadTableDef(store_, s.def.tdef_page);
    // Relationships and the column's properties follow the new name.
    const uint32_t tdef = s.def.tdef_page;
    RenameInRelationships(table, old_name, to);
    RenameInProperties(tdef, old_name, to);
    Flush();
    // System tables are read afresh by later schema changes.
    std::erase_if(tables_, [&](const auto& entry) {
      return entry.second.def.table_type != format::kTableTypeUser;
    });
    for (auto& [page, state] : tables_) state.links.reset();
  });
}

namespace {

// The pages that belong to a table alone: its definition, its data, index
// and long-value pages.
std::set<uint32_t> TablePages(const PageStore& store, const TableDef& def) {
  std::set<uint32_t> pages{def.tdef_page};
  pages.insert(def.continuation_pages.begin(), def.continuation_pages.end());
  AddMarkedPages(store, def.owned_map, {format::kPageData}, def.tdef_page,
                 pages);
  for (const RealIndexDef& ix : def.real_indexes) {
    AddMarkedPages(store, ix.usage_map,
                   {format::kPageIndexNode, format::kPageIndexLeaf},
                   def.tdef_page, pages);
  }
  for (const ColumnMaps& m : def.column_maps) {
    AddMarkedPages(store, m.owned, {format::kPageData}, format::kLvalOwner,
                   pages);
  }
  return pages;
}

}  // namespace

void DatabaseWriter::ReleaseMapRows(const TableDef& def,
                                    std::set<uint32_t>& pages) {
  std::set<uint32_t> map_pages;
  for (RowId r : MapRows(def)) {
    map_pages.insert(r.page);
    for (uint32_t bitmap : ReadUsageMap(store_, r).map_pages) {
      if (bitmap >= format::kFirstAllocatablePage &&
          bitmap < store_.page_count() &&
          store_.ReadPage(bitmap)[0] == format::kPageUsageMap) {
        pages.insert(bitmap);
      }
    }
  }
  // Map pages shared with another table (or the system tables on pages
  // 2-5) only lose this table's rows.
  std::set<uint32_t> shared;
  for (const auto& [n, other] : Tables()) {
    if (other == def.tdef_page) continue;
    for (RowId r : MapRows(LoadTableDef(store_, other))) shared.insert(r.page);
  }
  for (uint32_t sys : {2u, 3u, 4u, 5u}) {
    for (RowId r : MapRows(LoadTableDef(store_, sys))) shared.insert(r.page);
  }
  for (RowId r : MapRows(def)) {
    if (shared.count(r.page)) {
      DataPageFlagRow(store_.Page(r.page), r.row,
                      format::kRowDeleted | format::kRowOverflow);
    }
  }
  for (uint32_t p : map_pages) {
    if (!shared.count(p)) pages.insert(p);
  }
}

void DatabaseWriter::DeleteCatalogRows(const std::set<int32_t>& ids) {
  std::vector<RowId> doomed;
  for (const CatalogEntry& o : ReadCatalogEntries(store_)) {
    if (ids.count(o.id)) doomed.push_back(o.row);
  }
  TableDef catalog = LoadTableDef(store_, format::kCatalogTdefPage);
  DeleteRows(catalog, doomed);
  // Permissions on the table.
  TableDef aces = LoadTableDef(store_, format::kAcesTdefPage);
  const int object_col = aces.FindColumn("ObjectId");
  if (object_col < 0) return;
  const ColumnDef& oc = aces.columns[static_cast<size_t>(object_col)];
  doomed.clear();
  ScanTable(store_, aces, [&](RowId id, Bytes row) {
    RowLayout layout(row, aces);
    if (!layout.MaskBit(oc.number)) return;
    auto b = oc.IsFixed() ? layout.Fixed(oc) : layout.Var(oc.var_index);
    if (b && b->size() >= 4 && ids.count(static_cast<int32_t>(U32(*b, 0))))
      doomed.push_back(id);
  });
  DeleteRows(aces, doomed);
}

void DatabaseWriter::DropTable(std::string_view name) {
  AllOrNothing([&] {
    Flush();
    const uint32_t tdef = FindTable(name);
    const TableDef def = LoadTableDef(store_, tdef);
    tables_.erase(tdef);
    lval_.Reset();
    names_valid_ = false;
    std::set<uint32_t> pages = TablePages(store_, def);
    ReleaseMapRows(def, pages);
    // The table's catalog rows, and those of its relationships.
    const std::set<std::string> relationships = DropRelationships(name);
    std::set<int32_t> ids;
    for (const CatalogEntry& o : ReadCatalogEntries(store_)) {
      if (o.TablePage() == tdef ||
          (o.type == format::kObjectTypeRelationship &&
           relationships.count(base::UpperCase(o.name)))) {
        ids.insert(o.id);
      }
    }
    DeleteCatalogRows(ids);
    tables_.erase(format::kCatalogTdefPage);
    DropForeignKeysTo(tdef, pages);
    for (uint32_t p : pages) {
      if (p >= format::kFirstAllocatablePage) store_.Free(p);
    }
    for (auto& [page, state] : tables_) state.links.reset();
  });
}

}  // namespace jet
