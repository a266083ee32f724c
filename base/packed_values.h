#ifndef BASE_PACKED_VALUES_H_
#define BASE_PACKED_VALUES_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/value.h"

namespace base {

// A sequence of values kept as bytes: a type byte and the value's own bytes
// each, so that a large table of cells takes about what its values need
// instead of a Value (40 bytes) each plus the heap blocks of longer texts.
// A value comes back equal to the one appended (same type, same content).
class PackedValues {
 public:
  void Append(const Value& value);
  // The value at `index`; std::out_of_range past the end, as
  // std::vector::at.
  Value At(size_t index) const;
  size_t size() const { return starts_.size(); }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<uint32_t> starts_;  // where each value's type byte is
};

}  // namespace base

#endif  // BASE_PACKED_VALUES_H_
