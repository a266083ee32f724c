#include "jet/query_parser.h"

#include <gtest/gtest.h>

#include "base/runtime_error.h"

namespace jet {
namespace {

int ErrorOf(std::string_view sql) {
  try {
    ParseSelect(sql);
  } catch (const base::RuntimeError& e) {
    return e.number();
  }
  return 0;
}

TEST(QueryParserTest, TemplateScanInIdOrder) {
  SelectQuery q = ParseSelect(
      "SELECT Source_PRESET_DEFS.* From Source_PRESET_DEFS ORDER BY "
      "Source_PRESET_DEFS.ID");
  EXPECT_EQ(q.table, "Source_PRESET_DEFS");
  EXPECT_TRUE(q.all_columns);
  EXPECT_TRUE(q.conditions.empty());
  ASSERT_EQ(q.order_by.size(), 1u);
  EXPECT_EQ(q.order_by[0].column, "ID");
  EXPECT_FALSE(q.order_by[0].descending);
}

TEST(QueryParserTest, TakeoverLookupWithColumnListAndThreeEqualities) {
  SelectQuery q = ParseSelect(
      "SELECT PRESET_DEFS.ID, PRESET_DEFS.machine_type, PRESET_DEFS.pass, "
      "PRESET_DEFS.part From PRESET_DEFS  WHERE "
      "(((PRESET_DEFS.machine_type)=\"Press\") AND "
      "((PRESET_DEFS.var_name)=\"M.M1.Temp_M1\")   AND "
      "((PRESET_DEFS.offset_or_bitno)=-1.5));");
  EXPECT_FALSE(q.all_columns);
  EXPECT_EQ(q.columns,
            (std::vector<std::string>{"ID", "machine_type", "pass", "part"}));
  ASSERT_EQ(q.conditions.size(), 3u);
  EXPECT_EQ(q.conditions[0].column, "machine_type");
  EXPECT_EQ(q.conditions[0].literal, base::Value::Text("Press"));
  EXPECT_EQ(q.conditions[1].literal, base::Value::Text("M.M1.Temp_M1"));
  EXPECT_EQ(q.conditions[2].column, "offset_or_bitno");
  EXPECT_EQ(q.conditions[2].literal, base::Value::Double(-1.5));
}

TEST(QueryParserTest, OtherSpellingsOfTheSameForm) {
  SelectQuery q = ParseSelect(
      "select * from [PRESET DEFS] where [var name]='a''b' and 3 = ID "
      "order by ID desc, [var name]");
  EXPECT_EQ(q.table, "PRESET DEFS");
  EXPECT_TRUE(q.all_columns);
  ASSERT_EQ(q.conditions.size(), 2u);
  EXPECT_EQ(q.conditions[0].literal, base::Value::Text("a'b"));
  EXPECT_EQ(q.conditions[1].column, "ID");  // literal on the left
  ASSERT_EQ(q.order_by.size(), 2u);
  EXPECT_TRUE(q.order_by[0].descending);
  EXPECT_EQ(q.order_by[1].column, "var name");
}

TEST(QueryParserTest, MalformedTextsFailWithSyntaxError) {
  const std::string base_query =
      "SELECT PRESET_DEFS.* From PRESET_DEFS WHERE (((PRESET_DEFS.Var_Name)=";
  // An unescaped quote inside the inserted value.
  EXPECT_EQ(ErrorOf(base_query + "\"a\"b\"))"), base::err::kSyntaxInQuery);
  // A Null number inserted as nothing.
  EXPECT_EQ(ErrorOf("SELECT * From T WHERE (((T.n)=));"),
            base::err::kSyntaxInQuery);
  EXPECT_EQ(ErrorOf(base_query + "\"open"), base::err::kSyntaxInQuery);
  EXPECT_EQ(ErrorOf("SELECT * From T WHERE a = 1 OR b = 2"),
            base::err::kSyntaxInQuery);
  EXPECT_EQ(ErrorOf("SELECT * From T WHERE a"), base::err::kSyntaxInQuery);
  EXPECT_EQ(ErrorOf("SELECT * From T WHERE 1 = 1"), base::err::kSyntaxInQuery);
  EXPECT_EQ(ErrorOf("SELECT * From T extra"), base::err::kSyntaxInQuery);
  EXPECT_EQ(ErrorOf("DELETE From T"), base::err::kSyntaxInQuery);
  EXPECT_EQ(ErrorOf(""), base::err::kSyntaxInQuery);
  EXPECT_EQ(ErrorOf(std::string(100000, '(')), base::err::kSyntaxInQuery);
}

TEST(QueryParserTest, NameOfAnotherTableIsAnUnknownParameter) {
  EXPECT_EQ(ErrorOf("SELECT * From T WHERE ((U.a)=1)"),
            base::err::kTooFewParameters);
  EXPECT_EQ(ErrorOf("SELECT U.* From T"), base::err::kTooFewParameters);
  EXPECT_EQ(ErrorOf("SELECT t.* From T ORDER BY t.ID"), 0);  // case ignored
}

}  // namespace
}  // namespace jet
