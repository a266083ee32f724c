#include "base/packed_values.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace base {
namespace {

template <typename T>
void Put(std::vector<uint8_t>& out, const T& v) {
  const auto* p = reinterpret_cast<const uint8_t*>(&v);
  out.insert(out.end(), p, p + sizeof v);
}

template <typename T>
T Get(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

void PackedValues::Append(const Value& value) {
  if (bytes_.size() > UINT32_MAX) throw std::length_error("PackedValues");
  starts_.push_back(static_cast<uint32_t>(bytes_.size()));
  bytes_.push_back(static_cast<uint8_t>(value.type()));
  switch (value.type()) {
    case ValueType::kEmpty:
    case ValueType::kNull:
      break;
    case ValueType::kBoolean:
      bytes_.push_back(value.AsBoolean() ? 1 : 0);
      break;
    case ValueType::kByte:
      bytes_.push_back(value.AsByte());
      break;
    case ValueType::kInteger:
      Put(bytes_, value.AsInteger());
      break;
    case ValueType::kLong:
      Put(bytes_, value.AsLong());
      break;
    case ValueType::kCurrency:
      Put(bytes_, value.AsCurrency().scaled);
      break;
    case ValueType::kSingle:
      Put(bytes_, value.AsSingle());
      break;
    case ValueType::kDouble:
      Put(bytes_, value.AsDouble());
      break;
    case ValueType::kDate:
      Put(bytes_, value.AsDate().days);
      break;
    case ValueType::kText: {
      const std::string& text = value.AsText();
      bytes_.insert(bytes_.end(), text.begin(), text.end());
      break;
    }
    case ValueType::kBinary: {
      const std::vector<uint8_t>& b = value.AsBinary();
      bytes_.insert(bytes_.end(), b.begin(), b.end());
      break;
    }
    case ValueType::kGuid:
      Put(bytes_, value.AsGuid().bytes);
      break;
    case ValueType::kDecimal:
      Put(bytes_, value.AsDecimal());
      break;
  }
}

Value PackedValues::At(size_t index) const {
  if (index >= starts_.size()) throw std::out_of_range("PackedValues::At");
  const uint8_t* p = bytes_.data() + starts_[index];
  const uint8_t* end =
      bytes_.data() +
      (index + 1 < starts_.size() ? starts_[index + 1] : bytes_.size());
  const uint8_t* data = p + 1;
  switch (static_cast<ValueType>(*p)) {
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
      return Value::Text(std::string(data, end));
    case ValueType::kBinary:
      return Value::Binary(std::vector<uint8_t>(data, end));
    case ValueType::kGuid:
      return Value::FromGuid(Guid{Get<std::array<uint8_t, 16>>(data)});
    case ValueType::kDecimal:
      return Value::FromDecimal(Get<Decimal>(data));
  }
  return Value();
}

}  // namespace base
