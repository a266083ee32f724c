// Column properties Jet enforces: Required (3314) and AllowZeroLength
// (3315), read from the table's property blob.
#include "jet/column_rules.h"

#include <gtest/gtest.h>

#include "jet/database_write.h"
#include "jet/format.h"
#include "jet/page_allocator.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

namespace f = format;
using base::Value;
using test_support::CaughtError;

void AppendName(std::vector<uint8_t>& b, const std::string& ascii) {
  AppendU16(b, static_cast<uint16_t>(2 * ascii.size()));
  for (char c : ascii) AppendU16(b, static_cast<uint8_t>(c));
}

// A blob as Access writes it: names Required (0) and AllowZeroLength (1);
// column blocks give each named column a Boolean value for each.
std::vector<uint8_t> Blob(
    const std::vector<std::tuple<std::string, bool, bool>>& columns) {
  std::vector<uint8_t> names;
  AppendName(names, "Required");
  AppendName(names, "AllowZeroLength");
  std::vector<uint8_t> out = {'M', 'R', '2', 0};
  AppendU32(out, static_cast<uint32_t>(6 + names.size()));
  AppendU16(out, 0x80);
  out.insert(out.end(), names.begin(), names.end());
  for (const auto& [column, required, allow_empty] : columns) {
    std::vector<uint8_t> block;
    AppendU32(block, static_cast<uint32_t>(6 + 2 * column.size()));
    AppendName(block, column);
    for (uint8_t index : {0, 1}) {  // length 9, DDL flag, type, name, size
      const bool value = index == 0 ? required : allow_empty;
      block.insert(block.end(), {9, 0, 0, f::kTypeBoolean, index, 0, 1, 0,
                                 static_cast<uint8_t>(value)});
    }
    AppendU32(out, static_cast<uint32_t>(6 + block.size()));
    AppendU16(out, 0x01);
    out.insert(out.end(), block.begin(), block.end());
  }
  return out;
}

TEST(ColumnRulesTest, RequiredAndZeroLengthRulesFromTheBlob) {
  auto w = DatabaseWriter::CreateNew();
  w->CreateTable("T", {{"Name", f::kTypeText, 20},
                       {"Qty", f::kTypeLong, 0},
                       {"Flag", f::kTypeBoolean, 0}});
  const TableDef& def = w->Def("T");
  const ColumnRules rules = ColumnRules::FromBlob(
      Blob({{"Name", false, false},
            {"qty", true, true},      // names compare without case
            {"Flag", true, true},     // Booleans are never Null
            {"Gone", true, false}}),  // a column dropped since
      def, "T");
  auto check = [&](std::vector<Value> values) {
    return CaughtError([&] { rules.Check(def, values); });
  };
  EXPECT_EQ(check({Value::Text("a"), Value::Long(1)}).number(), 0);
  EXPECT_EQ(check({Value::Null(), Value::Long(1)}).number(), 0);
  const base::RuntimeError no_qty = check({Value::Text("a")});
  EXPECT_EQ(no_qty.number(), 3314);
  EXPECT_EQ(no_qty.description(),
            "The field 'T.Qty' cannot contain a Null value because the "
            "Required property for this field is set to True.  Enter a value "
            "in this field.");
  const base::RuntimeError empty = check({Value::Text(""), Value::Long(1)});
  EXPECT_EQ(empty.number(), 3315);
  EXPECT_EQ(empty.description(),
            "Field 'T.Name' cannot be a zero-length string.");

  std::vector<uint8_t> cut = Blob({{"Name", false, false}});
  cut.resize(cut.size() - 1);
  EXPECT_EQ(CaughtError([&] { ColumnRules::FromBlob(cut, def, "T"); }).number(),
            3049);
}

// Access set AllowZeroLength to False on Table1's text columns A and B.
TEST(ColumnRulesTest, InsertAndUpdateKeepAccessRules) {
  auto w = DatabaseWriter::FromBytes(test_support::ReadBytes(
      test_support::Sample("access/types-all-testV2000.mdb")));
  const auto before = w->Rows("Table1");
  EXPECT_EQ(test_support::ErrorOf([&] {
              w->Insert("Table1", {Value::Text(""), Value::Text("b")});
            }),
            3315);
  std::vector<Value> values = before.at(0).second;
  values[1] = Value::Text("");
  EXPECT_EQ(test_support::ErrorOf(
                [&] { w->Update("Table1", before[0].first, values); }),
            3315);
  EXPECT_EQ(w->Rows("Table1"), before);
  w->Insert("Table1", {Value::Text("c"), Value::Null()});  // not Required
  EXPECT_EQ(w->Rows("Table1").size(), before.size() + 1);
}

}  // namespace
}  // namespace jet
