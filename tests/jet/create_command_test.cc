#include "jet/tool/create_command.h"

#include <gtest/gtest.h>

#include "base/runtime_error.h"
#include "jet/format.h"
#include "jet/tool/command.h"
#include "tests/support/test_support.h"

namespace jet::tool {
namespace {

TEST(CreateCommandTest, CsvFollowsRfc4180) {
  const auto recs =
      ParseCsv("a:Long,b:Text(5)\r\n1,\"x,\"\"y\"\"\nz\"\n2,\n3,\"\"\n");
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(recs[1][1].text, "x,\"y\"\nz");
  EXPECT_TRUE(recs[1][1].quoted);
  ASSERT_EQ(recs[2].size(), 2u);
  EXPECT_FALSE(recs[2][1].quoted);
  EXPECT_TRUE(recs[3][1].quoted);
  EXPECT_EQ(recs[3][1].text, "");
  EXPECT_THROW(ParseCsv("a,\"open\n"), base::RuntimeError);
  EXPECT_EQ(ParseCsv("x").size(), 1u);  // no final line break
}

TEST(CreateCommandTest, HeaderAndCellsUseDaoTypes) {
  const FieldDesc text = ParseColumnHeader("var_name:Text(100)");
  EXPECT_EQ(text.name, "var_name");
  EXPECT_EQ(text.type, format::kTypeText);
  EXPECT_EQ(text.size, 100);
  EXPECT_EQ(ParseColumnHeader("x:LongBinary").type, format::kTypeOle);
  EXPECT_THROW(ParseColumnHeader("x:Varchar"), UsageError);
  EXPECT_THROW(ParseColumnHeader("nocolon"), UsageError);

  auto cell = [](const char* type, const char* text, bool quoted = false) {
    return ParseCell(ParseColumnHeader(std::string("c:") + type),
                     {text, quoted});
  };
  EXPECT_TRUE(cell("Text(5)", "").IsNull());
  EXPECT_EQ(cell("Text(5)", "", true), base::Value::Text(""));
  EXPECT_EQ(cell("Boolean", "true"), base::Value::Boolean(true));
  EXPECT_THROW(cell("Boolean", "yes"), base::RuntimeError);
  EXPECT_EQ(cell("Date", "1899-12-30T12:00:00"), base::Value::FromDate({0.5}));
  EXPECT_EQ(cell("Date", "1899-12-29T06:00:00"),
            base::Value::FromDate({-1.25}));
  EXPECT_EQ(cell("Date", "2021-12-02T00:00:00"),
            base::Value::FromDate({44532}));
  EXPECT_EQ(cell("Currency", "-3.5"), base::Value::FromCurrency({-35000}));
  EXPECT_THROW(cell("Currency", "1.00001"), base::RuntimeError);
  EXPECT_EQ(cell("Currency", "-922337203685477.5808"),
            base::Value::FromCurrency({INT64_MIN}));
  EXPECT_EQ(cell("Currency", "922337203685477.5807"),
            base::Value::FromCurrency({INT64_MAX}));
  for (const char* out_of_range :
       {"-922337203685477.5809", "922337203685477.5808"}) {
    EXPECT_EQ(test_support::ErrorOf([&] { cell("Currency", out_of_range); }),
              6);
  }
  EXPECT_EQ(cell("Binary", "00ff"), base::Value::Binary({0x00, 0xFF}));
  EXPECT_THROW(cell("Byte", "256"), base::RuntimeError);
  const base::Value g = cell("GUID", "{00112233-4455-6677-8899-aabbccddeeff}");
  EXPECT_EQ(g.AsGuid().bytes[0], 0x33);
  EXPECT_EQ(g.AsGuid().bytes[4], 0x55);
  EXPECT_EQ(g.AsGuid().bytes[8], 0x88);
}

}  // namespace
}  // namespace jet::tool
