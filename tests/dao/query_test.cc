#include <string>

#include "dao/query_cache.h"
#include "jet/query_parser.h"
#include "tests/dao/dao_fixture.h"

namespace dao_test {
namespace {

using base::Value;

// The takeover's lookup, built as the program builds it.
std::string TakeoverQuery(const std::string& machine_type,
                          const std::string& var_name,
                          const std::string& offset) {
  return "SELECT PRESET_DEFS.ID, PRESET_DEFS.machine_type, PRESET_DEFS.type,"
         " PRESET_DEFS.var_name, PRESET_DEFS.category_id, "
         "PRESET_DEFS.isBitArray, PRESET_DEFS.offset_or_bitno, "
         "PRESET_DEFS.text, PRESET_DEFS.page_name, PRESET_DEFS.abs_min, "
         "PRESET_DEFS.abs_max, PRESET_DEFS.min, PRESET_DEFS.max, "
         "PRESET_DEFS.pass, PRESET_DEFS.part From PRESET_DEFS  WHERE "
         "(((PRESET_DEFS.machine_type)=\"" +
         machine_type + "\") AND ((PRESET_DEFS.var_name)=\"" + var_name +
         "\")  AND ((PRESET_DEFS.offset_or_bitno)=" + offset + "));";
}

std::string VarNameQuery(const std::string& var_name) {
  return "SELECT PRESET_DEFS.* From PRESET_DEFS WHERE "
         "(((PRESET_DEFS.Var_Name)=\"" +
         var_name + "\"))";
}

std::vector<Value> Longs(std::initializer_list<int32_t> values) {
  std::vector<Value> out;
  for (int32_t v : values) out.push_back(Value::Long(v));
  return out;
}

class DaoQueryTest : public DaoTest {
 protected:
  void SetUp() override { db_ = Open(Copy("machinecopy.mdb")); }
  std::vector<Value> Ids(const std::string& sql) {
    auto rs = db_->OpenRecordset(sql);
    return Column(*rs, "ID");
  }
  int OpenError(const std::string& sql) {
    return ErrorOf([&] { db_->OpenRecordset(sql); });
  }
  std::shared_ptr<dao::Database> db_;
};

TEST_F(DaoQueryTest, TakeoverLookupIgnoresLetterCase) {
  auto rs = db_->OpenRecordset(TakeoverQuery("Press", "M.M1.Temp_M1", "1"));
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->GetFields().Count(), 15);
  EXPECT_EQ(rs->GetFields().Item(0)->GetValue(), Value::Long(103));
  EXPECT_EQ(rs->GetFields().Item(14)->Name(), "part");
  EXPECT_EQ(rs->GetFields().Item("abs_max")->GetValue(), Value::Double(300.25));
  EXPECT_EQ(ErrorOf([&] { rs->GetFields().Item("shift_no"); }), 3265);

  EXPECT_EQ(Ids(TakeoverQuery("PRESS", "m.m1.temp_m1", "1.0")), Longs({103}));
  EXPECT_EQ(Ids(TakeoverQuery("Press", "M.M1.Temp_M1", "2")), Longs({}));
  EXPECT_EQ(Ids(TakeoverQuery("Oven", "Speed", "0")), Longs({199}));
}

TEST_F(DaoQueryTest, VarNameLookupFindsEveryMatchInStoredOrder) {
  EXPECT_EQ(Ids(VarNameQuery("speed")), Longs({105, 199}));
  EXPECT_EQ(Ids(VarNameQuery("SPEED ")), Longs({}));
  auto rs = db_->OpenRecordset(VarNameQuery("nothing"));
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_TRUE(rs->IsEOF());
  EXPECT_EQ(ErrorOf([&] { rs->MoveFirst(); }), 3021);
  EXPECT_EQ(rs->GetFields().Count(), 17);
}

TEST_F(DaoQueryTest, OrderBySortsStablyWithNullFirst) {
  EXPECT_EQ(Ids("SELECT PRESET_DEFS.* FROM PRESET_DEFS ORDER BY "
                "PRESET_DEFS.pass;"),
            Longs({109, 101, 102, 105, 199, 103}));
  // Equal keys keep the stored order.
  EXPECT_EQ(Ids("SELECT * FROM PRESET_DEFS ORDER BY machine_type"),
            Longs({109, 102, 101, 199, 105, 103}));
  EXPECT_EQ(Ids("SELECT ID FROM PRESET_DEFS ORDER BY ID DESC"),
            Longs({199, 109, 105, 103, 102, 101}));

  auto db = Open(Copy("template.mdb"));
  auto rs = db->OpenRecordset(
      "SELECT Source_PRESET_DEFS.* From Source_PRESET_DEFS ORDER BY "
      "Source_PRESET_DEFS.ID");
  EXPECT_EQ(rs->RecordCount(), 6);
  EXPECT_EQ(Column(*rs, "ID"), Longs({1, 2, 3, 5, 7, 9}));
}

TEST_F(DaoQueryTest, NullNeverMatches) {
  EXPECT_EQ(Ids("SELECT * FROM PRESET_DEFS WHERE page_name = \"\""), Longs({}));
  EXPECT_EQ(Ids("SELECT * FROM PRESET_DEFS WHERE (shift_no = 2) AND "
                "(isBitArray = -1)"),
            Longs({109}));
  EXPECT_EQ(Ids("SELECT * FROM PRESET_DEFS WHERE abs_min = 0.001"),
            Longs({109}));
}

TEST_F(DaoQueryTest, MalformedAndUnboundQueriesFailTheOpen) {
  // A double quote inside a value, or an empty number, breaks the text.
  EXPECT_EQ(OpenError(TakeoverQuery("Press", "a\"b", "1")), 3075);
  EXPECT_EQ(OpenError(TakeoverQuery("Press", "Speed", "")), 3075);
  EXPECT_EQ(OpenError(VarNameQuery("x\"")), 3075);
  EXPECT_EQ(OpenError("SELECT * FROM PRESET_DEFS WHERE colour = \"red\""),
            3061);
  EXPECT_EQ(OpenError("SELECT colour FROM PRESET_DEFS"), 3061);
  EXPECT_EQ(OpenError("SELECT * FROM PRESET_DEFS ORDER BY colour"), 3061);
  base::RuntimeError e =
      CaughtError([&] { db_->OpenRecordset("SELECT * FROM Presets"); });
  EXPECT_EQ(e.number(), 3078);
  EXPECT_EQ(e.source(), "DAO.Database");
  EXPECT_NE(e.description().find("'Presets'"), std::string::npos);
  EXPECT_EQ(OpenError("SELECT * FROM PRESET_DEFS WHERE var_name = 5"), 3464);
  EXPECT_EQ(OpenError("SELECT * FROM PRESET_DEFS WHERE pass = \"5\""), 3464);
}

// Texts of one shape share a parse; each must still come out as the parser
// reads it, literals, signs and errors included.
TEST(QueryCacheTest, AgreesWithTheParser) {
  const std::vector<std::string> texts = {
      TakeoverQuery("M1", "a", "1"),
      TakeoverQuery("M2", "b\"\"c", "2.5e3"),
      TakeoverQuery("M1", "x", ""),
      TakeoverQuery("M1", "x", "1.2.3"),
      TakeoverQuery("M1", "a\"b", "1"),
      "SELECT * FROM T WHERE a = -3 AND (b = 'it''s')",
      "SELECT * FROM T WHERE a = - 4 AND (b = '')",
      "SELECT * FROM T WHERE a = -'x' AND (b = 'y')",
      "SELECT [a b] FROM T WHERE 5 = c ORDER BY [a b] DESC;",
      "SELECT [a b] FROM T WHERE .5 = c ORDER BY [a b] DESC;",
      "SELECT * FROM T WHERE a = 1 = 2",
      // A text is scanned on from where it starts to differ from the last
      // one: a number's reading looks past its end.
      "SELECT * FROM T WHERE a = 12e+5 AND b = 'x'",
      "SELECT * FROM T WHERE a = 12e+x AND b = 'x'",
      "SELECT * FROM T WHERE a = 12 AND b = 'x'",
      "SELECT * FROM T WHERE a = 12e5 AND b = 'x'",
  };
  dao_jet::QueryCache cache;
  for (int pass = 0; pass < 2; ++pass) {
    for (const std::string& sql : texts) {
      int expected_error = 0, error = 0;
      jet::SelectQuery expected, got;
      expected_error = ErrorOf([&] { expected = jet::ParseSelect(sql); });
      error = ErrorOf([&] { got = cache.Parse(sql); });
      ASSERT_EQ(error, expected_error) << sql;
      EXPECT_EQ(got.table, expected.table) << sql;
      EXPECT_EQ(got.columns, expected.columns) << sql;
      ASSERT_EQ(got.conditions.size(), expected.conditions.size()) << sql;
      for (size_t k = 0; k < got.conditions.size(); ++k) {
        EXPECT_EQ(got.conditions[k].column, expected.conditions[k].column);
        EXPECT_EQ(got.conditions[k].literal, expected.conditions[k].literal);
        EXPECT_EQ(got.conditions[k].literal.type(),
                  expected.conditions[k].literal.type());
      }
      ASSERT_EQ(got.order_by.size(), expected.order_by.size()) << sql;
    }
  }
}

}  // namespace
}  // namespace dao_test
