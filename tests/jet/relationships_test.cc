// Relationships with enforced integrity. In the sample, Table1.otherfk1
// points at Table2.id (cascading deletes) and Table1.otherfk2 at Table3.id
// (cascading updates).
#include "jet/relationships.h"

#include <gtest/gtest.h>

#include "jet/database_write.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

using base::Value;
using test_support::CaughtError;

TEST(RelationshipsTest, OrphansRefusedReferencedRowsKeptOrCascaded) {
  auto w = DatabaseWriter::FromBytes(test_support::ReadBytes(
      test_support::Sample("access/multi-table-indexes-indexTestV2000.mdb")));
  // Values by column name (the sample's column numbers start at 1).
  auto values = [&](std::string_view t,
                    std::vector<std::pair<std::string, Value>> named) {
    const TableDef& def = w->Def(t);
    std::vector<Value> out(def.max_cols, Value::Null());
    for (auto& [name, v] : named)
      out[def.columns[static_cast<size_t>(def.FindColumn(name))].number] = v;
    return out;
  };
  auto row = [&](int id, int fk1, int fk2) {
    return values("Table1", {{"id", Value::Long(id)},
                             {"otherfk1", Value::Long(fk1)},
                             {"otherfk2", Value::Long(fk2)}});
  };
  auto id_of = [&](std::string_view t, int id) {
    const TableDef& def = w->Def(t);
    const size_t n =
        def.columns[static_cast<size_t>(def.FindColumn("id"))].number;
    for (const auto& [rid, v] : w->Rows(t))
      if (v[n] == Value::Long(id)) return rid;
    ADD_FAILURE() << t << " has no row " << id;
    return RowId{};
  };
  w->Flush();
  const std::vector<uint8_t> before = w->bytes();
  const base::RuntimeError orphan =
      CaughtError([&] { w->Insert("Table1", row(9, 7, 10)); });
  EXPECT_EQ(orphan.description(),
            "You cannot add or change a record because a related record is "
            "required in table 'Table2'.");
  EXPECT_EQ(test_support::ErrorOf([&] { w->Insert("Table1", row(9, 0, 99)); }),
            3201);
  const base::RuntimeError kept =
      CaughtError([&] { w->Delete("Table3", id_of("Table3", 10)); });
  EXPECT_EQ(kept.description(),
            "The record cannot be deleted or changed because table 'Table1' "
            "includes related records.");
  EXPECT_EQ(test_support::ErrorOf([&] {
              w->Update("Table2", id_of("Table2", 1),
                        values("Table2", {{"id", Value::Long(5)}}));
            }),
            3200);
  EXPECT_EQ(w->bytes(), before);

  w->Insert("Table1", row(9, 2, 12));
  w->Insert(
      "Table1",
      values("Table1",
             {{"id", Value::Long(10)}}));  // Null keys need no related row
  w->Update("Table3", id_of("Table3", 11),
            values("Table3", {{"id", Value::Long(21)}}));
  w->Delete("Table2", id_of("Table2", 1));
  std::vector<std::pair<int32_t, Value>> left;  // id, otherfk2
  for (const auto& [rid, v] : w->Rows("Table1"))
    left.emplace_back(v[1].ToLong(), v[3]);
  const std::vector<std::pair<int32_t, Value>> expected = {{0, Value::Long(10)},
                                                           {3, Value::Long(13)},
                                                           {9, Value::Long(12)},
                                                           {10, Value::Null()}};
  EXPECT_EQ(left, expected);  // rows 1 and 2 (otherfk1 = 1) cascaded away
}

}  // namespace
}  // namespace jet
