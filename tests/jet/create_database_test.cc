#include "jet/create_database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
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

// What of a table definition must match Access, one line per part.
std::string Layout(const TableDef& d) {
  std::ostringstream out;
  out << d.tdef_length << ' ' << int{d.table_type} << ' ' << d.max_cols << ' '
      << d.var_col_count << ' ' << d.owned_map.Packed() << ' '
      << d.free_map.Packed() << '\n';
  for (const ColumnDef& c : d.columns) {
    out << c.name << ' ' << int{c.type} << ' ' << c.number << ' '
        << int{c.flags} << ' ' << c.length << ' ' << c.collation << ' '
        << (c.IsFixed() ? c.fixed_offset : c.var_index) << '\n';
  }
  for (const RealIndexDef& i : d.real_indexes) {
    out << "index " << i.root_page << ' ' << i.usage_map.Packed() << ' '
        << int{i.flags} << ' ' << i.columns.size() << '\n';
  }
  for (const LogicalIndexDef& i : d.logical_indexes) {
    out << "logical " << i.name << ' ' << int{i.index_type} << '\n';
  }
  for (const ColumnMaps& m : d.column_maps) {
    out << "maps " << m.column_number << ' ' << m.owned.Packed() << '\n';
  }
  return out.str();
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
    EXPECT_EQ(Layout(LoadTableDef(ours, tdef)), Layout(LoadTableDef(ref, tdef)))
        << "TDEF " << tdef;
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
