#include "db/packed_rows.h"

#include <stdexcept>

namespace md_Standard_Config_Exe {

void PackedRows::Append(const base::Value& value) {
  if (width_ == 0) throw std::out_of_range("PackedRows::Append");
  if (count_ % PerBlock() == 0) {
    // The block just filled is copied to its size: a vector grown value by
    // value keeps up to as much room again.
    if (!blocks_.empty()) blocks_.back() = base::PackedValues(blocks_.back());
    blocks_.emplace_back();
  }
  blocks_.back().Append(value);
  ++count_;
}

base::Value PackedRows::At(size_t row, size_t column) const {
  if (column >= width_ || row * width_ + column >= count_) {
    throw std::out_of_range("PackedRows::At");
  }
  const size_t i = row * width_ + column;
  return blocks_[i / PerBlock()].At(i % PerBlock());
}

void PackedRows::DropRowsBefore(size_t row) {
  for (; dropped_ < row / kBlockRows && dropped_ < blocks_.size(); ++dropped_) {
    blocks_[dropped_] = base::PackedValues();
  }
}

}  // namespace md_Standard_Config_Exe
