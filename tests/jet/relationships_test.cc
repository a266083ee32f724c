// Enforced relationships. In the sample, Table1.otherfk1 points at Table2.id
// (cascading deletes), Table1.otherfk2 at Table3.id (cascading updates).
#include <gtest/gtest.h>

#include "jet/database_write.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

using base::Value;

TEST(RelationshipsTest, OrphansRefusedReferencedRowsKeptOrCascaded) {
  auto w = DatabaseWriter::FromBytes(test_support::ReadBytes(
      test_support::Sample("access/multi-table-indexes-indexTestV2000.mdb")));
  auto number = [&](std::string_view t, std::string_view c) {
    const TableDef& d = w->Def(t);
    return d.columns[static_cast<size_t>(d.FindColumn(c))].number;
  };
  auto row = [&](std::string_view t, int id, int fk1 = 0, int fk2 = 0) {
    std::vector<Value> v(w->Def(t).max_cols, Value::Null());
    v[number(t, "id")] = Value::Long(id);
    if (fk1) v[number(t, "otherfk1")] = Value::Long(fk1);
    if (fk2) v[number(t, "otherfk2")] = Value::Long(fk2);
    return v;
  };
  auto id_of = [&](std::string_view t, int id) {
    for (const auto& [rid, v] : w->Rows(t))
      if (v[number(t, "id")] == Value::Long(id)) return rid;
    return RowId{};
  };
  const std::vector<uint8_t> before = w->bytes();  // refusals change nothing
  auto error = [](auto f) { return test_support::ErrorOf(f); };
  EXPECT_EQ(error([&] { w->Insert("Table1", row("Table1", 9, 7, 10)); }), 3201);
  EXPECT_EQ(error([&] { w->Insert("Table1", row("Table1", 9, 2, 99)); }), 3201);
  EXPECT_EQ(error([&] { w->Delete("Table3", id_of("Table3", 10)); }), 3200);
  EXPECT_EQ(
      error([&] { w->Update("Table2", id_of("Table2", 1), row("Table2", 5)); }),
      3200);
  EXPECT_EQ(w->bytes(), before);

  w->Insert("Table1", row("Table1", 9, 2, 12));
  w->Insert("Table1", row("Table1", 10));  // Null keys need no related row
  w->Update("Table3", id_of("Table3", 11), row("Table3", 21));
  w->Delete("Table2", id_of("Table2", 0));  // takes Table1 row 0
  std::string left;                         // id:otherfk2 of each row
  for (const auto& [rid, v] : w->Rows("Table1")) {
    const Value& fk = v[number("Table1", "otherfk2")];
    left += v[number("Table1", "id")].ToText() + ":" +
            (fk.IsNull() ? "" : fk.ToText()) + " ";
  }
  EXPECT_EQ(left, "1:21 2:21 3:13 9:12 10: ");
}

}  // namespace
}  // namespace jet
