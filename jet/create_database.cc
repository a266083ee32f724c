#include "jet/create_database.h"

#include <cmath>
#include <cstring>
#include <filesystem>

#include "base/runtime_error.h"
#include "base/text.h"
#include "jet/catalog_writer.h"
#include "jet/errors.h"
#include "jet/format.h"
#include "jet/header.h"
#include "jet/row_writer.h"
#include "jet/tdef_writer.h"

namespace jet {
namespace {

constexpr int32_t kDatabaseExists = 3204;

// Fixed page numbers of a new database.
constexpr uint32_t kMapPage = 6;  // usage maps of the four core tables

// Rows on the usage-map page 6, in the order Access lays them out.
enum MapRow : uint8_t {
  kObjectsOwned = 0,
  kObjectsFree = 1,
  kObjectsDatabase = 2,  // Memo/OLE column maps: owned, free
  kObjectsConnect = 4,
  kObjectsRmtInfoLong = 6,
  kObjectsLv = 8,
  kObjectsLvProp = 10,
  kObjectsLvModule = 12,
  kObjectsLvExtra = 14,
  kObjectsParentIdName = 16,
  kObjectsId = 17,
  kAcesOwned = 18,
  kAcesFree = 19,
  kAcesIndex = 20,
  kQueriesOwned = 21,
  kQueriesFree = 22,
  kQueriesExpression = 23,
  kQueriesIndex = 25,
  kRelOwned = 26,
  kRelFree = 27,
  kRelIndex0 = 28,
  kMapRowCount = 31,
};

RowId MapRowId(uint8_t row) { return RowId{kMapPage, row}; }

struct SystemColumn {
  const char* name;
  uint8_t type;
  uint16_t number;
  uint16_t length;
  uint8_t flags;
  uint16_t fixed_offset;  // fixed columns
  uint16_t var_index;     // variable columns
};

// Columns in descriptor order (Access keeps system tables' columns sorted
// by name). For fixed columns the var index is derived.
std::vector<ColumnDef> Columns(std::initializer_list<SystemColumn> list) {
  std::vector<ColumnDef> cols;
  for (const SystemColumn& s : list) {
    ColumnDef c;
    c.name = s.name;
    c.type = s.type;
    c.number = s.number;
    c.length = s.length;
    c.flags = s.flags;
    c.collation = format::kSortGeneralLcid;
    if (c.IsFixed()) {
      c.fixed_offset = s.fixed_offset;
    } else {
      c.var_index = s.var_index;
    }
    cols.push_back(c);
  }
  for (ColumnDef& c : cols) {
    if (!c.IsFixed()) continue;
    uint16_t before = 0;
    for (const ColumnDef& o : cols) {
      if (!o.IsFixed() && o.number < c.number) ++before;
    }
    c.var_index = before;
  }
  return cols;
}

RealIndexDef Index(std::initializer_list<uint16_t> columns, uint8_t map_row,
                   uint32_t root, uint8_t flags, uint32_t map_page = kMapPage) {
  RealIndexDef ix;
  for (uint16_t c : columns) ix.columns.push_back(IndexColumn{c, true});
  ix.usage_map = RowId{map_page, map_row};
  ix.root_page = root;
  ix.flags = flags;
  return ix;
}

LogicalIndexDef Logical(const char* name, uint32_t number, uint8_t type) {
  LogicalIndexDef li;
  li.name = name;
  li.number = number;
  li.real_index = number;
  li.related_index = 0xFFFFFFFF;
  // Access writes 4 into both cascade bytes of indexes that are no foreign
  // keys.
  li.cascade_updates = 4;
  li.cascade_deletes = 4;
  li.index_type = type;
  return li;
}

TableDef SystemTable(uint32_t page, uint8_t type, uint16_t max_cols,
                     std::vector<ColumnDef> columns, uint8_t owned,
                     uint8_t free) {
  TableDef t;
  t.tdef_page = page;
  t.table_type = type;
  t.max_cols = max_cols;
  t.columns = std::move(columns);
  for (const ColumnDef& c : t.columns) {
    if (!c.IsFixed()) ++t.var_col_count;
  }
  t.owned_map = MapRowId(owned);
  t.free_map = MapRowId(free);
  return t;
}

constexpr uint8_t F = 0x13;   // fixed system column
constexpr uint8_t V = 0x12;   // variable system column
constexpr uint8_t VO = 0x32;  // owner/SID binary

TableDef MSysObjects() {
  TableDef t = SystemTable(
      format::kCatalogTdefPage, format::kTableTypeSystem, 17,
      Columns({{"Connect", format::kTypeMemo, 9, 0, V, 0, 3},
               {"Database", format::kTypeMemo, 8, 0, V, 0, 2},
               {"DateCreate", format::kTypeDate, 4, 8, F, 10, 0},
               {"DateUpdate", format::kTypeDate, 5, 8, F, 18, 0},
               {"Flags", format::kTypeLong, 7, 4, F, 26, 0},
               {"ForeignName", format::kTypeText, 10, 510, V, 0, 4},
               {"Id", format::kTypeLong, 0, 4, F, 0, 0},
               {"Lv", format::kTypeOle, 13, 0, V, 0, 7},
               {"LvExtra", format::kTypeOle, 16, 0, V, 0, 10},
               {"LvModule", format::kTypeOle, 15, 0, V, 0, 9},
               {"LvProp", format::kTypeOle, 14, 0, V, 0, 8},
               {"Name", format::kTypeText, 2, 510, V, 0, 0},
               {"Owner", format::kTypeBinary, 6, 510, VO, 0, 1},
               {"ParentId", format::kTypeLong, 1, 4, F, 4, 0},
               {"RmtInfoLong", format::kTypeOle, 12, 0, V, 0, 6},
               {"RmtInfoShort", format::kTypeBinary, 11, 510, V, 0, 5},
               {"Type", format::kTypeInteger, 3, 2, F, 8, 0}}),
      kObjectsOwned, kObjectsFree);
  t.real_indexes = {Index({1, 2}, kObjectsParentIdName, 7, 0x81),
                    Index({0}, kObjectsId, 8, 0x81)};
  t.logical_indexes = {Logical("Id", 1, 1), Logical("ParentIdName", 0, 0)};
  auto maps = [](uint16_t col, uint8_t row) {
    return ColumnMaps{col, MapRowId(row),
                      MapRowId(static_cast<uint8_t>(row + 1))};
  };
  // Listed in descriptor order, like the columns.
  t.column_maps = {maps(9, kObjectsConnect),     maps(8, kObjectsDatabase),
                   maps(13, kObjectsLv),         maps(16, kObjectsLvExtra),
                   maps(15, kObjectsLvModule),   maps(14, kObjectsLvProp),
                   maps(12, kObjectsRmtInfoLong)};
  return t;
}

TableDef MSysACEs() {
  TableDef t = SystemTable(
      format::kAcesTdefPage, format::kTableTypeSystem, 4,
      Columns({{"ACM", format::kTypeLong, 2, 4, F, 4, 0},
               {"FInheritable", format::kTypeBoolean, 3, 1, F, 0, 0},
               {"ObjectId", format::kTypeLong, 0, 4, F, 0, 0},
               {"SID", format::kTypeBinary, 1, 510, VO, 0, 0}}),
      kAcesOwned, kAcesFree);
  t.real_indexes = {Index({0}, kAcesIndex, 9, 0x88)};
  t.logical_indexes = {Logical("ObjectId", 0, 0)};
  return t;
}

TableDef MSysQueries() {
  TableDef t =
      SystemTable(4, format::kTableTypeSystem, 8,
                  Columns({{"Attribute", format::kTypeByte, 1, 1, F, 4, 0},
                           {"Expression", format::kTypeMemo, 5, 0, V, 0, 3},
                           {"Flag", format::kTypeInteger, 6, 2, F, 5, 0},
                           {"LvExtra", format::kTypeLong, 7, 4, F, 7, 0},
                           {"Name1", format::kTypeText, 3, 510, V, 0, 1},
                           {"Name2", format::kTypeText, 4, 510, V, 0, 2},
                           {"ObjectId", format::kTypeLong, 0, 4, F, 0, 0},
                           {"Order", format::kTypeBinary, 2, 510, V, 0, 0}}),
                  kQueriesOwned, kQueriesFree);
  t.real_indexes = {Index({0, 1, 2}, kQueriesIndex, 10, 0x81)};
  t.logical_indexes = {Logical("ObjectIdAttribute", 0, 1)};
  t.column_maps = {ColumnMaps{5, MapRowId(kQueriesExpression),
                              MapRowId(kQueriesExpression + 1)}};
  return t;
}

TableDef MSysRelationships() {
  TableDef t = SystemTable(
      5, format::kTableTypeSystem, 8,
      Columns({{"ccolumn", format::kTypeLong, 2, 4, F, 4, 0},
               {"grbit", format::kTypeLong, 1, 4, F, 0, 0},
               {"icolumn", format::kTypeLong, 3, 4, F, 8, 0},
               {"szColumn", format::kTypeText, 5, 510, V, 0, 2},
               {"szObject", format::kTypeText, 4, 510, V, 0, 1},
               {"szReferencedColumn", format::kTypeText, 7, 510, V, 0, 4},
               {"szReferencedObject", format::kTypeText, 6, 510, V, 0, 3},
               {"szRelationship", format::kTypeText, 0, 510, V, 0, 0}}),
      kRelOwned, kRelFree);
  t.real_indexes = {Index({0}, kRelIndex0, 11, 0x82),
                    Index({4}, kRelIndex0 + 1, 12, 0x82),
                    Index({6}, kRelIndex0 + 2, 13, 0x82)};
  t.logical_indexes = {Logical("szObject", 1, 0),
                       Logical("szReferencedObject", 2, 0),
                       Logical("szRelationship", 0, 0)};
  return t;
}

// MSysAccessObjects: Access's own store (a fixed 3992-byte Data column of
// type 0x11 and an ID key); created empty.
TableDef MSysAccessObjects(uint32_t page, uint32_t map_page, uint32_t root) {
  TableDef t;
  t.tdef_page = page;
  t.table_type = format::kTableTypeUser;
  t.max_cols = 2;
  ColumnDef data;
  data.name = "Data";
  data.type = 0x11;
  data.number = 0;
  data.flags = 0x03;
  data.length = 3992;
  data.collation = format::kSortGeneralLcid;
  ColumnDef id;
  id.name = "ID";
  id.type = format::kTypeLong;
  id.number = 1;
  id.flags = 0x02;
  id.length = 4;
  id.collation = format::kSortGeneralLcid;
  t.columns = {data, id};
  t.var_col_count = 1;
  t.owned_map = RowId{map_page, 0};
  t.free_map = RowId{map_page, 1};
  t.real_indexes = {Index({1}, 2, root, 0x89, map_page)};
  t.logical_indexes = {Logical("AOIndex", 0, 1)};
  return t;
}

void WriteEmptyLeaf(PageStore& store, uint32_t page, uint32_t tdef) {
  IndexPage leaf;
  leaf.owner = tdef;
  EncodeIndexPage(store.Page(page), leaf);
}

void WriteHeaderPage(std::span<uint8_t> p, double creation_date) {
  std::fill(p.begin(), p.end(), 0);
  p[0] = 0x00;
  p[1] = 0x01;
  std::memcpy(p.data() + format::kHeaderEngineName, format::kJetEngineName,
              sizeof format::kJetEngineName);
  PutU32(p, format::kHeaderVersion, format::kVersionJet4);
  // Masked region, written in the clear first.
  static constexpr uint8_t kLead[] = {
      0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
      0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
  std::memcpy(p.data() + format::kHeaderMaskOffset, kLead, sizeof kLead);
  PutU16(p, format::kHeaderCodePage, 1252);
  PutU32(p, format::kHeaderDbKey, 0);
  // No password: the password bytes are the creation date's integer part.
  const uint32_t day =
      static_cast<uint32_t>(static_cast<int32_t>(creation_date));
  for (uint32_t i = 0; i < format::kHeaderPasswordLength; i += 4) {
    PutU32(p, format::kHeaderPassword + i, day);
  }
  PutU32(p, 0x6A, 0x21AA);
  PutU16(p, format::kHeaderSortOrder, format::kSortGeneralLcid);
  uint64_t bits;
  std::memcpy(&bits, &creation_date, 8);
  PutU32(p, format::kHeaderCreationDate, static_cast<uint32_t>(bits));
  PutU32(p, format::kHeaderCreationDate + 4, static_cast<uint32_t>(bits >> 32));
  ToggleHeaderMask(p);
  PutU32(p, 0x98, 0x0654);
  std::memcpy(p.data() + 0x9C, "4.0", 4);
  // A table of 256 16-bit entries that every Access file carries.
  for (size_t i = 0; i < 256; ++i) PutU16(p, 0xE00 + 2 * i, 0x0100);
  PutU16(p, 0xE00, 0x0101);
}

// A property blob ("MR2" format) holding text and long properties of the
// object itself (no named blocks).
std::vector<uint8_t> PropertyBlob(
    const std::vector<std::pair<std::string, std::string>>& texts,
    const std::vector<std::pair<std::string, int32_t>>& longs) {
  std::vector<uint8_t> names;
  std::vector<uint8_t> props;
  uint16_t index = 0;
  auto add_name = [&](const std::string& n) {
    const std::u16string u = base::Utf8ToUtf16(n);
    AppendU16(names, static_cast<uint16_t>(u.size() * 2));
    for (char16_t ch : u) AppendU16(names, static_cast<uint16_t>(ch));
  };
  for (const auto& [name, value] : texts) {
    add_name(name);
    const std::u16string u = base::Utf8ToUtf16(value);
    AppendU16(props, static_cast<uint16_t>(8 + u.size() * 2));
    props.push_back(0);
    props.push_back(format::kTypeText);
    AppendU16(props, index++);
    AppendU16(props, static_cast<uint16_t>(u.size() * 2));
    for (char16_t ch : u) AppendU16(props, static_cast<uint16_t>(ch));
  }
  for (const auto& [name, value] : longs) {
    add_name(name);
    AppendU16(props, 12);
    props.push_back(0);
    props.push_back(format::kTypeLong);
    AppendU16(props, index++);
    AppendU16(props, 4);
    AppendU32(props, static_cast<uint32_t>(value));
  }
  std::vector<uint8_t> out = {'M', 'R', '2', 0};
  AppendU32(out, static_cast<uint32_t>(6 + names.size()));
  AppendU16(out, 0x80);
  out.insert(out.end(), names.begin(), names.end());
  AppendU32(out, static_cast<uint32_t>(12 + props.size()));
  AppendU16(out, 0x00);
  AppendU32(out, 6);  // block header: its own length, unnamed
  AppendU16(out, 0);
  out.insert(out.end(), props.begin(), props.end());
  return out;
}

base::Value Bin(std::initializer_list<uint8_t> b) {
  return base::Value::Binary(std::vector<uint8_t>(b));
}

}  // namespace

PageStore CreateEmptyDatabase(double creation_date) {
  PageStore store;
  WriteHeaderPage(store.Page(store.AppendPage()), creation_date);
  {
    // Page 1: the global usage map (row 0) and a second, empty map (row 1).
    // Bits set = free; pages 0 and 1 are in use.
    auto p = store.Page(store.AppendPage());
    InitDataPage(p, 1);
    std::vector<uint8_t> global(format::kMapRowLength, 0xFF);
    PutU32(global, 1, 0);
    global[0] = 0x00;
    global[5] = 0xFC;
    DataPageAddRow(p, global);
    DataPageAddRow(p, std::vector<uint8_t>(format::kMapRowLength, 0));
  }
  // Pages 2..13: the four core TDEFs, their usage-map page, index roots.
  for (uint32_t n = 2; n <= 13; ++n) {
    if (store.Allocate() != n) ThrowCorrupt("unexpected page allocation");
  }
  {
    auto p = store.Page(kMapPage);
    InitDataPage(p, 0);
    for (int r = 0; r < kMapRowCount; ++r)
      DataPageAddRow(p, InlineMapRow(0, {}));
  }
  TableDef objects = MSysObjects();
  TableDef aces = MSysACEs();
  TableDef queries = MSysQueries();
  TableDef relationships = MSysRelationships();
  for (TableDef* t : {&objects, &aces, &queries, &relationships}) {
    for (const RealIndexDef& ix : t->real_indexes) {
      WriteEmptyLeaf(store, ix.root_page, t->tdef_page);
      MapSetPage(store, ix.usage_map.Packed(), ix.root_page, true);
    }
    StoreTableDef(store, *t);
  }

  const double now = creation_date;
  const TableDef cat = LoadTableDef(store, format::kCatalogTdefPage);
  auto catalog_row = [&](int32_t id, int32_t parent, const char* name,
                         int16_t type, uint32_t flags, base::Value owner,
                         base::Value lvprop = base::Value::Null()) {
    std::vector<base::Value> v(cat.max_cols, base::Value::Null());
    auto set = [&](const char* col, base::Value value) {
      v[cat.columns[static_cast<size_t>(cat.FindColumn(col))].number] =
          std::move(value);
    };
    set("Id", base::Value::Long(id));
    set("ParentId", base::Value::Long(parent));
    set("Name", base::Value::Text(name));
    set("Type", base::Value::Integer(type));
    set("DateCreate", base::Value::FromDate({now}));
    set("DateUpdate", base::Value::FromDate({now}));
    set("Owner", std::move(owner));
    set("Flags", base::Value::Long(static_cast<int32_t>(flags)));
    set("LvProp", std::move(lvprop));
    InsertCatalogRow(store, v);
  };
  constexpr int32_t kRoot = 0x0F000000;
  constexpr int32_t kTables = 0x0F000001;
  constexpr int32_t kDatabases = 0x0F000002;
  constexpr int32_t kRelationships = 0x0F000003;
  constexpr int32_t kDb = 0x10000000;
  constexpr uint32_t kSystem = 0x80000000;
  catalog_row(kTables, kRoot, "Tables", 3, kSystem, Bin({0xA7, 0x31}));
  catalog_row(kDatabases, kRoot, "Databases", 3, kSystem, Bin({0xA7, 0x31}));
  catalog_row(kRelationships, kRoot, "Relationships", 3, kSystem,
              Bin({0xA7, 0x31}));
  catalog_row(kDb, kDatabases, "MSysDb", 2, kSystem, Bin({0xA6, 0x33}),
              base::Value::Binary(PropertyBlob({{"AccessVersion", "08.50"}},
                                               {{"Build", 6620}})));
  catalog_row(2, kTables, "MSysObjects", 1, kSystem, Bin({0xA7, 0x31}));
  catalog_row(3, kTables, "MSysACEs", 1, kSystem, Bin({0xA7, 0x31}));
  catalog_row(4, kTables, "MSysQueries", 1, kSystem, Bin({0xA7, 0x31}));
  catalog_row(5, kTables, "MSysRelationships", 1, kSystem, Bin({0xA7, 0x31}));
  const char* containers[] = {"DataAccessPages", "Forms",   "Modules",
                              "Reports",         "Scripts", "SysRel"};
  for (int i = 0; i < 6; ++i) {
    catalog_row(static_cast<int32_t>(0x80000000u + static_cast<uint32_t>(i)),
                kRoot, containers[i], 3, 0, Bin({0xA6, 0x33}));
  }

  // MSysAccessObjects: TDEF, its own usage-map page, an empty index.
  const uint32_t ao_page = store.Allocate();
  const uint32_t ao_maps = store.Allocate();
  const uint32_t ao_root = store.Allocate();
  {
    auto p = store.Page(ao_maps);
    InitDataPage(p, 0);
    for (int r = 0; r < 3; ++r) DataPageAddRow(p, InlineMapRow(0, {}));
  }
  TableDef access_objects = MSysAccessObjects(ao_page, ao_maps, ao_root);
  WriteEmptyLeaf(store, ao_root, ao_page);
  MapSetPage(store, RowId{ao_maps, 2}.Packed(), ao_root, true);
  StoreTableDef(store, access_objects);
  catalog_row(static_cast<int32_t>(ao_page), kTables, "MSysAccessObjects", 1, 2,
              Bin({0xA6, 0x33}));

  // Permissions of the objects above for the engine's built-in accounts.
  const TableDef ace_def = LoadTableDef(store, format::kAcesTdefPage);
  struct Ace {
    int32_t object;
    uint8_t sid;  // second byte: A7 33 / A6 33 / A7 36
    uint8_t sid0;
    int32_t acm;
    bool inherit;
  };
  std::vector<Ace> list;
  for (uint32_t c = 0; c < 6; ++c) {
    const int32_t id = static_cast<int32_t>(0x80000000u + c);
    list.push_back({id, 0x33, 0xA7, 0xFFFFF, true});
    list.push_back({id, 0x33, 0xA6, 0xFFFFF, true});
    list.push_back({id, 0x36, 0xA7, 0xFFFFF, true});
  }
  list.push_back({kDatabases, 0x33, 0xA6, 0x60000, false});
  list.push_back({kRelationships, 0x36, 0xA7, 0xF00FE, true});
  list.push_back({kRelationships, 0x33, 0xA6, 0x60001, false});
  list.push_back({kRelationships, 0x33, 0xA7, 0xFFFFF, true});
  list.push_back({kTables, 0x36, 0xA7, 0xF00FE, true});
  list.push_back({kTables, 0x33, 0xA6, 0xFFEFF, true});
  list.push_back({kTables, 0x33, 0xA7, 0xFFEFF, true});
  list.push_back({kDb, 0x33, 0xA6, 0x6000E, false});
  list.push_back({kDb, 0x33, 0xA7, 0xE, false});
  list.push_back({static_cast<int32_t>(ao_page), 0x33, 0xA6, 0xFFFFF, false});
  list.push_back({static_cast<int32_t>(ao_page), 0x33, 0xA7, 0xFFFFF, false});
  for (int32_t t : {2, 3, 4, 5}) {
    list.push_back({t, 0x33, 0xA6, t == 5 ? 0xE0000 : 0x60000, false});
    if (t != 3) list.push_back({t, 0x33, 0xA7, 0x14, false});
  }
  // One data page, one index rebuild: insert the rows directly.
  TableDef aces_def = ace_def;
  uint32_t hint = 0;
  for (const Ace& a : list) {
    std::vector<base::Value> v(aces_def.max_cols, base::Value::Null());
    auto col = [&](const char* n) {
      return aces_def.columns[static_cast<size_t>(aces_def.FindColumn(n))]
          .number;
    };
    v[col("ObjectId")] = base::Value::Long(a.object);
    v[col("SID")] = Bin({a.sid0, a.sid});
    v[col("ACM")] = base::Value::Long(a.acm);
    v[col("FInheritable")] = base::Value::Boolean(a.inherit);
    const std::vector<uint8_t> row = EncodeRow(aces_def, v, nullptr);
    AppendRowImage(store, aces_def, row, &hint);
  }
  RebuildIndexes(store, aces_def);
  StoreTableCounters(store, aces_def);
  return store;
}

void CreateDatabaseFile(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) {
    throw base::RuntimeError(kDatabaseExists, kErrorSource,
                             "Database already exists.");
  }
  PageStore store = CreateEmptyDatabase(NowAsOleDate());
  store.Save(path);
}

}  // namespace jet
