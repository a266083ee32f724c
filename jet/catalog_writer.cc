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

const ColumnDef* ColumnByNumber(const TableDef& def, uint16_t n) {
  for (const ColumnDef& c : def.columns) {
    if (c.number == n) return &c;
  }
  return nullptr;
}

const ColumnDef& ColumnByName(const TableDef& def, std::string_view name) {
  const int i = def.FindColumn(name);
  if (i < 0) ThrowCorrupt("system table lacks a column");
  return def.columns[static_cast<size_t>(i)];
}

std::vector<uint8_t> LeafEntry(const IndexEntry& e) {
  std::vector<uint8_t> out = e.key;
  out.push_back(static_cast<uint8_t>(e.row.page >> 16));
  out.push_back(static_cast<uint8_t>(e.row.page >> 8));
  out.push_back(static_cast<uint8_t>(e.row.page));
  out.push_back(e.row.row);
  return out;
}

void WriteIndexPage(std::span<uint8_t> page, uint8_t type, uint32_t tdef,
                    uint32_t prev, uint32_t next, uint32_t tail,
                    const std::vector<const std::vector<uint8_t>*>& entries) {
  std::fill(page.begin(), page.end(), 0);
  page[0] = type;
  page[1] = 0x01;
  PutU32(page, format::kIndexOwner, tdef);
  PutU32(page, format::kIndexPrevPage, prev);
  PutU32(page, format::kIndexNextPage, next);
  PutU32(page, format::kIndexTailPage, tail);
  size_t pos = 0;
  for (const std::vector<uint8_t>* e : entries) {
    if (pos + e->size() > format::kIndexRoom)
      ThrowCorrupt("index page overfull");
    std::copy(e->begin(), e->end(), page.begin() + format::kIndexEntries + pos);
    pos += e->size();
    uint8_t& bits = page[format::kIndexBitmap + pos / 8];
    bits = static_cast<uint8_t>(bits | (1 << (pos % 8)));
  }
  PutU16(page, format::kIndexFreeSpace,
         static_cast<uint16_t>(format::kIndexRoom - pos));
}

// Groups of consecutive items whose stored bytes fit one page. For node
// levels the last child of a page is kept in the tail field and takes no
// room.
std::vector<std::vector<size_t>> Pack(
    const std::vector<std::vector<uint8_t>>& items, bool tail_free) {
  std::vector<std::vector<size_t>> groups;
  size_t used = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].size() > format::kIndexRoom)
      ThrowCorrupt("index entry too long");
    if (!groups.empty()) {
      const auto& g = groups.back();
      // Bytes the page needs if item i joins it.
      const size_t add = tail_free ? items[g.back()].size() : items[i].size();
      if (used + add <= format::kIndexRoom) {
        groups.back().push_back(i);
        used += add;
        continue;
      }
    }
    groups.push_back({i});
    used = tail_free ? 0 : items[i].size();
  }
  return groups;
}

uint32_t Be32(std::span<const uint8_t> b) {
  return static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 |
         static_cast<uint32_t>(b[2]) << 8 | b[3];
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
    const size_t at = format::kTdefHeaderSize + 12 * i + 4;
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
    const ColumnDef* c = ColumnByNumber(def, ic.column_number);
    if (c == nullptr) ThrowCorrupt("index names a missing column");
    auto bytes = ColumnBytes(layout, *c);
    if (!bytes) {
      AppendNullKey(ic.ascending, key);
      continue;
    }
    all_null = false;
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
      case format::kTypeInteger:
      case format::kTypeLong:
      case format::kTypeCurrency:
      case format::kTypeSingle:
      case format::kTypeDouble:
      case format::kTypeDate: {
        ColumnDef fixed = *c;
        fixed.length = FixedLength(c->type);
        const base::Value v = DecodeFixedValue(fixed, Bytes(*bytes));
        switch (c->type) {
          case format::kTypeByte:
            AppendByteKey(v.AsByte(), ic.ascending, key);
            break;
          case format::kTypeInteger:
            AppendIntegerKey(v.AsInteger(), ic.ascending, key);
            break;
          case format::kTypeLong:
            AppendLongKey(v.AsLong(), ic.ascending, key);
            break;
          case format::kTypeCurrency:
            AppendCurrencyKey(v.AsCurrency().scaled, ic.ascending, key);
            break;
          case format::kTypeSingle:
            AppendSingleKey(v.AsSingle(), ic.ascending, key);
            break;
          case format::kTypeDouble:
            AppendDoubleKey(v.AsDouble(), ic.ascending, key);
            break;
          default:
            AppendDoubleKey(v.AsDate().days, ic.ascending, key);
            break;
        }
        break;
      }
      default:
        throw base::Error(base::err::kInvalidProcedureCall, kErrorSource, {},
                          "index on an unsupported column type");
    }
  }
  if (all_null && (index.flags & 0x02)) return std::nullopt;
  return key;
}

void WriteIndexTree(PageStore& store, uint32_t tdef_page,
                    const RealIndexDef& index,
                    std::vector<IndexEntry> entries) {
  std::sort(entries.begin(), entries.end(),
            [](const IndexEntry& a, const IndexEntry& b) {
              const int c = CompareKeys(a.key.data(), a.key.size(),
                                        b.key.data(), b.key.size());
              if (c != 0) return c < 0;
              if (a.row.page != b.row.page) return a.row.page < b.row.page;
              return a.row.row < b.row.row;
            });
  // Levels bottom-up: items of each level and their grouping into pages.
  struct Level {
    std::vector<std::vector<uint8_t>> items;
    std::vector<std::vector<uint8_t>>
        last_leaf;  // per item: last leaf entry below
    std::vector<std::vector<size_t>> groups;
    std::vector<uint32_t> pages;
  };
  std::vector<Level> levels(1);
  for (const IndexEntry& e : entries) {
    levels[0].items.push_back(LeafEntry(e));
    levels[0].last_leaf.push_back(levels[0].items.back());
  }
  levels[0].groups = Pack(levels[0].items, false);
  if (levels[0].groups.empty()) levels[0].groups.push_back({});
  while (levels.back().groups.size() > 1) {
    if (levels.size() > 8) ThrowCorrupt("index tree too deep");
    Level next;
    const Level& below = levels.back();
    for (const auto& g : below.groups) {
      next.last_leaf.push_back(below.last_leaf[g.back()]);
      next.items.push_back(below.last_leaf[g.back()]);
      next.items.back().insert(next.items.back().end(), 4, 0);  // child, later
    }
    next.groups = Pack(next.items, true);
    levels.push_back(std::move(next));
  }

  // Pages: the root keeps its number; others reuse the index's pages.
  const uint32_t map_ptr = index.usage_map.Packed();
  std::vector<uint32_t> pool;
  for (uint32_t p : MapPages(store, map_ptr)) {
    // Only pages that really are this index's are reused.
    if (p == index.root_page || p < 3 || p >= store.page_count()) continue;
    auto page = store.Page(p);
    if ((page[0] == 0x03 || page[0] == 0x04) && U32(page, 4) == tdef_page) {
      pool.push_back(p);
    }
  }
  size_t pool_used = 0;
  for (size_t l = 0; l < levels.size(); ++l) {
    for (size_t g = 0; g < levels[l].groups.size(); ++g) {
      uint32_t page;
      if (l + 1 == levels.size()) {
        page = index.root_page;
      } else if (pool_used < pool.size()) {
        page = pool[pool_used++];
      } else {
        page = store.Allocate();
        MapSetPage(store, map_ptr, page, true);
      }
      levels[l].pages.push_back(page);
    }
  }
  for (size_t i = pool_used; i < pool.size(); ++i) {
    MapSetPage(store, map_ptr, pool[i], false);
    store.Free(pool[i]);
  }
  // Child pointers of node items.
  for (size_t l = 1; l < levels.size(); ++l) {
    for (size_t i = 0; i < levels[l].items.size(); ++i) {
      auto& item = levels[l].items[i];
      const uint32_t child = levels[l - 1].pages[i];
      const size_t n = item.size();
      item[n - 4] = static_cast<uint8_t>(child >> 24);
      item[n - 3] = static_cast<uint8_t>(child >> 16);
      item[n - 2] = static_cast<uint8_t>(child >> 8);
      item[n - 1] = static_cast<uint8_t>(child);
    }
  }
  // Parent group of each page, for sibling links among node pages.
  for (size_t l = 0; l < levels.size(); ++l) {
    Level& lv = levels[l];
    std::vector<size_t> parent(lv.groups.size(), 0);
    if (l + 1 < levels.size()) {
      const Level& up = levels[l + 1];
      for (size_t g = 0; g < up.groups.size(); ++g) {
        for (size_t item : up.groups[g]) parent[item] = g;
      }
    }
    for (size_t g = 0; g < lv.groups.size(); ++g) {
      const bool leaf = l == 0;
      const bool link_prev = g > 0 && (leaf || parent[g - 1] == parent[g]);
      const bool link_next =
          g + 1 < lv.groups.size() && (leaf || parent[g + 1] == parent[g]);
      std::vector<const std::vector<uint8_t>*> stored;
      uint32_t tail = 0;
      const auto& grp = lv.groups[g];
      for (size_t k = 0; k < grp.size(); ++k) {
        if (!leaf && grp.size() > 1 && k + 1 == grp.size()) {
          tail = Be32(std::span<const uint8_t>(lv.items[grp[k]]).last(4));
        } else {
          stored.push_back(&lv.items[grp[k]]);
        }
      }
      WriteIndexPage(store.Page(lv.pages[g]), leaf ? 0x04 : 0x03, tdef_page,
                     link_prev ? lv.pages[g - 1] : 0,
                     link_next ? lv.pages[g + 1] : 0, tail, stored);
    }
  }
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
    std::vector<const IndexKey*> keys;
    for (const IndexEntry& e : all[i]) keys.push_back(&e.key);
    auto cmp = [](const IndexKey* a, const IndexKey* b) {
      return CompareKeys(a->data(), a->size(), b->data(), b->size());
    };
    std::sort(
        keys.begin(), keys.end(),
        [&](const IndexKey* a, const IndexKey* b) { return cmp(a, b) < 0; });
    uint32_t distinct = 0;
    for (size_t k = 0; k < keys.size(); ++k) {
      if (k == 0 || cmp(keys[k - 1], keys[k]) != 0) ++distinct;
    }
    RealIndexDef& ix = def.real_indexes[i];
    ix.unique_count = std::max(ix.unique_count, distinct);
    WriteIndexTree(store, def.tdef_page, ix, std::move(all[i]));
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
    auto p = store.Page(page);
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
  const uint16_t r = DataPageAddRow(store.Page(page), row);
  if (hint) *hint = page;
  ++def.row_count;
  return RowId{page, static_cast<uint8_t>(r)};
}

namespace {

RowId InsertSystemRow(PageStore& store, uint32_t tdef_page,
                      const std::vector<base::Value>& values) {
  TableDef def = LoadTableDef(store, tdef_page);
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

std::vector<base::Value> RowValues(
    const TableDef& def,
    std::initializer_list<std::pair<const char*, base::Value>> v) {
  std::vector<base::Value> out(def.max_cols, base::Value::Null());
  for (const auto& [name, value] : v) {
    out[ColumnByName(def, name).number] = value;
  }
  return out;
}

}  // namespace

RowId InsertCatalogRow(PageStore& store,
                       const std::vector<base::Value>& values) {
  return InsertSystemRow(store, format::kCatalogTdefPage, values);
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

uint32_t CreateTable(PageStore& store, const std::string& name,
                     const std::vector<FieldDesc>& fields, double now) {
  ValidateObjectName(name);
  std::set<std::string> seen;
  for (const FieldDesc& f : fields) {
    ValidateObjectName(f.name);
    if (!seen.insert(base::UpperCase(f.name)).second) {
      throw base::Error(base::err::kFieldExists, kErrorSource);
    }
  }
  const std::vector<CatalogEntry> objects = ReadCatalogEntries(store);
  const int32_t tables_id = TablesContainerId(objects);
  if (tables_id == 0) ThrowCorrupt("the catalog has no Tables container");
  for (const CatalogEntry& o : objects) {
    if (o.parent_id == tables_id && base::EqualsIgnoreCase(o.name, name)) {
      throw base::Error(base::err::kTableExists, kErrorSource, name);
    }
  }

  TableDef def;
  def.columns = LayoutColumns(fields);
  def.table_type = format::kTableTypeUser;
  def.max_cols = static_cast<uint16_t>(def.columns.size());
  def.tdef_page = store.Allocate();
  // Usage-map rows: owned, free space, then two per Memo/OLE column; 57
  // rows fit one page.
  std::vector<std::vector<uint8_t>> map_rows;
  map_rows.push_back(InlineMapRow(0, {}));
  map_rows.push_back(InlineMapRow(0, {}));
  std::vector<uint16_t> long_cols;
  for (const ColumnDef& c : def.columns) {
    if (c.IsLongValue()) {
      long_cols.push_back(c.number);
      map_rows.push_back(InlineMapRow(0, {}));
      map_rows.push_back(InlineMapRow(0, {}));
    }
  }
  std::vector<RowId> map_ids;
  uint32_t map_page = 0;
  for (const auto& r : map_rows) {
    if (map_page == 0 || !DataPageFits(store.Page(map_page), r.size())) {
      map_page = store.Allocate();
      InitDataPage(store.Page(map_page), 0);
    }
    const uint16_t row = DataPageAddRow(store.Page(map_page), r);
    map_ids.push_back(RowId{map_page, static_cast<uint8_t>(row)});
  }
  def.owned_map = map_ids[0];
  def.free_map = map_ids[1];
  for (size_t i = 0; i < long_cols.size(); ++i) {
    def.column_maps.push_back(
        ColumnMaps{long_cols[i], map_ids[2 + 2 * i], map_ids[3 + 2 * i]});
  }
  for (const ColumnDef& c : def.columns) {
    if (!c.IsFixed()) ++def.var_col_count;
  }
  StoreTableDef(store, def);

  // Catalog row; Owner as the database object's.
  const TableDef catalog = LoadTableDef(store, format::kCatalogTdefPage);
  base::Value owner = base::Value::Binary({0xA6, 0x33});
  {
    const ColumnDef& owner_col = ColumnByName(catalog, "Owner");
    for (const CatalogEntry& o : objects) {
      if (o.name != "MSysDb" || o.type != 2) continue;
      ScanTable(store, catalog, [&](RowId rid, std::span<const uint8_t> row) {
        if (!(rid == o.row)) return;
        RowLayout layout(Bytes(row), catalog);
        if (auto b = ColumnBytes(layout, owner_col); b && !b->empty()) {
          owner = base::Value::Binary(*b);
        }
      });
    }
  }
  InsertCatalogRow(
      store,
      RowValues(catalog,
                {{"Id", base::Value::Long(static_cast<int32_t>(def.tdef_page))},
                 {"ParentId", base::Value::Long(tables_id)},
                 {"Name", base::Value::Text(name)},
                 {"Type", base::Value::Integer(format::kObjectTypeTable)},
                 {"DateCreate", base::Value::FromDate({now})},
                 {"DateUpdate", base::Value::FromDate({now})},
                 {"Owner", owner},
                 {"Flags", base::Value::Long(0)}}));

  // Permissions: one ACE per SID that holds rights on the Tables container.
  const TableDef aces = LoadTableDef(store, format::kAcesTdefPage);
  const ColumnDef& ace_object = ColumnByName(aces, "ObjectId");
  const ColumnDef& ace_sid = ColumnByName(aces, "SID");
  std::vector<std::vector<uint8_t>> sids;
  {
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
  }
  if (sids.empty()) sids.push_back({0xA6, 0x33});
  // All ACE rows first, then one index rebuild (MSysACEs has no unique key).
  TableDef ace_def = aces;
  uint32_t hint = 0;
  for (const auto& sid : sids) {
    const std::vector<uint8_t> row = EncodeRow(
        ace_def,
        RowValues(ace_def, {{"ObjectId", base::Value::Long(static_cast<int32_t>(
                                             def.tdef_page))},
                            {"SID", base::Value::Binary(sid)},
                            {"ACM", base::Value::Long(0xFFFFF)},
                            {"FInheritable", base::Value::Boolean(false)}}),
        nullptr);
    AppendRowImage(store, ace_def, row, &hint);
  }
  RebuildIndexes(store, ace_def);
  StoreTableCounters(store, ace_def);
  return def.tdef_page;
}

}  // namespace jet
