#ifndef DB_PACKED_ROWS_H_
#define DB_PACKED_ROWS_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "base/packed_values.h"
#include "base/value.h"

namespace md_Standard_Config_Exe {

// A table of values read once and then walked row by row (the template
// before the build, the machine copy before the takeover), kept as packed
// cells (base/packed_values.h) in blocks of rows: no large buffer is regrown
// and copied while it fills, a full block keeps little spare room, and the
// blocks of rows already used can go.
class PackedRows {
 public:
  // Values per row; 0 (no value at all) until set.
  void SetWidth(size_t width) { width_ = width; }
  size_t width() const { return width_; }

  // The next value, rows filled one after the other.
  void Append(const base::Value& value);

  // The value of `column` in `row` (both from 0); std::out_of_range outside
  // the rows appended, as an array read.
  base::Value At(size_t row, size_t column) const {
    return base::ReadCell(Cell(row, column));
  }

  // The packed cell of that value, read where it lies (base::CellType,
  // base::CellBytes, base::ReadCell) until its row is let go of; fails as
  // At.
  const uint8_t* Cell(size_t row, size_t column) const;

  // Lets go of the blocks that hold only rows before `row`; those rows are
  // not read again.
  void DropRowsBefore(size_t row);

 private:
  static constexpr size_t kBlockRows = 1024;
  size_t PerBlock() const { return width_ * kBlockRows; }

  // The cells of kBlockRows rows. The bytes are not a vector: a vector
  // would clear every cell's bytes before they are written.
  struct Block {
    std::unique_ptr<uint8_t[]> bytes;
    size_t used = 0;
    size_t capacity = 0;
    std::vector<uint32_t> starts;  // where each cell starts
  };

  // Room for `more` bytes after the used ones of `block`.
  static void Grow(Block& block, size_t more);
  // Starts a block (the last one is full or there is none).
  void StartBlock();

  size_t width_ = 0;
  size_t count_ = 0;
  size_t dropped_ = 0;  // blocks let go of, from the first
  std::vector<Block> blocks_;
};

// A value made where it is kept, from the expression that reads it (a
// DAO field's value): a cell is neither moved nor assigned on its way into
// the rows.
struct ReadValue {
  template <typename F>
  ReadValue(std::in_place_t /*tag*/, F&& read) : value(read()) {}
  base::Value value;
};

}  // namespace md_Standard_Config_Exe

#endif  // DB_PACKED_ROWS_H_
