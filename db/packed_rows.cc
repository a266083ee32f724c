#include "db/packed_rows.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace md_Standard_Config_Exe {
namespace {

// At least the bytes the cell of `value` takes (base::CellSize exactly,
// but without a second pass over the value's type before it is written).
size_t CellSizeBound(const base::Value& value) {
  // The type byte and the largest fixed-size value.
  constexpr size_t kFixedBound = 64;
  static_assert(1 + sizeof(base::Decimal) <= kFixedBound);
  // The type byte and the longest length (7 bits a byte).
  constexpr size_t kLengthBound = 1 + 10;
  switch (value.type()) {
    case base::ValueType::kText:
      return kLengthBound + value.AsText().size();
    case base::ValueType::kBinary:
      return kLengthBound + value.AsBinary().size();
    default:
      return kFixedBound;
  }
}

}  // namespace

void PackedRows::Grow(Block& block, size_t more) {
  if (block.used + more > UINT32_MAX) throw std::length_error("PackedRows");
  const size_t capacity =
      std::max({block.capacity * 2, block.used + more, size_t{4096}});
  auto bytes = std::make_unique_for_overwrite<uint8_t[]>(capacity);
  if (block.used > 0) std::memcpy(bytes.get(), block.bytes.get(), block.used);
  block.bytes = std::move(bytes);
  block.capacity = capacity;
}

void PackedRows::StartBlock() {
  size_t expected = 0;
  if (!blocks_.empty()) {
    // A full block gives up room it does not use (grown by doubling, it
    // keeps up to as much again); the next one starts at its size, so that
    // it mostly fills without being regrown.
    Block& full = blocks_.back();
    expected = full.used + full.used / 16;
    if (full.capacity - full.used > full.used / 16) {
      auto bytes = std::make_unique_for_overwrite<uint8_t[]>(full.used);
      if (full.used > 0) std::memcpy(bytes.get(), full.bytes.get(), full.used);
      full.bytes = std::move(bytes);
      full.capacity = full.used;
    }
  }
  blocks_.emplace_back();
  Grow(blocks_.back(), expected);
  blocks_.back().starts.reserve(PerBlock());
}

void PackedRows::Append(const base::Value& value) {
  if (width_ == 0) throw std::out_of_range("PackedRows::Append");
  if (blocks_.empty() || blocks_.back().starts.size() == PerBlock()) {
    StartBlock();
  }
  Block& block = blocks_.back();
  if (const size_t more = CellSizeBound(value);
      block.capacity - block.used < more) {
    Grow(block, more);
  }
  block.starts.push_back(static_cast<uint32_t>(block.used));
  uint8_t* const start = block.bytes.get();
  block.used =
      static_cast<size_t>(base::WriteCell(start + block.used, value) - start);
  ++count_;
}

const uint8_t* PackedRows::Cell(size_t row, size_t column) const {
  if (column >= width_ || row * width_ + column >= count_) {
    throw std::out_of_range("PackedRows::Cell");
  }
  // A block holds whole rows.
  const Block& block = blocks_[row / kBlockRows];
  const size_t at = (row % kBlockRows) * width_ + column;
  if (at >= block.starts.size()) throw std::out_of_range("PackedRows::Cell");
  return block.bytes.get() + block.starts[at];
}

void PackedRows::DropRowsBefore(size_t row) {
  for (; dropped_ < row / kBlockRows && dropped_ < blocks_.size(); ++dropped_) {
    blocks_[dropped_] = Block();
  }
}

}  // namespace md_Standard_Config_Exe
