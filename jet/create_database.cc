#include "jet/create_database.h"

#include <cmath>
#include <cstring>

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

constexpr uint32_t kMapPage = format::kCoreMapPage;
constexpr const uint32_t* kRoots = format::kCoreIndexRoots;

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
                     uint8_t free, uint32_t map_page = kMapPage) {
  TableDef t;
  t.tdef_page = page;
  t.table_type = type;
  t.max_cols = max_cols;
  t.columns = std::move(columns);
  for (const ColumnDef& c : t.columns) {
    if (!c.IsFixed()) ++t.var_col_count;
  }
  t.owned_map = RowId{map_page, owned};
  t.free_map = RowId{map_page, free};
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
  t.real_indexes = {Index({1, 2}, kObjectsParentIdName, kRoots[0], 0x81),
                    Index({0}, kObjectsId, kRoots[1], 0x81)};
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
  t.real_indexes = {Index({0}, kAcesIndex, kRoots[2], 0x88)};
  t.logical_indexes = {Logical("ObjectId", 0, 0)};
  return t;
}

TableDef MSysQueries() {
  TableDef t =
      SystemTable(format::kQueriesTdefPage, format::kTableTypeSystem, 8,
                  Columns({{"Attribute", format::kTypeByte, 1, 1, F, 4, 0},
                           {"Expression", format::kTypeMemo, 5, 0, V, 0, 3},
                           {"Flag", format::kTypeInteger, 6, 2, F, 5, 0},
                           {"LvExtra", format::kTypeLong, 7, 4, F, 7, 0},
                           {"Name1", format::kTypeText, 3, 510, V, 0, 1},
                           {"Name2", format::kTypeText, 4, 510, V, 0, 2},
                           {"ObjectId", format::kTypeLong, 0, 4, F, 0, 0},
                           {"Order", format::kTypeBinary, 2, 510, V, 0, 0}}),
                  kQueriesOwned, kQueriesFree);
  t.real_indexes = {Index({0, 1, 2}, kQueriesIndex, kRoots[3], 0x81)};
  t.logical_indexes = {Logical("ObjectIdAttribute", 0, 1)};
  t.column_maps = {ColumnMaps{5, MapRowId(kQueriesExpression),
                              MapRowId(kQueriesExpression + 1)}};
  return t;
}

TableDef MSysRelationships() {
  TableDef t = SystemTable(
      format::kRelationshipsTdefPage, format::kTableTypeSystem, 8,
      Columns({{"ccolumn", format::kTypeLong, 2, 4, F, 4, 0},
               {"grbit", format::kTypeLong, 1, 4, F, 0, 0},
               {"icolumn", format::kTypeLong, 3, 4, F, 8, 0},
               {"szColumn", format::kTypeText, 5, 510, V, 0, 2},
               {"szObject", format::kTypeText, 4, 510, V, 0, 1},
               {"szReferencedColumn", format::kTypeText, 7, 510, V, 0, 4},
               {"szReferencedObject", format::kTypeText, 6, 510, V, 0, 3},
               {"szRelationship", format::kTypeText, 0, 510, V, 0, 0}}),
      kRelOwned, kRelFree);
  t.real_indexes = {Index({0}, kRelIndex0, kRoots[4], 0x82),
                    Index({4}, kRelIndex0 + 1, kRoots[5], 0x82),
                    Index({6}, kRelIndex0 + 2, kRoots[6], 0x82)};
  t.logical_indexes = {Logical("szObject", 1, 0),
                       Logical("szReferencedObject", 2, 0),
                       Logical("szRelationship", 0, 0)};
  return t;
}

// MSysAccessObjects: Access's own store (a fixed 3992-byte Data column of
// type 0x11 and an ID key); created empty.
TableDef MSysAccessObjects(uint32_t page, uint32_t map_page, uint32_t root) {
  TableDef t =
      SystemTable(page, format::kTableTypeUser, 2,
                  Columns({{"Data", 0x11, 0, 3992, 0x03, 0, 0},
                           {"ID", format::kTypeLong, 1, 4, 0x02, 0, 0}}),
                  0, 1, map_page);
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
  p[0] = format::kPageHeader;
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
  PutU32(p, format::kHeaderField6A, 0x21AA);
  PutU16(p, format::kHeaderSortOrder, format::kSortGeneralLcid);
  uint64_t bits;
  std::memcpy(&bits, &creation_date, 8);
  PutU32(p, format::kHeaderCreationDate, static_cast<uint32_t>(bits));
  PutU32(p, format::kHeaderCreationDate + 4, static_cast<uint32_t>(bits >> 32));
  ToggleHeaderMask(p);
  PutU32(p, format::kHeaderField98, 0x0654);
  std::memcpy(p.data() + format::kHeaderVersionText, "4.0", 4);
  for (size_t i = 0; i < 256; ++i) {
    PutU16(p, format::kHeaderTable + 2 * i, i == 0 ? 0x0101 : 0x0100);
  }
}

// A property blob ("MR2" format) holding text and long properties of the
// object itself (no named blocks).
std::vector<uint8_t> PropertyBlob(
    const std::vector<std::pair<std::string, std::string>>& texts,
    const std::vector<std::pair<std::string, int32_t>>& longs) {
  std::vector<uint8_t> names;
  std::vector<uint8_t> props;
  uint16_t index = 0;
  for (const auto& [name, value] : texts) {
    AppendName(names, name);
    std::vector<uint8_t> text;
    AppendName(text, value);  // u16 length, UTF-16
    AppendU16(props, static_cast<uint16_t>(6 + text.size()));
    props.push_back(0);
    props.push_back(format::kTypeText);
    AppendU16(props, index++);
    props.insert(props.end(), text.begin(), text.end());
  }
  for (const auto& [name, value] : longs) {
    AppendName(names, name);
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

// Page 1: the global usage map (row 0) and a second, empty map (row 1).
// Bits set = free; pages 0 and 1 are in use.
void WriteGlobalMapPage(PageStore& store) {
  auto p = store.Page(store.AppendPage());
  InitDataPage(p, 1);
  std::vector<uint8_t> global(format::kMapRowLength, 0xFF);
  global[0] = format::kMapInline;
  PutU32(global, format::kMapInlineStart, 0);
  global[format::kMapInlineBits] = 0xFC;
  DataPageAddRow(p, global);
  DataPageAddRow(p, std::vector<uint8_t>(format::kMapRowLength, 0));
}

// Pages 2-13: the four core TDEFs, their usage-map page, index roots.
void WriteCoreTables(PageStore& store) {
  for (uint32_t n = format::kCatalogTdefPage; n < format::kCorePageCount; ++n) {
    if (store.Allocate() != n) ThrowCorrupt("unexpected page allocation");
  }
  auto p = store.Page(kMapPage);
  InitDataPage(p, 0);
  for (int r = 0; r < kMapRowCount; ++r) DataPageAddRow(p, InlineMapRow(0, {}));
  for (const TableDef& t :
       {MSysObjects(), MSysACEs(), MSysQueries(), MSysRelationships()}) {
    for (const RealIndexDef& ix : t.real_indexes) {
      WriteEmptyLeaf(store, ix.root_page, t.tdef_page);
      MapSetPage(store, ix.usage_map.Packed(), ix.root_page, true);
    }
    StoreTableDef(store, t);
  }
}

constexpr int32_t kRoot = format::kCatalogRootId;
constexpr int32_t kTables = format::kTablesContainerId;
constexpr int32_t kDatabases = format::kDatabasesContainerId;
constexpr int32_t kRelationships = format::kRelationshipsContainerId;
constexpr int32_t kDb = format::kDatabaseObjectId;
constexpr uint32_t kSystem = 0x80000000;
constexpr int16_t kTable = format::kObjectTypeTable;
constexpr int16_t kContainer = format::kObjectTypeContainer;
// The containers Access keeps for its own objects, with ids 0x80000000 on.
constexpr const char* kAccessContainers[] = {
    "DataAccessPages", "Forms", "Modules", "Reports", "Scripts", "SysRel"};

int32_t AccessContainerId(uint32_t i) {
  return static_cast<int32_t>(0x80000000u + i);
}

void InsertCoreCatalogRows(PageStore& store, double now) {
  std::vector<CatalogRow> rows;
  for (const auto& [id, name] :
       {std::pair{kTables, "Tables"}, std::pair{kDatabases, "Databases"},
        std::pair{kRelationships, "Relationships"}}) {
    rows.push_back({id, kRoot, name, kContainer, kSystem, Bin({0xA7, 0x31})});
  }
  rows.push_back({kDb, kDatabases, "MSysDb", format::kObjectTypeDatabase,
                  kSystem, Bin({0xA6, 0x33}),
                  base::Value::Binary(PropertyBlob({{"AccessVersion", "08.50"}},
                                                   {{"Build", 6620}}))});
  const char* tables[] = {"MSysObjects", "MSysACEs", "MSysQueries",
                          "MSysRelationships"};
  for (int32_t i = 0; i < 4; ++i) {
    rows.push_back({static_cast<int32_t>(format::kCatalogTdefPage) + i, kTables,
                    tables[i], kTable, kSystem, Bin({0xA7, 0x31})});
  }
  for (uint32_t i = 0; i < std::size(kAccessContainers); ++i) {
    rows.push_back({AccessContainerId(i), kRoot, kAccessContainers[i],
                    kContainer, 0, Bin({0xA6, 0x33})});
  }
  for (const CatalogRow& r : rows) InsertCatalogRow(store, r, now);
}

// MSysAccessObjects: TDEF, its own usage-map page, an empty index, and its
// catalog row. Returns its TDEF page.
uint32_t CreateAccessObjects(PageStore& store, double now) {
  const uint32_t ao_page = store.Allocate();
  const uint32_t ao_maps = store.Allocate();
  const uint32_t ao_root = store.Allocate();
  auto p = store.Page(ao_maps);
  InitDataPage(p, 0);
  for (int r = 0; r < 3; ++r) DataPageAddRow(p, InlineMapRow(0, {}));
  WriteEmptyLeaf(store, ao_root, ao_page);
  MapSetPage(store, RowId{ao_maps, 2}.Packed(), ao_root, true);
  StoreTableDef(store, MSysAccessObjects(ao_page, ao_maps, ao_root));
  InsertCatalogRow(store,
                   {static_cast<int32_t>(ao_page), kTables, "MSysAccessObjects",
                    kTable, 2, Bin({0xA6, 0x33})},
                   now);
  return ao_page;
}

struct Ace {
  int32_t object;
  uint8_t sid;  // second byte: A7 33 / A6 33 / A7 36
  uint8_t sid0;
  int32_t acm;
  bool inherit;
};

// Permissions of the objects above for the engine's built-in accounts.
std::vector<Ace> CoreAces(int32_t access_objects) {
  std::vector<Ace> list;
  for (uint32_t c = 0; c < std::size(kAccessContainers); ++c) {
    const int32_t id = AccessContainerId(c);
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
  list.push_back({access_objects, 0x33, 0xA6, 0xFFFFF, false});
  list.push_back({access_objects, 0x33, 0xA7, 0xFFFFF, false});
  for (int32_t t : {2, 3, 4, 5}) {
    list.push_back({t, 0x33, 0xA6, t == 5 ? 0xE0000 : 0x60000, false});
    if (t != 3) list.push_back({t, 0x33, 0xA7, 0x14, false});
  }
  return list;
}

// One data page, one index rebuild: the rows go in directly.
void InsertAces(PageStore& store, const std::vector<Ace>& list) {
  const TableDef aces = LoadTableDef(store, format::kAcesTdefPage);
  std::vector<std::vector<base::Value>> rows;
  rows.reserve(list.size());
  for (const Ace& a : list) {
    rows.push_back(
        RowValues(aces, {{"ObjectId", base::Value::Long(a.object)},
                         {"SID", Bin({a.sid0, a.sid})},
                         {"ACM", base::Value::Long(a.acm)},
                         {"FInheritable", base::Value::Boolean(a.inherit)}}));
  }
  AppendRows(store, format::kAcesTdefPage, rows);
}

}  // namespace

PageStore CreateEmptyDatabase(double creation_date) {
  PageStore store;
  WriteHeaderPage(store.Page(store.AppendPage()), creation_date);
  WriteGlobalMapPage(store);
  WriteCoreTables(store);
  InsertCoreCatalogRows(store, creation_date);
  const uint32_t access_objects = CreateAccessObjects(store, creation_date);
  InsertAces(store, CoreAces(static_cast<int32_t>(access_objects)));
  return store;
}

}  // namespace jet
