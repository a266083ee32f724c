#include "jet/catalog_writer.h"

#include <algorithm>
#include <chrono>
#include <set>

#include "base/runtime_error.h"
#include "base/text.h"
#include "jet/data_page.h"
#include "jet/errors.h"
#include "jet/format.h"
#include "jet/row_reader.h"
#include "jet/row_writer.h"
#include "jet/text_codec.h"

namespace jet {
namespace {

// Raw bytes of one column of a row image, nullopt for NULL. Booleans give
// one byte 0/1.
std::optional<std::vector<uint8_t>> ColumnBytes(const RowLayout& layout,
                                                const ColumnDef& c) {
  if (c.type == format::kTypeBoolean) {
    return std::vector<uint8_t>{static_cast<uint8_t>(layout.MaskBit(c.number))};
  }
  if (!layout.MaskBit(c.number)) return std::nullopt;
  std::optional<Bytes> b =
      c.IsFixed() ? layout.Fixed(c) : layout.Var(c.var_index);
  if (!b) return std::nullopt;
  return std::vector<uint8_t>(b->begin(), b->end());
}

const ColumnDef& ColumnByName(const TableDef& def, std::string_view name) {
  const int i = def.FindColumn(name);
  if (i < 0) ThrowCorrupt("system table lacks a column");
  return def.columns[static_cast<size_t>(i)];
}

}  // namespace

TableDef LoadTableDef(const PageStore& store, uint32_t tdef_page) {
  TableDef def = ReadTableDef(store, tdef_page);
  // Rows are built in vectors of max_cols values indexed by column number.
  for (const ColumnDef& c : def.columns) {
    if (c.number >= def.max_cols) ThrowCorrupt("column number out of range");
  }
  return def;
}

void StoreTableDef(PageStore& store, const TableDef& def) {
  WriteTdef(store, def.tdef_page, SerializeTdef(def));
}

void StoreTableCounters(PageStore& store, const TableDef& def) {
  auto p = store.Page(def.tdef_page);
  if (p[0] != format::kPageTdef) ThrowCorrupt("not a table definition page");
  PutU32(p, format::kTdefRowCount, def.row_count);
  PutU32(p, format::kTdefAutoNumber, def.last_autonumber);
  for (size_t i = 0; i < def.real_indexes.size(); ++i) {
    const size_t at = format::kTdefHeaderSize +
                      format::kRealIndexCountBlock * i +
                      format::kRealIndexUniqueCount;
    if (at + 4 > p.size())
      ThrowCorrupt("index count block beyond the first page");
    PutU32(p, at, def.real_indexes[i].unique_count);
  }
}

std::optional<IndexKey> RowIndexKey(const TableDef& def,
                                    const RealIndexDef& index,
                                    std::span<const uint8_t> row) {
  RowLayout layout(Bytes(row), def);
  IndexKey key;
  bool all_null = true;
  for (const IndexColumn& ic : index.columns) {
    const ColumnDef* c = def.ColumnNumbered(ic.column_number);
    if (c == nullptr) ThrowCorrupt("index names a missing column");
    auto bytes = ColumnBytes(layout, *c);
    if (!bytes) {
      AppendNullKey(ic.ascending, key);
      continue;
    }
    all_null = false;
    auto value = [&] {
      ColumnDef fixed = *c;
      fixed.length = FixedLength(c->type);
      return DecodeFixedValue(fixed, Bytes(*bytes));
    };
    switch (c->type) {
      case format::kTypeBoolean:
        AppendBooleanKey((*bytes)[0] != 0, ic.ascending, key);
        break;
      case format::kTypeText:
        AppendTextKey(base::Utf8ToUtf16(DecodeText(Bytes(*bytes))),
                      ic.ascending, key);
        break;
      case format::kTypeBinary:
        AppendBinaryKey(*bytes, ic.ascending, key);
        break;
      case format::kTypeGuid:
        if (bytes->size() != 16) ThrowCorrupt("GUID value size");
        AppendGuidKey(std::span<const uint8_t, 16>(bytes->data(), 16),
                      ic.ascending, key);
        break;
      case format::kTypeNumeric:
        if (bytes->size() != 17) ThrowCorrupt("Decimal value size");
        AppendDecimalKey(std::span<const uint8_t, 17>(bytes->data(), 17),
                         ic.ascending, key);
        break;
      case format::kTypeByte:
        AppendByteKey(value().AsByte(), ic.ascending, key);
        break;
      case format::kTypeInteger:
        AppendIntegerKey(value().AsInteger(), ic.ascending, key);
        break;
      case format::kTypeLong:
        AppendLongKey(value().AsLong(), ic.ascending, key);
        break;
      case format::kTypeCurrency:
        AppendCurrencyKey(value().AsCurrency().scaled, ic.ascending, key);
        break;
      case format::kTypeSingle:
        AppendSingleKey(value().AsSingle(), ic.ascending, key);
        break;
      case format::kTypeDouble:
        AppendDoubleKey(value().AsDouble(), ic.ascending, key);
        break;
      case format::kTypeDate:
        AppendDoubleKey(value().AsDate().days, ic.ascending, key);
        break;
      default:
        throw base::Error(base::err::kInvalidProcedureCall, kErrorSource, {},
                          "index on an unsupported column type");
    }
  }
  if (all_null && (index.flags & 0x02)) return std::nullopt;
  return key;
}

void RebuildIndexes(PageStore& store, TableDef& def) {
  if (def.real_indexes.empty()) return;
  std::vector<std::vector<IndexEntry>> all(def.real_indexes.size());
  ScanTable(store, def, [&](RowId id, std::span<const uint8_t> row) {
    for (size_t i = 0; i < def.real_indexes.size(); ++i) {
      auto key = RowIndexKey(def, def.real_indexes[i], row);
      if (key) all[i].push_back(IndexEntry{std::move(*key), id});
    }
  });
  for (size_t i = 0; i < def.real_indexes.size(); ++i) {
    RealIndexDef& ix = def.real_indexes[i];
    ix.unique_count =
        std::max(ix.unique_count,
                 WriteIndexTree(store, def.tdef_page, ix, std::move(all[i])));
  }
}

RowId AppendRowImage(PageStore& store, TableDef& def,
                     std::span<const uint8_t> row, uint32_t* hint) {
  if (row.size() > format::kMaxRowSize) ThrowCorrupt("row too long");
  uint32_t page = hint ? *hint : 0;
  if (page == 0) {
    std::vector<uint32_t> owned = MapPages(store, def.owned_map.Packed());
    if (!owned.empty()) page = owned.back();
  }
  bool fits = false;
  if (page != 0 && page < store.page_count()) {
    const Bytes p = store.ReadPage(page);
    if (p[0] == format::kPageData && U32(p, 4) == def.tdef_page) {
      fits = DataPageFits(p, row.size());
      if (!fits) MapSetPage(store, def.free_map.Packed(), page, false);
    }
  }
  if (!fits) {
    page = store.Allocate();
    InitDataPage(store.Page(page), def.tdef_page);
    MapSetPage(store, def.owned_map.Packed(), page, true);
    MapSetPage(store, def.free_map.Packed(), page, true);
  }
  const uint16_t r = DataPageAddRow(store, page, row);
  if (hint) *hint = page;
  ++def.row_count;
  return RowId{page, static_cast<uint8_t>(r)};
}

RowId InsertCatalogRow(PageStore& store, const CatalogRow& r, double now) {
  TableDef def = LoadTableDef(store, format::kCatalogTdefPage);
  const std::vector<base::Value> values = RowValues(
      def, {{"Id", base::Value::Long(r.id)},
            {"ParentId", base::Value::Long(r.parent)},
            {"Name", base::Value::Text(r.name)},
            {"Type", base::Value::Integer(r.type)},
            {"DateCreate", base::Value::FromDate({now})},
            {"DateUpdate", base::Value::FromDate({now})},
            {"Owner", r.owner},
            {"Flags", base::Value::Long(static_cast<int32_t>(r.flags))},
            {"LvProp", r.lvprop}});
  LvalWriter lval(store);
  const std::vector<uint8_t> row = EncodeRow(def, values, &lval);
  // Unique indexes: a second row with the same key is refused.
  for (const RealIndexDef& ix : def.real_indexes) {
    if (!(ix.flags & 0x01)) continue;
    auto key = RowIndexKey(def, ix, row);
    if (!key) continue;
    bool dup = false;
    ScanTable(store, def, [&](RowId, std::span<const uint8_t> other) {
      if (!dup && RowIndexKey(def, ix, other) == key) dup = true;
    });
    if (dup) {
      throw base::Error(base::err::kDuplicateKey, kErrorSource);
    }
  }
  uint32_t hint = 0;
  const RowId id = AppendRowImage(store, def, row, &hint);
  RebuildIndexes(store, def);
  StoreTableCounters(store, def);
  return id;
}

void ValidateObjectName(const std::string& name) {
  const std::u16string s = base::Utf8ToUtf16(name);
  bool ok = !s.empty() && s.size() <= 64 && s[0] != u' ';
  for (char16_t ch : s) {
    if (ch < 0x20 || ch == u'.' || ch == u'!' || ch == u'`' || ch == u'[' ||
        ch == u']') {
      ok = false;
    }
  }
  if (!ok) {
    throw base::Error(base::err::kInvalidName, kErrorSource, name);
  }
}

double NowAsOleDate() {
  const auto secs = std::chrono::duration_cast<std::chrono::seconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
  return 25569.0 + static_cast<double>(secs) / 86400.0;
}

std::vector<base::Value> RowValues(
    const TableDef& def,
    std::initializer_list<std::pair<const char*, base::Value>> v) {
  std::vector<base::Value> out(def.max_cols, base::Value::Null());
  for (const auto& [name, value] : v) {
    if (value.IsNull() && def.FindColumn(name) < 0) continue;
    out[ColumnByName(def, name).number] = value;
  }
  return out;
}

void AppendRows(PageStore& store, uint32_t tdef_page,
                const std::vector<std::vector<base::Value>>& rows) {
  TableDef def = LoadTableDef(store, tdef_page);
  uint32_t hint = 0;
  for (const auto& values : rows) {
    AppendRowImage(store, def, EncodeRow(def, values, nullptr), &hint);
  }
  RebuildIndexes(store, def);
  StoreTableCounters(store, def);
}

namespace {

// Checks the names of a new table and its fields; returns the catalog and
// the Tables container's id.
std::pair<std::vector<CatalogEntry>, int32_t> CheckNewTable(
    const PageStore& store, const std::string& name,
    const std::vector<FieldDesc>& fields) {
  ValidateObjectName(name);
  std::set<std::string> seen;
  for (const FieldDesc& f : fields) {
    ValidateObjectName(f.name);
    if (!seen.insert(base::UpperCase(f.name)).second) {
      throw base::Error(base::err::kFieldExists, kErrorSource);
    }
  }
  std::vector<CatalogEntry> objects = ReadCatalogEntries(store);
  const int32_t tables_id = TablesContainerId(objects);
  if (tables_id == 0) ThrowCorrupt("the catalog has no Tables container");
  for (const CatalogEntry& o : objects) {
    if (o.parent_id == tables_id && base::EqualsIgnoreCase(o.name, name)) {
      throw base::Error(base::err::kTableExists, kErrorSource, name);
    }
  }
  return {std::move(objects), tables_id};
}

// Usage-map rows of a new table: owned, free space, then two per Memo/OLE
// column; 57 rows fit one page.
void CreateMapRows(PageStore& store, TableDef& def) {
  std::vector<uint16_t> long_cols;
  for (const ColumnDef& c : def.columns) {
    if (c.IsLongValue()) long_cols.push_back(c.number);
  }
  std::vector<RowId> map_ids;
  uint32_t map_page = 0;
  const std::vector<uint8_t> row = InlineMapRow(0, {});
  for (size_t i = 0; i < 2 + 2 * long_cols.size(); ++i) {
    if (map_page == 0 || !DataPageFits(store.Page(map_page), row.size())) {
      map_page = store.Allocate();
      InitDataPage(store.Page(map_page), 0);
    }
    const uint16_t r = DataPageAddRow(store.Page(map_page), row);
    map_ids.push_back(RowId{map_page, static_cast<uint8_t>(r)});
  }
  def.owned_map = map_ids[0];
  def.free_map = map_ids[1];
  for (size_t i = 0; i < long_cols.size(); ++i) {
    def.column_maps.push_back(
        ColumnMaps{long_cols[i], map_ids[2 + 2 * i], map_ids[3 + 2 * i]});
  }
}

// The Owner of the database object (MSysDb), which new tables take over.
base::Value DatabaseOwner(const PageStore& store, const TableDef& catalog,
                          const std::vector<CatalogEntry>& objects) {
  base::Value owner = base::Value::Binary({0xA6, 0x33});
  const ColumnDef& owner_col = ColumnByName(catalog, "Owner");
  for (const CatalogEntry& o : objects) {
    if (o.name != "MSysDb" || o.type != format::kObjectTypeDatabase) continue;
    const RowLayout layout(LocateRow(store, o.row), catalog);
    if (auto b = ColumnBytes(layout, owner_col); b && !b->empty()) {
      owner = base::Value::Binary(*b);
    }
  }
  return owner;
}

// Permissions of a new table: one ACE per SID that holds rights on the
// Tables container.
void InsertTableAces(PageStore& store, uint32_t tdef_page, int32_t tables_id) {
  const TableDef aces = LoadTableDef(store, format::kAcesTdefPage);
  const ColumnDef& ace_object = ColumnByName(aces, "ObjectId");
  const ColumnDef& ace_sid = ColumnByName(aces, "SID");
  std::vector<std::vector<uint8_t>> sids;
  ScanTable(store, aces, [&](RowId, std::span<const uint8_t> row) {
    RowLayout layout(Bytes(row), aces);
    auto obj = ColumnBytes(layout, ace_object);
    auto sid = ColumnBytes(layout, ace_sid);
    if (obj && obj->size() >= 4 &&
        static_cast<int32_t>(U32(*obj, 0)) == tables_id && sid &&
        std::find(sids.begin(), sids.end(), *sid) == sids.end()) {
      sids.push_back(*sid);
    }
  });
  if (sids.empty()) sids.push_back({0xA6, 0x33});
  // All ACE rows first, then one index rebuild (MSysACEs has no unique key).
  std::vector<std::vector<base::Value>> rows;
  rows.reserve(sids.size());
  for (const auto& sid : sids) {
    rows.push_back(RowValues(
        aces, {{"ObjectId", base::Value::Long(static_cast<int32_t>(tdef_page))},
               {"SID", base::Value::Binary(sid)},
               {"ACM", base::Value::Long(0xFFFFF)},
               {"FInheritable", base::Value::Boolean(false)}}));
  }
  AppendRows(store, format::kAcesTdefPage, rows);
}

}  // namespace

uint32_t CreateTable(PageStore& store, const std::string& name,
                     const std::vector<FieldDesc>& fields, double now) {
  const auto [objects, tables_id] = CheckNewTable(store, name, fields);
  TableDef def;
  def.columns = LayoutColumns(fields);
  def.table_type = format::kTableTypeUser;
  def.max_cols = static_cast<uint16_t>(def.columns.size());
  def.tdef_page = store.Allocate();
  CreateMapRows(store, def);
  for (const ColumnDef& c : def.columns) {
    if (!c.IsFixed()) ++def.var_col_count;
  }
  StoreTableDef(store, def);

  const TableDef catalog = LoadTableDef(store, format::kCatalogTdefPage);
  InsertCatalogRow(
      store,
      {static_cast<int32_t>(def.tdef_page), tables_id, name,
       format::kObjectTypeTable, 0, DatabaseOwner(store, catalog, objects)},
      now);
  InsertTableAces(store, def.tdef_page, tables_id);
  return def.tdef_page;
}

}  // namespace jet
