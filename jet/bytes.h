#ifndef JET_BYTES_H_
#define JET_BYTES_H_

// Bounds-checked little-endian reads from file bytes. Every read of a value
// whose position came from the file goes through these; a read outside the
// span raises the "damaged database" error instead of touching memory.

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "jet/errors.h"

namespace jet {

using Bytes = std::span<const uint8_t>;

inline void CheckRange(Bytes b, size_t offset, size_t length,
                       const char* what) {
  if (offset > b.size() || length > b.size() - offset) ThrowCorrupt(what);
}

inline Bytes Sub(Bytes b, size_t offset, size_t length, const char* what) {
  CheckRange(b, offset, length, what);
  return b.subspan(offset, length);
}

inline uint8_t U8(Bytes b, size_t offset, const char* what = "byte") {
  CheckRange(b, offset, 1, what);
  return b[offset];
}

inline uint16_t U16(Bytes b, size_t offset, const char* what = "u16") {
  CheckRange(b, offset, 2, what);
  return static_cast<uint16_t>(b[offset] | (b[offset + 1] << 8));
}

inline uint32_t U32(Bytes b, size_t offset, const char* what = "u32") {
  CheckRange(b, offset, 4, what);
  return static_cast<uint32_t>(b[offset]) |
         (static_cast<uint32_t>(b[offset + 1]) << 8) |
         (static_cast<uint32_t>(b[offset + 2]) << 16) |
         (static_cast<uint32_t>(b[offset + 3]) << 24);
}

inline uint64_t U64(Bytes b, size_t offset, const char* what = "u64") {
  return static_cast<uint64_t>(U32(b, offset, what)) |
         (static_cast<uint64_t>(U32(b, offset + 4, what)) << 32);
}

inline double F64(Bytes b, size_t offset, const char* what = "double") {
  uint64_t bits = U64(b, offset, what);
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

inline float F32(Bytes b, size_t offset, const char* what = "single") {
  uint32_t bits = U32(b, offset, what);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// Little-endian writes for building page images (the writer's side).
inline void PutU16(std::span<uint8_t> b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(std::span<uint8_t> b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void AppendU16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void AppendU32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A row pointer: (page << 8) | row, stored as row byte + 3-byte page.
struct RowId {
  uint32_t page = 0;
  uint8_t row = 0;
  bool operator==(const RowId&) const = default;
  uint32_t Packed() const { return (page << 8) | row; }
  static RowId FromPacked(uint32_t v) {
    return RowId{v >> 8, static_cast<uint8_t>(v & 0xFF)};
  }
};

inline RowId ReadRowId(Bytes b, size_t offset, const char* what = "row id") {
  return RowId::FromPacked(U32(b, offset, what));
}

}  // namespace jet

#endif  // JET_BYTES_H_
