#include "base/value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "base/runtime_error.h"

namespace base {
namespace {

[[noreturn]] void TypeMismatch() { throw Error(err::kTypeMismatch, "Value"); }
[[noreturn]] void Overflow() { throw Error(err::kOverflow, "Value"); }
[[noreturn]] void InvalidUseOfNull() {
  throw Error(err::kInvalidUseOfNull, "Value");
}

// Round half to even, as CInt and CLng do.
double RoundHalfEven(double v) { return std::nearbyint(v); }

double DecimalToDouble(const Decimal& d) {
  double v = static_cast<double>(d.mantissa);
  v /= std::pow(10.0, d.scale);
  return d.negative ? -v : v;
}

// Days since 1970-01-01 to civil date (proleptic Gregorian).
void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += (m <= 2);
}

}  // namespace

Value Value::FromDecimal(Decimal v) {
  return Value(std::in_place_type<BoxedDecimal>,
               BoxedDecimal{std::make_shared<const Decimal>(v)});
}

bool Value::IsNumeric() const {
  switch (type()) {
    case ValueType::kBoolean:
    case ValueType::kByte:
    case ValueType::kInteger:
    case ValueType::kLong:
    case ValueType::kCurrency:
    case ValueType::kSingle:
    case ValueType::kDouble:
    case ValueType::kDate:
    case ValueType::kDecimal:
      return true;
    default:
      return false;
  }
}

void Value::ThrowTypeMismatch() { TypeMismatch(); }

const Decimal& Value::AsDecimal() const {
  if (type() != ValueType::kDecimal) TypeMismatch();
  return *std::get<BoxedDecimal>(storage_).value;
}

std::string Value::ToText() const {
  switch (type()) {
    case ValueType::kEmpty:
      return "";
    case ValueType::kNull:
      InvalidUseOfNull();
    case ValueType::kBoolean:
      return AsBoolean() ? "True" : "False";
    case ValueType::kByte:
      return std::to_string(AsByte());
    case ValueType::kInteger:
      return std::to_string(AsInteger());
    case ValueType::kLong:
      return std::to_string(AsLong());
    case ValueType::kCurrency:
      return CurrencyToString(AsCurrency());
    case ValueType::kSingle: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.7G", static_cast<double>(AsSingle()));
      return DoubleToString(std::strtod(buf, nullptr));
    }
    case ValueType::kDouble:
      return DoubleToString(AsDouble());
    case ValueType::kDate:
      return DateToIso(AsDate());
    case ValueType::kText:
      return AsText();
    case ValueType::kBinary:
      return ToHex(AsBinary());
    case ValueType::kGuid:
      return GuidToString(AsGuid());
    case ValueType::kDecimal:
      return DecimalToString(AsDecimal());
  }
  TypeMismatch();
}

double Value::ToDouble() const {
  switch (type()) {
    case ValueType::kEmpty:
      return 0;
    case ValueType::kNull:
      InvalidUseOfNull();
    case ValueType::kBoolean:
      return AsBoolean() ? -1 : 0;
    case ValueType::kByte:
      return AsByte();
    case ValueType::kInteger:
      return AsInteger();
    case ValueType::kLong:
      return AsLong();
    case ValueType::kCurrency:
      return static_cast<double>(AsCurrency().scaled) / 10000.0;
    case ValueType::kSingle:
      return AsSingle();
    case ValueType::kDouble:
      return AsDouble();
    case ValueType::kDate:
      return AsDate().days;
    case ValueType::kDecimal:
      return DecimalToDouble(AsDecimal());
    case ValueType::kText: {
      const std::string& s = AsText();
      size_t b = s.find_first_not_of(" \t");
      size_t e = s.find_last_not_of(" \t");
      if (b == std::string::npos) TypeMismatch();
      std::string t = s.substr(b, e - b + 1);
      char* end = nullptr;
      double v = std::strtod(t.c_str(), &end);
      if (end == t.c_str() || *end != '\0' || !std::isfinite(v)) TypeMismatch();
      return v;
    }
    default:
      TypeMismatch();
  }
}

int16_t Value::ToInteger() const {
  double v = RoundHalfEven(ToDouble());
  if (!(v >= -32768.0 && v <= 32767.0)) Overflow();
  return static_cast<int16_t>(v);
}

int32_t Value::ToLong() const {
  double v = RoundHalfEven(ToDouble());
  if (!(v >= -2147483648.0 && v <= 2147483647.0)) Overflow();
  return static_cast<int32_t>(v);
}

bool Value::ToBoolean() const {
  if (type() == ValueType::kText) {
    const std::string& s = AsText();
    if (s == "True" || s == "true" || s == "TRUE") return true;
    if (s == "False" || s == "false" || s == "FALSE") return false;
  }
  return ToDouble() != 0;
}

bool Value::operator==(const Value& other) const {
  return storage_ == other.storage_;
}

std::string CurrencyToString(Currency v) {
  const bool neg = v.scaled < 0;
  // Work in unsigned so that INT64_MIN is safe.
  uint64_t mag = neg ? 0 - static_cast<uint64_t>(v.scaled)
                     : static_cast<uint64_t>(v.scaled);
  std::string s = std::to_string(mag / 10000);
  uint64_t frac = mag % 10000;
  if (frac != 0) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04u", static_cast<unsigned>(frac));
    std::string f = buf;
    while (!f.empty() && f.back() == '0') f.pop_back();
    s += "." + f;
  }
  if (neg) s.insert(s.begin(), '-');
  return s;
}

std::string DecimalToString(const Decimal& v) {
  std::string digits;
  unsigned __int128 m = v.mantissa;
  do {
    digits.insert(digits.begin(),
                  static_cast<char>('0' + static_cast<int>(m % 10)));
    m /= 10;
  } while (m != 0);
  if (v.scale > 0) {
    if (digits.size() <= v.scale) {
      digits.insert(0, v.scale - digits.size() + 1, '0');
    }
    digits.insert(digits.size() - v.scale, ".");
  }
  if (v.negative && v.mantissa != 0) digits.insert(digits.begin(), '-');
  return digits;
}

std::string DoubleToString(double v) {
  if (v == 0) return "0";
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Infinity" : "Infinity";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", v);  // d.dddddddddddddde±XX
  std::string s = buf;
  size_t epos = s.find('e');
  int exp = std::atoi(s.c_str() + epos + 1);
  std::string mant = s.substr(0, epos);
  bool neg = mant[0] == '-';
  if (neg) mant.erase(0, 1);
  std::string digits = mant.substr(0, 1) + mant.substr(2);  // 15 digits
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out;
  if (exp >= 15 || exp < -5) {
    out = digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    char e[16];
    std::snprintf(e, sizeof e, "E%c%02d", exp < 0 ? '-' : '+', std::abs(exp));
    out += e;
  } else if (exp < 0) {
    out = "0.";
    out.append(static_cast<size_t>(-exp - 1), '0');
    out += digits;
  } else {
    size_t int_len = static_cast<size_t>(exp) + 1;
    if (digits.size() <= int_len) {
      out = digits + std::string(int_len - digits.size(), '0');
    } else {
      out = digits.substr(0, int_len) + "." + digits.substr(int_len);
    }
  }
  if (neg) out.insert(out.begin(), '-');
  return out;
}

std::string DateToIso(Date v) {
  double days = v.days;
  if (!std::isfinite(days) || std::fabs(days) > 3e6) return "invalid-date";
  double whole = std::trunc(days);
  int64_t secs = std::llround(std::fabs(days - whole) * 86400.0);
  int64_t day = static_cast<int64_t>(whole);
  if (secs >= 86400) {  // rounding carried into the next day
    secs -= 86400;
    day += days < 0 ? -1 : 1;
  }
  int64_t y;
  unsigned m, d;
  CivilFromDays(day - 25569, y, m, d);  // 1899-12-30 is 25569 days before 1970
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02uT%02d:%02d:%02d",
                static_cast<long long>(y), m, d, static_cast<int>(secs / 3600),
                static_cast<int>(secs / 60 % 60), static_cast<int>(secs % 60));
  return buf;
}

std::string ToHex(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  s.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    s += kDigits[b >> 4];
    s += kDigits[b & 15];
  }
  return s;
}

std::string GuidToString(const Guid& g) {
  const auto& b = g.bytes;
  char buf[40];
  std::snprintf(
      buf, sizeof buf,
      "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
      b[3], b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11],
      b[12], b[13], b[14], b[15]);
  return buf;
}

}  // namespace base
