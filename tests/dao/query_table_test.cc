#include "jet/query_table.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "jet/format.h"
#include "jet/query_key.h"

namespace jet {
namespace {

using base::Value;

std::shared_ptr<TableDef> TwoColumns() {
  auto def = std::make_shared<TableDef>();
  ColumnDef name;
  name.name = "name";
  name.type = format::kTypeText;
  name.length = 100;
  ColumnDef number;
  number.name = "number";
  number.type = format::kTypeLong;
  number.number = 1;
  def->columns = {name, number};
  return def;
}

RowId Id(uint32_t page, uint8_t row) { return RowId{page, row}; }

std::vector<uint32_t> Packed(const std::vector<RowId>& ids) {
  std::vector<uint32_t> out;
  for (const RowId& id : ids) out.push_back(id.Packed());
  return out;
}

std::vector<uint32_t> Packed(std::span<const uint32_t> ids) {
  return {ids.begin(), ids.end()};
}

TEST(QueryKeyTest, EqualityFollowsJet) {
  EXPECT_EQ(EqualityKey(Value::Text("Ärger")),
            EqualityKey(Value::Text("äRGER")));
  EXPECT_EQ(EqualityKey(Value::Long(3)), EqualityKey(Value::Double(3.0)));
  EXPECT_EQ(EqualityKey(Value::Integer(0)), EqualityKey(Value::Double(-0.0)));
  EXPECT_EQ(EqualityKey(Value::Boolean(true)), EqualityKey(Value::Double(-1)));
  EXPECT_NE(EqualityKey(Value::Text("3")), EqualityKey(Value::Long(3)));
  EXPECT_FALSE(EqualityKey(Value::Null()).has_value());
  EXPECT_LT(CompareForOrder(Value::Null(), Value::Long(-5)), 0);
  EXPECT_LT(CompareForOrder(Value::Text("apple"), Value::Text("Banana")), 0);
  EXPECT_EQ(CompareForOrder(Value::Text("a"), Value::Text("A")), 0);
}

TEST(TableRowsTest, IndexesFollowEveryChange) {
  TableRows rows(TwoColumns(), {{Id(3, 0), {Value::Text("b"), Value::Long(1)}},
                                {Id(3, 1), {Value::Text("a"), Value::Long(2)}},
                                {Id(4, 0), {Value::Text("B"), Value::Null()}}});
  uint64_t b = TableRows::KeyHash(*EqualityKey(Value::Text("b")));
  uint64_t a = TableRows::KeyHash(*EqualityKey(Value::Text("a")));
  EXPECT_EQ(Packed(rows.Lookup(0, b)), Packed({Id(3, 0), Id(4, 0)}));

  // A row placed before the others still comes out in storage order.
  rows.Insert(Id(2, 5), {Value::Text("b"), Value::Long(7)});
  EXPECT_EQ(Packed(rows.Lookup(0, b)), Packed({Id(2, 5), Id(3, 0), Id(4, 0)}));
  rows.Update(Id(3, 0), Id(3, 0), {Value::Text("A"), Value::Long(1)});
  EXPECT_EQ(Packed(rows.Lookup(0, b)), Packed({Id(2, 5), Id(4, 0)}));
  EXPECT_EQ(Packed(rows.Lookup(0, a)), Packed({Id(3, 0), Id(3, 1)}));
  rows.Update(Id(3, 1), Id(9, 0), {Value::Text("a"), Value::Long(2)});
  EXPECT_EQ(Packed(rows.Lookup(0, a)), Packed({Id(3, 0), Id(9, 0)}));
  rows.Erase(Id(3, 0));
  EXPECT_EQ(Packed(rows.Lookup(0, a)), Packed({Id(9, 0)}));
  EXPECT_FALSE(rows.Contains(Id(3, 0)));
  EXPECT_TRUE(rows.HasKey(Id(9, 0), 0, *EqualityKey(Value::Text("A"))));
  EXPECT_EQ(Packed(*rows.Ids()), Packed({Id(2, 5), Id(4, 0), Id(9, 0)}));
}

// Rows that grow move within the store and their old room is reclaimed;
// every value reads back as last written, the cells of the row last read
// included.
TEST(TableRowsTest, RowsReadBackAfterGrowingAndShrinking) {
  std::vector<Row> start;
  for (uint8_t r = 0; r < 200; ++r) {
    start.push_back({Id(10 + r / 100, r % 100), {Value::Text("x"), Value()}});
  }
  TableRows rows(TwoColumns(), std::move(start));
  const RowId probe = Id(10, 7);
  EXPECT_EQ(rows.Cell(probe, 0), Value::Text("x"));
  EXPECT_EQ(rows.Cell(probe, 1), Value());
  for (int round = 1; round <= 40; ++round) {
    for (const RowId& id : *rows.Ids()) {
      rows.Update(id, id,
                  {Value::Text(std::string(round * 20 % 700, 'a' + round % 26)),
                   Value::Long(round)});
    }
    ASSERT_EQ(rows.Cell(probe, 1), Value::Long(round));
  }
  EXPECT_EQ(rows.size(), 200u);
  for (const RowId& id : *rows.Ids()) {
    ASSERT_EQ(rows.Values(id),
              (std::vector<Value>{Value::Text(std::string(100, 'o')),
                                  Value::Long(40)}));
  }
  EXPECT_EQ(Packed(rows.Lookup(
                       1, TableRows::KeyHash(*EqualityKey(Value::Double(40)))))
                .size(),
            200u);
}

}  // namespace
}  // namespace jet

namespace jet {
namespace {

TEST(QueryKeyTest, NamesCompareLikeTheEngine) {
  EXPECT_TRUE(SameName("Var_Name", "VAR_NAME"));
  EXPECT_FALSE(SameName("Var_Name", "Var_Nam"));
  EXPECT_FALSE(SameName("a[", "A{"));
  EXPECT_TRUE(SameName("Zähler", "ZÄHLER"));
  // A non-ASCII letter may upper-case into ASCII.
  EXPECT_EQ(SameName("ı", "I"), base::EqualsIgnoreCase("ı", "I"));
}

}  // namespace
}  // namespace jet
