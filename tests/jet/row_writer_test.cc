// Row images as Access lays them out, and values at the limits of their
// column types.
#include "jet/row_writer.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "jet/database.h"
#include "jet/database_write.h"
#include "jet/format.h"
#include "tests/support/test_support.h"

namespace jet {
namespace {

namespace f = format;
using base::Value;

std::vector<std::string> RowImages(DatabaseWriter& w) {
  std::vector<std::string> out;
  ScanTable(w.store(), w.Def("T"), [&](RowId, std::span<const uint8_t> row) {
    out.push_back(test_support::Hex(row));
  });
  return out;
}

// The reference file holds table T (Flag Boolean) with rows true and false,
// written by another engine: column count, one byte of fixed area, mask.
TEST(RowWriterTest, RowsOfBooleanOnlyTablesAsAccessLaysThemOut) {
  const auto reference = DatabaseWriter::FromBytes(test_support::ReadBytes(
      test_support::Sample("cases/boolean-only-table-reference.mdb")));
  auto ours = DatabaseWriter::CreateNew();
  ours->CreateTable("T", {{"Flag", f::kTypeBoolean, 0}});
  ours->Insert("T", {Value::Boolean(true)});
  ours->Insert("T", {Value::Boolean(false)});
  EXPECT_EQ(RowImages(*ours), RowImages(*reference));
  EXPECT_EQ(RowImages(*ours),
            (std::vector<std::string>{"01 00 00 01", "01 00 00 00"}));
}

Value Decimal18(bool negative, unsigned __int128 mantissa) {
  return Value::FromDecimal({negative, 18, 0, mantissa});
}

TEST(RowWriterTest, CurrencyKeepsItsRangeDecimalsTheirPrecision) {
  auto w = DatabaseWriter::CreateNew();
  w->CreateTable("T", {{"C", f::kTypeCurrency, 0}, {"D", f::kTypeNumeric, 0}});
  const unsigned __int128 nines = 999'999'999'999'999'999;  // 18 digits
  const std::vector<std::vector<Value>> rows = {
      {Value::FromCurrency({INT64_MIN}), Decimal18(false, nines)},
      {Value::FromCurrency({INT64_MAX}), Decimal18(true, nines)}};
  for (const auto& r : rows) w->Insert("T", r);
  std::vector<std::vector<Value>> back;
  for (auto& [id, values] : w->Rows("T")) back.push_back(values);
  EXPECT_EQ(back, rows);

  // Beyond the declared precision (19 and 25 digits) or Currency's range.
  auto error = [&](const Value& c, const Value& d) {
    return test_support::ErrorOf([&] { w->Insert("T", {c, d}); });
  };
  unsigned __int128 big = 1;
  for (int i = 0; i < 24; ++i) big *= 10;
  EXPECT_EQ(error(Value::Null(), Decimal18(false, nines + 1)), 6);
  EXPECT_EQ(error(Value::Null(), Decimal18(true, big)), 6);
  EXPECT_EQ(error(Value::Double(1e15), Value::Null()), 6);
  EXPECT_EQ(w->Rows("T").size(), 2u);
}

}  // namespace
}  // namespace jet
