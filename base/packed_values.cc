#include "base/packed_values.h"

#include <array>
#include <cstring>
#include <stdexcept>
#include <string>

namespace base {
namespace {

template <typename T>
uint8_t* Put(uint8_t* out, const T& v) {
  std::memcpy(out, &v, sizeof v);
  return out + sizeof v;
}

template <typename T>
T Get(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Bytes after the type byte of the fixed-size types; 0 for Text and Binary.
constexpr size_t FixedSize(ValueType type) {
  switch (type) {
    case ValueType::kEmpty:
    case ValueType::kNull:
      return 0;
    case ValueType::kBoolean:
    case ValueType::kByte:
      return 1;
    case ValueType::kInteger:
      return 2;
    case ValueType::kLong:
    case ValueType::kSingle:
      return 4;
    case ValueType::kCurrency:
    case ValueType::kDouble:
    case ValueType::kDate:
      return 8;
    case ValueType::kGuid:
      return 16;
    case ValueType::kDecimal:
      return sizeof(Decimal);
    case ValueType::kText:
    case ValueType::kBinary:
      break;
  }
  return 0;
}

constexpr bool HasLength(ValueType type) {
  return type == ValueType::kText || type == ValueType::kBinary;
}

size_t LengthSize(size_t n) {
  size_t bytes = 1;
  while (n >= 0x80) {
    n >>= 7;
    ++bytes;
  }
  return bytes;
}

// The payload length of a Text or Binary cell and where its bytes start.
const uint8_t* ReadLength(const uint8_t* p, size_t& n) {
  n = 0;
  for (int shift = 0;; shift += 7) {
    const uint8_t b = *p++;
    n |= static_cast<size_t>(b & 0x7F) << shift;
    if (!(b & 0x80)) return p;
  }
}

std::string_view PayloadOf(const Value& value) {
  if (value.type() == ValueType::kText) return value.AsText();
  const std::vector<uint8_t>& b = value.AsBinary();
  return {reinterpret_cast<const char*>(b.data()), b.size()};
}

}  // namespace

size_t CellSize(const Value& value) {
  if (!HasLength(value.type())) return 1 + FixedSize(value.type());
  const size_t n = PayloadOf(value).size();
  return 1 + LengthSize(n) + n;
}

namespace {

// The length of a Text or Binary cell's bytes, 7 bits a byte.
uint8_t* WriteLength(uint8_t* out, size_t n) {
  while (n >= 0x80) {
    *out++ = static_cast<uint8_t>(n | 0x80);
    n >>= 7;
  }
  *out++ = static_cast<uint8_t>(n);
  return out;
}

}  // namespace

uint8_t* WriteCell(uint8_t* out, const Value& value) {
  *out++ = static_cast<uint8_t>(value.type());
  switch (value.type()) {
    case ValueType::kEmpty:
    case ValueType::kNull:
      return out;
    case ValueType::kBoolean:
      *out++ = value.AsBoolean() ? 1 : 0;
      return out;
    case ValueType::kByte:
      *out++ = value.AsByte();
      return out;
    case ValueType::kInteger:
      return Put(out, value.AsInteger());
    case ValueType::kLong:
      return Put(out, value.AsLong());
    case ValueType::kCurrency:
      return Put(out, value.AsCurrency().scaled);
    case ValueType::kSingle:
      return Put(out, value.AsSingle());
    case ValueType::kDouble:
      return Put(out, value.AsDouble());
    case ValueType::kDate:
      return Put(out, value.AsDate().days);
    case ValueType::kGuid:
      return Put(out, value.AsGuid().bytes);
    case ValueType::kDecimal:
      return Put(out, value.AsDecimal());
    case ValueType::kText:
    case ValueType::kBinary: {
      const std::string_view bytes = PayloadOf(value);
      out = WriteLength(out, bytes.size());
      if (!bytes.empty()) std::memcpy(out, bytes.data(), bytes.size());
      return out + bytes.size();
    }
  }
  return out;
}

void AppendCell(std::vector<uint8_t>& out, const Value& value) {
  const size_t start = out.size();
  out.resize(start + CellSize(value));
  WriteCell(out.data() + start, value);
}

void AppendBytesCell(std::vector<uint8_t>& out, ValueType type,
                     std::string_view bytes) {
  const size_t start = out.size();
  out.resize(start + 1 + LengthSize(bytes.size()) + bytes.size());
  uint8_t* p = out.data() + start;
  *p++ = static_cast<uint8_t>(type);
  p = WriteLength(p, bytes.size());
  if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
}

void AppendFixedCell(std::vector<uint8_t>& out, ValueType type,
                     const void* value, size_t size) {
  const size_t start = out.size();
  out.resize(start + 1 + size);
  out[start] = static_cast<uint8_t>(type);
  if (size != 0) std::memcpy(out.data() + start + 1, value, size);
}

// The bytes of a cell of each type byte; 0 for Text and Binary.
constexpr std::array<uint8_t, 256> kFixedCellLength = [] {
  std::array<uint8_t, 256> table{};
  for (int t = 0; t <= static_cast<int>(ValueType::kDecimal); ++t) {
    const auto type = static_cast<ValueType>(t);
    table[t] = HasLength(type) ? 0 : static_cast<uint8_t>(1 + FixedSize(type));
  }
  return table;
}();

size_t CellLength(const uint8_t* cell) {
  if (const size_t n = kFixedCellLength[*cell]; n != 0) return n;
  size_t n = 0;
  const uint8_t* data = ReadLength(cell + 1, n);
  return static_cast<size_t>(data - cell) + n;
}

std::string_view CellBytes(const uint8_t* cell) {
  size_t n = 0;
  const uint8_t* data = ReadLength(cell + 1, n);
  return {reinterpret_cast<const char*>(data), n};
}

Value ReadCell(const uint8_t* cell) {
  const uint8_t* data = cell + 1;
  switch (CellType(cell)) {
    case ValueType::kEmpty:
      return Value();
    case ValueType::kNull:
      return Value::Null();
    case ValueType::kBoolean:
      return Value::Boolean(*data != 0);
    case ValueType::kByte:
      return Value::Byte(*data);
    case ValueType::kInteger:
      return Value::Integer(Get<int16_t>(data));
    case ValueType::kLong:
      return Value::Long(Get<int32_t>(data));
    case ValueType::kCurrency:
      return Value::FromCurrency(Currency{Get<int64_t>(data)});
    case ValueType::kSingle:
      return Value::Single(Get<float>(data));
    case ValueType::kDouble:
      return Value::Double(Get<double>(data));
    case ValueType::kDate:
      return Value::FromDate(Date{Get<double>(data)});
    case ValueType::kText:
      return Value::Text(std::string(CellBytes(cell)));
    case ValueType::kBinary: {
      const std::string_view b = CellBytes(cell);
      return Value::Binary(std::vector<uint8_t>(b.begin(), b.end()));
    }
    case ValueType::kGuid:
      return Value::FromGuid(Guid{Get<std::array<uint8_t, 16>>(data)});
    case ValueType::kDecimal:
      return Value::FromDecimal(Get<Decimal>(data));
  }
  return Value();
}

void PackedValues::Append(const Value& value) {
  const size_t start = bytes_.size();
  const size_t size = CellSize(value);
  if (start + size > UINT32_MAX) throw std::length_error("PackedValues");
  starts_.push_back(static_cast<uint32_t>(start));
  bytes_.resize(start + size);
  WriteCell(bytes_.data() + start, value);
}

Value PackedValues::At(size_t index) const {
  if (index >= starts_.size()) throw std::out_of_range("PackedValues::At");
  return ReadCell(bytes_.data() + starts_[index]);
}

}  // namespace base
