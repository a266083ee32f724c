// Every sample database read back with the values its README lists.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

#include "base/value.h"
#include "jet/database.h"
#include "jet/format.h"
#include "jet/table_scan.h"
#include "jet/tool/create_command.h"
#include "tests/jet/test_util.h"

namespace jet {
namespace {

using base::Value;
using testing::Fixture;

std::string Iso(const Value& v) { return base::DateToIso(v.AsDate()); }

std::vector<std::string> Texts(const std::vector<Row>& rows, size_t col) {
  std::vector<std::string> out;
  for (const Row& r : rows) {
    out.push_back(r.values[col].IsNull() ? "<null>" : r.values[col].AsText());
  }
  return out;
}

TEST(FixtureTest, EveryFileHasAJet4HeaderWithGeneralSortOrder) {
  for (const char* f :
       {"access/types-all-testV2000.mdb", "access/unicode-comp-testUnicodeCompV2003.mdb",
        "access/empty-access2003-reference.mdb", "plant/template.mdb"}) {
    auto db = Database::Open(Fixture(f));
    EXPECT_EQ(db->header().version, format::kVersionJet4) << f;
    EXPECT_EQ(db->header().code_page, 1252) << f;
    EXPECT_EQ(db->header().sort_lcid, format::kSortGeneralLcid) << f;
    EXPECT_EQ(db->header().db_key, 0u) << f;
    EXPECT_GT(db->header().creation_date, 36000) << f;  // after 1998
  }
}

TEST(FixtureTest, EmptyReferencesHoldOnlySystemTables) {
  for (const char* f : {"access/empty-access2000-reference.mdb",
                        "access/empty-access2003-reference.mdb"}) {
    auto db = Database::Open(Fixture(f));
    EXPECT_TRUE(db->TableNames(false).empty()) << f;
    std::vector<std::string> all = db->TableNames(true);
    // The Access-2003 reference holds MSysNavPane* and MSysAccessStorage
    // instead of MSysAccessObjects; these four are in both.
    for (const char* sys :
         {"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"}) {
      EXPECT_NE(std::find(all.begin(), all.end(), sys), all.end()) << sys;
    }
    // The catalog reads itself: one row per catalog entry.
    EXPECT_EQ(db->ReadRows("msysobjects").size(),
              db->catalog().entries().size());
    EXPECT_EQ(db->GetTableDef("MSysObjects").row_count,
              db->catalog().entries().size());
  }
}

TEST(FixtureTest, AllTypesTable) {
  auto db = Database::Open(Fixture("access/types-all-testV2000.mdb"));
  EXPECT_EQ(db->TableNames(false),
            (std::vector<std::string>{"Table1", "Table2", "Table3", "Table4"}));
  std::vector<Row> rows = db->ReadRows("Table1");
  ASSERT_EQ(rows.size(), 2u);
  const auto& a = rows[0].values;
  EXPECT_EQ(a[0], Value::Text("abcdefg"));
  EXPECT_EQ(a[1], Value::Text("hijklmnop"));
  EXPECT_EQ(a[2], Value::Byte(2));
  EXPECT_EQ(a[3], Value::Integer(222));
  EXPECT_EQ(a[4], Value::Long(333333333));
  EXPECT_EQ(a[5], Value::Double(444.555));
  EXPECT_EQ(Iso(a[6]), "1974-09-21T00:00:00");
  EXPECT_EQ(a[7], Value::FromCurrency({35000}));
  EXPECT_EQ(a[8], Value::Boolean(true));
  const auto& b = rows[1].values;
  EXPECT_EQ(b[0], Value::Text("a"));
  EXPECT_EQ(b[2], Value::Byte(0));
  EXPECT_EQ(b[5], Value::Double(0));
  EXPECT_EQ(Iso(b[6]), "1981-12-12T00:00:00");
  EXPECT_EQ(b[7], Value::FromCurrency({0}));
  EXPECT_EQ(b[8], Value::Boolean(false));

  const TableDef& t2 = db->GetTableDef("Table2");
  EXPECT_EQ(t2.columns.size(), 89u);
  EXPECT_EQ(t2.logical_indexes.size(), 5u);
  EXPECT_EQ(t2.continuation_pages.size(), 1u);  // 4416 bytes over two pages
  EXPECT_TRUE(db->ReadRows("Table2").empty());
  const TableDef& t4 = db->GetTableDef("table4");
  ASSERT_EQ(t4.columns.size(), 2u);
  EXPECT_EQ(t4.columns[1].type, format::kTypeGuid);
  EXPECT_TRUE(db->ReadRows("Table4").empty());
}

TEST(FixtureTest, ProjectTableWithMemosAndChainedOle) {
  auto db = Database::Open(Fixture("access/types-msproject-test2V2000.mdb"));
  const TableDef& def = db->GetTableDef("MSP_PROJECTS");
  ASSERT_EQ(def.columns.size(), 74u);
  EXPECT_EQ(def.continuation_pages.size(), 1u);  // 5365 bytes over two pages
  std::map<uint8_t, int> by_type;
  for (const ColumnDef& c : def.columns) ++by_type[c.type];
  EXPECT_EQ(by_type[format::kTypeBoolean], 22);
  EXPECT_EQ(by_type[format::kTypeText], 12);
  EXPECT_EQ(by_type[format::kTypeInteger], 12);
  EXPECT_EQ(by_type[format::kTypeDate], 10);
  EXPECT_EQ(by_type[format::kTypeMemo], 9);
  EXPECT_EQ(by_type[format::kTypeLong], 6);
  EXPECT_EQ(by_type[format::kTypeDouble], 2);
  EXPECT_EQ(by_type[format::kTypeOle], 1);
  int unique = 0;
  for (const RealIndexDef& ri : def.real_indexes) unique += ri.flags & 1;
  EXPECT_EQ(unique, 2);

  std::vector<Row> rows = db->ReadRows("MSP_PROJECTS");
  ASSERT_EQ(rows.size(), 1u);
  int nulls = 0;
  size_t ole_size = 0;
  for (size_t i = 0; i < def.columns.size(); ++i) {
    const Value& v = rows[0].values[i];
    if (v.IsNull()) ++nulls;
    if (def.columns[i].type == format::kTypeOle && !v.IsNull()) {
      ole_size = v.AsBinary().size();
    }
  }
  EXPECT_EQ(nulls, 14);
  EXPECT_EQ(ole_size, 22970u);
  EXPECT_EQ(rows[0].values[def.FindColumn("PROJ_NAME")],
            Value::Text("Project1"));
  EXPECT_TRUE(
      rows[0].values[def.FindColumn("PROJ_PROP_AUTHOR")].AsText().starts_with(
          "Jon Iles this is a a vawesrasoih"));
}

TEST(FixtureTest, NumericColumnsAndInlineMemo) {
  auto db = Database::Open(Fixture("access/numeric-fixedNumericTestV2000.mdb"));
  std::vector<Row> rows = db->ReadRows("test");
  ASSERT_EQ(rows.size(), 1u);
  const auto& v = rows[0].values;
  EXPECT_EQ(v[0], Value::Text("some data"));
  const char* expected[] = {"1", "0", "0", "4", "-1", "1"};
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(v[1 + i].type(), base::ValueType::kDecimal);
    EXPECT_EQ(base::DecimalToString(v[1 + i].AsDecimal()), expected[i]);
    EXPECT_EQ(v[1 + i].AsDecimal().precision, 18);
    EXPECT_EQ(v[1 + i].AsDecimal().scale, 0);
  }
}

TEST(FixtureTest, DeletedRowsAndDeletedColumns) {
  auto del = Database::Open(Fixture("access/deleted-rows-delTestV2000.mdb"));
  std::vector<Row> rows = del->ReadRows("Table");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(Texts(rows, 0), (std::vector<std::string>{"z", "v"}));
  EXPECT_EQ(Texts(rows, 1), (std::vector<std::string>{"y", "u"}));

  auto cols =
      Database::Open(Fixture("access/deleted-columns-delColTestV2000.mdb"));
  const TableDef& def = cols->GetTableDef("Table1");
  std::vector<uint16_t> numbers;
  for (const ColumnDef& c : def.columns) numbers.push_back(c.number);
  EXPECT_EQ(numbers, (std::vector<uint16_t>{0, 2, 3, 5}));
  EXPECT_EQ(def.columns[1].fixed_offset, 8);
  rows = cols->ReadRows("Table1");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].values[0], Value::Long(0));
  EXPECT_EQ(rows[0].values[1], Value::Long(2));
  EXPECT_EQ(rows[0].values[2], Value::Text("foo"));
  EXPECT_EQ(rows[0].values[3], Value::Text("foo2"));
  EXPECT_EQ(rows[1].values[1], Value::Long(5));
  EXPECT_EQ(rows[1].values[3], Value::Text("bar2"));
}

TEST(FixtureTest, MultipleTablesWithIndexes) {
  auto db =
      Database::Open(Fixture("access/multi-table-indexes-indexTestV2000.mdb"));
  EXPECT_EQ(db->ReadRows("Table1").size(), 4u);
  EXPECT_EQ(db->ReadRows("Table2").size(), 3u);
  EXPECT_EQ(db->ReadRows("Table3").size(), 4u);
  const TableDef& t3 = db->GetTableDef("Table3");
  std::vector<std::string> names;
  for (const LogicalIndexDef& li : t3.logical_indexes) names.push_back(li.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".rC", "PrimaryKey", "id"}));
}

TEST(FixtureTest, OverflowRowsAppearOnceAtTheirRowId) {
  auto db = Database::Open(Fixture("access/overflow-rows-overflowTestV2003.mdb"));
  std::vector<Row> rows = db->ReadRows("Table1");
  ASSERT_EQ(rows.size(), 7u);
  // Every row holds "rowN…" texts only; in storage order N runs 1..7.
  for (size_t i = 0; i < rows.size(); ++i) {
    std::string prefix = "row" + std::to_string(i + 1) + "col";
    int texts = 0;
    for (const Value& v : rows[i].values) {
      if (v.IsNull()) continue;
      EXPECT_TRUE(v.AsText().starts_with(prefix)) << v.AsText();
      ++texts;
    }
    EXPECT_GT(texts, 0);
  }
  EXPECT_EQ(TableDataPages(db->file(), db->GetTableDef("Table1")).size(), 3u);
}

TEST(FixtureTest, FiveHundredTwelveRowsOverFourPages) {
  auto db =
      Database::Open(Fixture("access/index-512rows-compIndexTestV2003.mdb"));
  std::vector<Row> rows = db->ReadRows("Table1");
  ASSERT_EQ(rows.size(), 512u);
  EXPECT_EQ(db->GetTableDef("Table1").row_count, 512u);
  EXPECT_EQ(TableDataPages(db->file(), db->GetTableDef("Table1")).size(), 4u);
  EXPECT_EQ(rows[0].values[0], Value::Long(19));
  EXPECT_EQ(rows[0].values[1], Value::Text("abc"));
  EXPECT_EQ(rows[0].values[2], Value::Text("def"));
}

TEST(FixtureTest, CompressedUnicodeText) {
  auto db =
      Database::Open(Fixture("access/unicode-comp-testUnicodeCompV2003.mdb"));
  std::vector<Row> rows = db->ReadRows("Table");
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(rows[0].values[1], Value::Text("only ascii chars"));
  EXPECT_EQ(rows[1].values[1], Value::Text("ääkkösiä"));
  EXPECT_EQ(rows[2].values[1], Value::Text("Мир"));
  // Polytonic Greek with its own code points (U+1F76, U+1F79 …).
  EXPECT_EQ(
      rows[3].values[1],
      Value::Text("\u03f0\u03b1\u1f76 \u03c4\u1f79\u03c4' \u1f10\u03b3\u1f7c "
                  "\u039a\u1f7b\u03f0\u03bb\u03c9\u03c0\u03b1"));
  EXPECT_EQ(rows[4].values[1], Value::Text("漢字仮名交じり文"));
  EXPECT_EQ(rows[5].values[1], Value::Text("3L9\x1d"
                                           "52\x02_AB(¥\x05!!V"));
  EXPECT_EQ(rows[6].values[1], Value::Text("ümlaut"));
  std::string control = rows[7].values[1].AsText();
  ASSERT_GE(control.size(), 31u);
  for (int c = 1; c < 32; ++c) EXPECT_EQ(control[c - 1], static_cast<char>(c));
}

TEST(FixtureTest, TextPrimaryKeyFile) {
  auto db = Database::Open(Fixture("access/pk-text-V2003_no-password.mdb"));
  std::vector<Row> rows = db->ReadRows("Table1");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(Texts(rows, 1), (std::vector<std::string>{"One", "Two", "Three"}));
}

// Dates far outside 1900..2100 and a memo holding CR LF, in a file that
// `mdb create` makes (no licensed Access-made sample has them).
TEST(FixtureTest, DatesBefore1900AndMemoWithLineBreak) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("jet-dates-" + std::to_string(std::random_device()()));
  std::filesystem::create_directories(dir / "csv");
  std::ofstream(dir / "csv" / "DateTest.csv", std::ios::binary)
      << "d:Date,m:Memo\r\n2021-12-02T00:00:00,\"New line\r\nin field\"\r\n"
         "9999-01-01T00:00:00,x\r\n1898-01-01T00:00:00,x\r\n"
         "0632-01-01T06:00:00,x\r\n";
  std::string file = (dir / "dates.mdb").string(), csv = (dir / "csv").string();
  char* argv[] = {file.data(), csv.data()};
  ASSERT_EQ(tool::RunCreateCommand(2, argv), 0);
  std::vector<Row> rows = Database::Open(file)->ReadRows("DateTest");
  std::filesystem::remove_all(dir);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(Iso(rows[0].values[0]), "2021-12-02T00:00:00");
  EXPECT_EQ(rows[0].values[1], Value::Text("New line\r\nin field"));
  EXPECT_EQ(Iso(rows[1].values[0]), "9999-01-01T00:00:00");
  EXPECT_EQ(Iso(rows[2].values[0]), "1898-01-01T00:00:00");
  EXPECT_EQ(Iso(rows[3].values[0]), "0632-01-01T06:00:00");
}

// The three plant files: every cell of the tables the program reads.
struct PlantRow {
  int32_t id;
  const char* machine_type;
  const char* var_name;
  bool bit;
  double abs_max;
};

TEST(FixtureTest, PlantTemplate) {
  auto db = Database::Open(Fixture("plant/template.mdb"));
  EXPECT_EQ(db->TableNames(false),
            (std::vector<std::string>{"Source_DEFS", "Source_PRESET_DEFS",
                                      "PRESET_DEFS"}));
  std::vector<Row> defs = db->ReadRows("source_defs");
  ASSERT_EQ(defs.size(), 4u);
  EXPECT_EQ(Texts(defs, 1),
            (std::vector<std::string>{"VISIWIN32", "VISIWINSTUDIO", "VISIWIN32",
                                      "VISIWINSTUDIO"}));
  EXPECT_EQ(Texts(defs, 2),
            (std::vector<std::string>{"###Var_Name", "###Var_Name",
                                      "M.###machine.###Var_Name",
                                      "###Var_Name_###machine"}));
  std::vector<Row> src = db->ReadRows("Source_PRESET_DEFS");
  ASSERT_EQ(src.size(), 6u);
  std::vector<int32_t> ids;
  for (const Row& r : src) ids.push_back(r.values[0].AsLong());
  EXPECT_EQ(ids, (std::vector<int32_t>{5, 3, 9, 1, 7, 2}));
  EXPECT_EQ(Texts(src, 8)[3], "door of ###machine / ###mAcHiNe open");
  EXPECT_TRUE(src[2].values[10].IsNull());  // abs_min of ID 9
  EXPECT_EQ(src[5].values[11], Value::Double(1000000));
  EXPECT_EQ(src[4].values[12], Value::Double(1.25));
  EXPECT_TRUE(src[5].values[5].IsNull());  // category_id of ID 2
  EXPECT_EQ(src[3].values[6], Value::Boolean(true));
  std::vector<Row> old = db->ReadRows("PRESET_DEFS");
  ASSERT_EQ(old.size(), 2u);
  EXPECT_EQ(old[1].values[4], Value::Text("M.X9.OldTemp"));
  for (size_t c = 8; c < 17; ++c) EXPECT_TRUE(old[1].values[c].IsNull()) << c;
}

TEST(FixtureTest, PlantMachineCopies) {
  const PlantRow expected[] = {
      {105, "Press", "Speed", false, 111.25},
      {109, "Oven", "Pressure", true, 9.999},
      {102, "Oven", "Counter", false, 123456.789},
      {103, "Press", "M.M1.Temp_M1", false, 300.25},
      {101, "Oven", "Door_M1_M1", true, 2},
      {199, "Oven", "Speed", false, 2},
  };
  for (const char* f :
       {"plant/machinecopy.mdb", "plant/legacy-machinecopy.mdb"}) {
    auto db = Database::Open(Fixture(f));
    const TableDef& def = db->GetTableDef("PRESET_DEFS");
    ASSERT_EQ(def.columns.size(), 17u);
    EXPECT_EQ(def.columns[5].name,
              std::string(f).find("legacy") != std::string::npos
                  ? "categorie"
                  : "category_id");
    // Plain UTF-16 text in these files: the compression flag is off.
    EXPECT_FALSE(def.columns[1].IsCompressible());
    std::vector<Row> rows = db->ReadRows("PRESET_DEFS");
    ASSERT_EQ(rows.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
      const auto& v = rows[i].values;
      EXPECT_EQ(v[0], Value::Long(expected[i].id));
      EXPECT_EQ(v[1], Value::Text(expected[i].machine_type));
      EXPECT_EQ(v[4], Value::Text(expected[i].var_name));
      EXPECT_EQ(v[6], Value::Boolean(expected[i].bit));
      EXPECT_EQ(v[11], Value::Double(expected[i].abs_max));
    }
    EXPECT_TRUE(rows[1].values[14].IsNull());  // pass of ID 109
    EXPECT_TRUE(rows[4].values[9].IsNull());   // page_name of ID 101
    EXPECT_EQ(rows[1].values[10], Value::Double(0.001));
    EXPECT_EQ(rows[5].values[8], Value::Text("no template row has Oven/Speed"));
  }
}

}  // namespace
}  // namespace jet
