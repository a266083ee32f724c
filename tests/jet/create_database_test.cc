#include "jet/create_database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "jet/catalog_writer.h"
#include "jet/database.h"
#include "jet/format.h"
#include "jet/tdef.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

// Creation date of the Access 2000 reference; it keys the password mask.
constexpr double kReferenceDate = 38143.546523784724;

std::string Reference() {
  return test_support::Sample("access/empty-access2000-reference.mdb");
}

TEST(CreateDatabaseTest, MatchesTheAccessReferenceRegionByRegion) {
  const PageStore ours = CreateEmptyDatabase(kReferenceDate);
  const PageStore ref(test_support::ReadBytes(Reference()));

  // The header page, masked region included, is what Access writes.
  auto p0 = ours.Page(0);
  auto r0 = ref.Page(0);
  EXPECT_TRUE(std::equal(p0.begin(), p0.end(), r0.begin()));

  // Page roles of the fixed part of the file.
  for (uint32_t n = 0; n <= 14; ++n) {
    EXPECT_EQ(ours.Page(n)[0], ref.Page(n)[0]) << "page " << n;
  }
  // Page 1: global map row and an empty second map row.
  EXPECT_EQ(RowCount(ours.Page(1)), 2);
  EXPECT_EQ(U32(ours.Page(1), 4), U32(ref.Page(1), 4));

  // The four core system tables: same columns, indexes and maps.
  for (uint32_t tdef : {2u, 3u, 4u, 5u}) {
    const TableDef a = LoadTableDef(ours, tdef);
    const TableDef b = LoadTableDef(ref, tdef);
    SCOPED_TRACE("TDEF " + std::to_string(tdef));
    EXPECT_EQ(a.tdef_length, b.tdef_length);
    EXPECT_EQ(a.table_type, b.table_type);
    EXPECT_EQ(a.max_cols, b.max_cols);
    EXPECT_EQ(a.var_col_count, b.var_col_count);
    EXPECT_EQ(a.owned_map, b.owned_map);
    EXPECT_EQ(a.free_map, b.free_map);
    ASSERT_EQ(a.columns.size(), b.columns.size());
    for (size_t i = 0; i < a.columns.size(); ++i) {
      const ColumnDef& x = a.columns[i];
      const ColumnDef& y = b.columns[i];
      EXPECT_EQ(x.name, y.name);
      EXPECT_EQ(x.type, y.type) << x.name;
      EXPECT_EQ(x.number, y.number) << x.name;
      EXPECT_EQ(x.flags, y.flags) << x.name;
      EXPECT_EQ(x.length, y.length) << x.name;
      EXPECT_EQ(x.collation, y.collation) << x.name;
      if (x.IsFixed()) {
        EXPECT_EQ(x.fixed_offset, y.fixed_offset) << x.name;
      } else {
        EXPECT_EQ(x.var_index, y.var_index) << x.name;
      }
    }
    ASSERT_EQ(a.real_indexes.size(), b.real_indexes.size());
    for (size_t i = 0; i < a.real_indexes.size(); ++i) {
      EXPECT_EQ(a.real_indexes[i].root_page, b.real_indexes[i].root_page);
      EXPECT_EQ(a.real_indexes[i].usage_map, b.real_indexes[i].usage_map);
      EXPECT_EQ(a.real_indexes[i].flags, b.real_indexes[i].flags);
      ASSERT_EQ(a.real_indexes[i].columns.size(),
                b.real_indexes[i].columns.size());
    }
    ASSERT_EQ(a.logical_indexes.size(), b.logical_indexes.size());
    for (size_t i = 0; i < a.logical_indexes.size(); ++i) {
      EXPECT_EQ(a.logical_indexes[i].name, b.logical_indexes[i].name);
      EXPECT_EQ(a.logical_indexes[i].index_type,
                b.logical_indexes[i].index_type);
    }
    ASSERT_EQ(a.column_maps.size(), b.column_maps.size());
    for (size_t i = 0; i < a.column_maps.size(); ++i) {
      EXPECT_EQ(a.column_maps[i].column_number, b.column_maps[i].column_number);
      EXPECT_EQ(a.column_maps[i].owned, b.column_maps[i].owned);
    }
  }

  // Catalog rows: the reference's objects except Access's own documents.
  auto names = [](const PageStore& s) {
    std::vector<std::string> out;
    for (const CatalogEntry& o : ReadCatalogEntries(s)) out.push_back(o.name);
    std::sort(out.begin(), out.end());
    return out;
  };
  std::vector<std::string> expected = names(ref);
  std::erase_if(expected, [](const std::string& n) {
    return n == "AccessLayout" || n == "SummaryInfo" || n == "UserDefined";
  });
  EXPECT_EQ(names(ours), expected);
}

// Its index entries against its rows: `mdb check` in write_check.py.
TEST(CreateDatabaseTest, ReaderSeesTheSystemTablesAndTheVersion) {
  const PageStore store = CreateEmptyDatabase(45000.25);
  auto db = Database::FromBytes(store.bytes(), "new.mdb");
  EXPECT_TRUE(db->TableNames(false).empty());
  const std::vector<std::string> system = db->TableNames(true);
  for (const char* t : {"MSysObjects", "MSysACEs", "MSysQueries",
                        "MSysRelationships", "MSysAccessObjects"}) {
    EXPECT_NE(std::find(system.begin(), system.end(), t), system.end()) << t;
  }
  EXPECT_EQ(db->catalog().tables_container_id(), 0x0F000001);

  // The database object carries the Access 2000 version property.
  bool found = false;
  for (const Row& row : db->ReadRows("MSysObjects")) {
    if (row.values[2].type() == base::ValueType::kText &&
        row.values[2].AsText() == "MSysDb") {
      const auto& prop = row.values[14];
      ASSERT_EQ(prop.type(), base::ValueType::kBinary);
      const std::vector<uint8_t>& b = prop.AsBinary();
      const std::string blob(b.begin(), b.end());
      EXPECT_EQ(blob.substr(0, 3), "MR2");
      const std::u16string v = u"08.50";
      const std::string v8(reinterpret_cast<const char*>(v.data()),
                           v.size() * 2);
      EXPECT_NE(blob.find(v8), std::string::npos);
      found = true;
    }
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace jet
