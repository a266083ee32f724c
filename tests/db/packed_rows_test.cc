#include "db/packed_rows.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace md_Standard_Config_Exe {
namespace {

using base::Value;

// A value of its own for each cell, of changing types.
Value CellValue(size_t row, size_t column) {
  switch ((row + column) % 4) {
    case 0:
      return Value::Long(static_cast<int32_t>(row * 10 + column));
    case 1:
      return Value::Text("r" + std::to_string(row) + "c" +
                         std::to_string(column));
    case 2:
      return Value::Null();
    default:
      return Value();
  }
}

// Across several blocks, every cell comes back where it was put, also after
// the blocks before a row are let go; reads outside the rows fail as an
// array read.
TEST(PackedRowsTest, CellsComeBackByRowAndColumnAcrossBlocks) {
  constexpr size_t kWidth = 3;
  constexpr size_t kRows = 2500;
  PackedRows rows;
  rows.SetWidth(kWidth);
  for (size_t r = 0; r < kRows; ++r) {
    for (size_t c = 0; c < kWidth; ++c) rows.Append(CellValue(r, c));
  }
  for (size_t r : {size_t{0}, size_t{1023}, size_t{1024}, size_t{2499}}) {
    for (size_t c = 0; c < kWidth; ++c) {
      EXPECT_TRUE(rows.At(r, c) == CellValue(r, c)) << r << ' ' << c;
    }
  }
  EXPECT_THROW(rows.At(0, kWidth), std::out_of_range);
  EXPECT_THROW(rows.At(kRows, 0), std::out_of_range);

  rows.DropRowsBefore(2048);
  EXPECT_TRUE(rows.At(2048, 1) == CellValue(2048, 1));
  EXPECT_TRUE(rows.At(2499, 2) == CellValue(2499, 2));
}

TEST(PackedRowsTest, WithoutWidthEveryReadAndAppendFails) {
  PackedRows rows;
  EXPECT_THROW(rows.At(0, 0), std::out_of_range);
  EXPECT_THROW(rows.Append(Value()), std::out_of_range);
}

}  // namespace
}  // namespace md_Standard_Config_Exe
