// Table-type record sets: counts, navigation, fields.

#include "jet/recordset.h"

#include <gtest/gtest.h>

#include "base/runtime_error.h"
#include "jet/database.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

using test_support::ErrorOf;
constexpr auto& Fixture = test_support::Sample;

TEST(RecordsetTest, WalksEveryRowOnceAndStopsAtEof) {
  auto db =
      Database::Open(Fixture("access/index-512rows-compIndexTestV2003.mdb"));
  auto rs = db->OpenRecordset("TABLE1");
  EXPECT_EQ(rs->table_name(), "Table1");
  EXPECT_EQ(rs->RecordCount(), 512);
  int seen = 0;
  for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) ++seen;
  EXPECT_EQ(seen, 512);
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), 3021);
  EXPECT_EQ(ErrorOf([&] { (void)rs->Fields(0).Value(); }), 3021);
  rs->MoveFirst();  // back to the start after EOF
  EXPECT_EQ(rs->Fields("cd_agente").Value(), base::Value::Long(19));
}

TEST(RecordsetTest, EmptyTable) {
  auto db = Database::Open(Fixture("access/types-all-testV2000.mdb"));
  auto rs = db->OpenRecordset("Table3");
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(ErrorOf([&] { rs->MoveFirst(); }), 3021);
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), 3021);
  EXPECT_EQ(rs->FieldCount(), 2u);  // fields exist without records
  EXPECT_EQ(rs->Fields(1).Name(), "b");
}

TEST(RecordsetTest, FieldsByPositionAndName) {
  auto db = Database::Open(Fixture("access/types-all-testV2000.mdb"));
  auto rs = db->OpenRecordset("Table1");
  ASSERT_EQ(rs->FieldCount(), 9u);
  struct Expect {
    const char* name;
    DaoType type;
    int32_t size;
  } expected[] = {{"A", DaoType::kText, 50},  {"B", DaoType::kText, 100},
                  {"C", DaoType::kByte, 1},   {"D", DaoType::kInteger, 2},
                  {"E", DaoType::kLong, 4},   {"F", DaoType::kDouble, 8},
                  {"G", DaoType::kDate, 8},   {"H", DaoType::kCurrency, 8},
                  {"I", DaoType::kBoolean, 1}};
  for (size_t i = 0; i < 9; ++i) {
    EXPECT_EQ(rs->Fields(i).Name(), expected[i].name);
    EXPECT_EQ(rs->Fields(i).Type(), expected[i].type);
    EXPECT_EQ(rs->Fields(i).Size(), expected[i].size);
  }
  EXPECT_EQ(&rs->Fields("a"), &rs->Fields(0));
  EXPECT_EQ(rs->Fields("e").Value(), base::Value::Long(333333333));
  rs->MoveNext();
  EXPECT_EQ(rs->Fields("E").Value(), base::Value::Long(0));
  EXPECT_EQ(ErrorOf([&] { rs->Fields("nope"); }), 3265);
  EXPECT_EQ(ErrorOf([&] { rs->Fields(9); }), 3265);
}

TEST(RecordsetTest, TableNamesIgnoreCaseIncludingNonAscii) {
  auto db = Database::Open(Fixture("plant/template.mdb"));
  EXPECT_TRUE(db->HasTable("source_preset_defs"));
  EXPECT_EQ(db->TableName("SOURCE_DEFS"), "Source_DEFS");
  EXPECT_EQ(ErrorOf([&] { db->GetTableDef("Nope"); }), 3265);
  EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("Nope"); }), 3078);
  EXPECT_FALSE(db->HasTable("MSysObjects "));
}

}  // namespace
}  // namespace jet
