#ifndef BASE_PACKED_VALUES_H_
#define BASE_PACKED_VALUES_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/value.h"

namespace base {

// A value as a self-delimiting cell of bytes: the type byte (ValueType),
// then for Text and Binary the length (7 bits a byte, low first, high bit
// = more) and the bytes, for the other types their fixed-size bytes. Cells
// are read where they lie (no alignment); a cell comes back equal to the
// value written (same type, same content).
size_t CellSize(const Value& value);
// Writes the cell of `value` at `out` (CellSize(value) bytes); returns the
// first byte after it.
uint8_t* WriteCell(uint8_t* out, const Value& value);
// Appends the cell of `value` to `out`.
void AppendCell(std::vector<uint8_t>& out, const Value& value);
// Appends a Text (UTF-8) or Binary cell of `bytes` without making the value.
void AppendBytesCell(std::vector<uint8_t>& out, ValueType type,
                     std::string_view bytes);
// Appends the cell of a fixed-size value of `type` given as the value's own
// bytes in memory (`size` of them, the type's size: what WriteCell writes
// for such a value), without making the value.
void AppendFixedCell(std::vector<uint8_t>& out, ValueType type,
                     const void* value, size_t size);
// The bytes the cell at `cell` takes.
size_t CellLength(const uint8_t* cell);
Value ReadCell(const uint8_t* cell);
inline ValueType CellType(const uint8_t* cell) {
  return static_cast<ValueType>(*cell);
}
// The bytes of a Text (UTF-8) or Binary cell.
std::string_view CellBytes(const uint8_t* cell);

// A sequence of values kept as cells, so that a large table of values takes
// about what its values need instead of a Value (40 bytes) each plus the
// heap blocks of longer texts.
class PackedValues {
 public:
  void Append(const Value& value);
  // The value at `index`; std::out_of_range past the end, as
  // std::vector::at.
  Value At(size_t index) const;
  size_t size() const { return starts_.size(); }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<uint32_t> starts_;  // where each cell starts
};

}  // namespace base

#endif  // BASE_PACKED_VALUES_H_
