#ifndef BASE_VALUE_H_
#define BASE_VALUE_H_

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace base {

// The optional value: Empty (never assigned), Null, or one simple value of a
// database column type. Shared by the engine (cells) and the program (INI
// values, procedure results).
enum class ValueType : uint8_t {
  kEmpty,
  kNull,
  kBoolean,
  kByte,
  kInteger,   // 16-bit
  kLong,      // 32-bit
  kCurrency,  // 64-bit, 4 implied decimals
  kSingle,
  kDouble,
  kDate,  // days since 1899-12-30, time as the fraction
  kText,  // UTF-8
  kBinary,
  kGuid,
  kDecimal,
};

struct Currency {
  int64_t scaled = 0;  // value * 10000
  bool operator==(const Currency&) const = default;
};

struct Date {
  double days = 0;  // OLE automation date
  bool operator==(const Date&) const = default;
};

struct Guid {
  std::array<uint8_t, 16> bytes{};  // as stored: Data1..3 little-endian
  bool operator==(const Guid&) const = default;
};

// Exact decimal: (-1)^negative * mantissa / 10^scale, mantissa < 2^96.
struct Decimal {
  bool negative = false;
  uint8_t precision = 18;
  uint8_t scale = 0;
  unsigned __int128 mantissa = 0;
  bool operator==(const Decimal&) const = default;
};

class Value {
 public:
  Value() = default;  // Empty
  // The factories and accessors are inline: cells are made and read by
  // the million.
  static Value Null() { return Value(std::in_place_type<NullTag>); }
  static Value Boolean(bool v) { return Value(std::in_place_type<bool>, v); }
  static Value Byte(uint8_t v) { return Value(std::in_place_type<uint8_t>, v); }
  static Value Integer(int16_t v) {
    return Value(std::in_place_type<int16_t>, v);
  }
  static Value Long(int32_t v) { return Value(std::in_place_type<int32_t>, v); }
  static Value FromCurrency(Currency v) {
    return Value(std::in_place_type<Currency>, v);
  }
  static Value Single(float v) { return Value(std::in_place_type<float>, v); }
  static Value Double(double v) { return Value(std::in_place_type<double>, v); }
  static Value FromDate(Date v) { return Value(std::in_place_type<Date>, v); }
  static Value Text(std::string utf8) {
    return Value(std::in_place_type<std::string>, std::move(utf8));
  }
  static Value Binary(std::vector<uint8_t> bytes) {
    return Value(std::in_place_type<std::vector<uint8_t>>, std::move(bytes));
  }
  static Value FromGuid(Guid v) { return Value(std::in_place_type<Guid>, v); }
  static Value FromDecimal(Decimal v);

  ValueType type() const { return static_cast<ValueType>(storage_.index()); }
  bool IsEmpty() const { return type() == ValueType::kEmpty; }
  bool IsNull() const { return type() == ValueType::kNull; }
  bool IsNumeric() const;  // Boolean through Date, and Decimal

  // Raw access; the type must match (checked: type mismatch otherwise).
  bool AsBoolean() const { return Get<bool, ValueType::kBoolean>(); }
  uint8_t AsByte() const { return Get<uint8_t, ValueType::kByte>(); }
  int16_t AsInteger() const { return Get<int16_t, ValueType::kInteger>(); }
  int32_t AsLong() const { return Get<int32_t, ValueType::kLong>(); }
  Currency AsCurrency() const { return Get<Currency, ValueType::kCurrency>(); }
  float AsSingle() const { return Get<float, ValueType::kSingle>(); }
  double AsDouble() const { return Get<double, ValueType::kDouble>(); }
  Date AsDate() const { return Get<Date, ValueType::kDate>(); }
  const std::string& AsText() const {
    return Get<std::string, ValueType::kText>();
  }
  const std::vector<uint8_t>& AsBinary() const {
    return Get<std::vector<uint8_t>, ValueType::kBinary>();
  }
  const Guid& AsGuid() const { return Get<Guid, ValueType::kGuid>(); }
  const Decimal& AsDecimal() const;

  // Conversions with the classic runtime's rules: Null fails with 94
  // (invalid use of Null), a value out of range with 6 (overflow), a text
  // that is no number with 13 (type mismatch). Empty converts to "" / 0.
  std::string ToText() const;
  double ToDouble() const;
  int16_t ToInteger() const;  // rounds half to even, like CInt
  int32_t ToLong() const;     // rounds half to even, like CLng
  bool ToBoolean() const;

  bool operator==(const Value& other) const;

 private:
  // Null apart from Empty, so that the alternative alone tells the type.
  struct NullTag {
    bool operator==(const NullTag&) const = default;
  };
  // A Decimal (16-byte aligned, and rare) lives on the heap, shared and
  // never changed, so that every other value stays 40 bytes.
  struct BoxedDecimal {
    std::shared_ptr<const Decimal> value;
    bool operator==(const BoxedDecimal& o) const { return *value == *o.value; }
  };
  // Alternatives in the order of ValueType: index() is the type.
  using Storage =
      std::variant<std::monostate, NullTag, bool, uint8_t, int16_t, int32_t,
                   Currency, float, double, Date, std::string,
                   std::vector<uint8_t>, Guid, BoxedDecimal>;
  [[noreturn]] static void ThrowTypeMismatch();
  template <typename T, ValueType kType>
  const T& Get() const {
    if (type() != kType) ThrowTypeMismatch();
    return *std::get_if<T>(&storage_);
  }

  // Built in place: no temporary to move from and destroy.
  template <typename T, typename... Args>
  explicit Value(std::in_place_type_t<T> type, Args&&... args)
      : storage_(type, std::forward<Args>(args)...) {}

  Storage storage_;
};

// Exact decimal text of a Currency ("-12.5", "3", "0.0001").
std::string CurrencyToString(Currency v);
// Exact decimal text of a Decimal, keeping its scale ("1.50", "-3").
std::string DecimalToString(const Decimal& v);
// A double as the classic runtime prints it: up to 15 significant digits,
// no trailing zeros, exponent form "1.5E+20" outside its plain range.
std::string DoubleToString(double v);
// "YYYY-MM-DDTHH:MM:SS" of an OLE date (whole seconds, rounded).
std::string DateToIso(Date v);
// Lower-case hex of the bytes.
std::string ToHex(const std::vector<uint8_t>& bytes);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" as DAO shows a GUID.
std::string GuidToString(const Guid& g);

}  // namespace base

#endif  // BASE_VALUE_H_
