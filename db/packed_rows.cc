#include "db/packed_rows.h"

#include <stdexcept>

namespace md_Standard_Config_Exe {

void PackedRows::Append(const base::Value& value) {
  if (width_ == 0) throw std::out_of_range("PackedRows::Append");
  if (blocks_.empty() || blocks_.back().starts.size() == PerBlock()) {
    size_t expected = 0;
    if (!blocks_.empty()) {
      // A full block gives up room it does not use (a vector grown value by
      // value keeps up to as much again); the next one starts at its size,
      // so that it mostly fills without being regrown.
      std::vector<uint8_t>& full = blocks_.back().bytes;
      expected = full.size() + full.size() / 16;
      if (full.capacity() - full.size() > full.size() / 16) {
        full.shrink_to_fit();
      }
    }
    blocks_.emplace_back();
    blocks_.back().bytes.reserve(expected);
    blocks_.back().starts.reserve(PerBlock());
  }
  Block& block = blocks_.back();
  const size_t start = block.bytes.size();
  const size_t size = base::CellSize(value);
  if (start + size > UINT32_MAX) throw std::length_error("PackedRows");
  block.starts.push_back(static_cast<uint32_t>(start));
  block.bytes.resize(start + size);
  base::WriteCell(block.bytes.data() + start, value);
  ++count_;
}

const uint8_t* PackedRows::Cell(size_t row, size_t column) const {
  const size_t i = row * width_ + column;
  if (column >= width_ || i >= count_) {
    throw std::out_of_range("PackedRows::Cell");
  }
  const Block& block = blocks_[i / PerBlock()];
  const size_t at = i % PerBlock();
  if (at >= block.starts.size()) throw std::out_of_range("PackedRows::Cell");
  return block.bytes.data() + block.starts[at];
}

void PackedRows::DropRowsBefore(size_t row) {
  for (; dropped_ < row / kBlockRows && dropped_ < blocks_.size(); ++dropped_) {
    blocks_[dropped_] = Block();
  }
}

}  // namespace md_Standard_Config_Exe
