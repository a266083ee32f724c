#include "jet/query_key.h"

#include <cmath>
#include <cstring>

#include "base/text.h"

namespace jet {

KeyKind KeyKindOfValue(const base::Value& v) {
  switch (v.type()) {
    case base::ValueType::kText:
      return KeyKind::kText;
    case base::ValueType::kBoolean:
    case base::ValueType::kByte:
    case base::ValueType::kInteger:
    case base::ValueType::kLong:
    case base::ValueType::kCurrency:
    case base::ValueType::kSingle:
    case base::ValueType::kDouble:
    case base::ValueType::kDate:
    case base::ValueType::kDecimal:
      return KeyKind::kNumber;
    default:
      return KeyKind::kNone;
  }
}

namespace {

double NumberOf(const base::Value& v) {
  switch (v.type()) {
    case base::ValueType::kBoolean:
      return v.AsBoolean() ? -1.0 : 0.0;
    case base::ValueType::kDate:
      return v.AsDate().days;
    default:
      return v.ToDouble();
  }
}

}  // namespace

std::optional<std::string> EqualityKey(const base::Value& v) {
  std::string key;
  if (!AppendEqualityKey(key, v)) return std::nullopt;
  return key;
}

void AppendTextKey(std::string& out, std::string_view utf8) {
  out += 'T';
  base::AppendUpperCase(out, utf8);
}

bool AppendEqualityKey(std::string& out, const base::Value& v) {
  switch (KeyKindOfValue(v)) {
    case KeyKind::kText:
      AppendTextKey(out, v.AsText());
      return true;
    case KeyKind::kNumber: {
      double d = NumberOf(v);
      if (d == 0) d = 0;  // -0 and 0 are equal
      if (std::isnan(d)) return false;
      char bytes[sizeof d];
      std::memcpy(bytes, &d, sizeof d);
      out += 'N';
      out.append(bytes, sizeof d);
      return true;
    }
    case KeyKind::kNone:
      break;
  }
  return false;
}

bool SameName(std::string_view a, std::string_view b) {
  bool ascii = true;
  for (char c : a) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  for (char c : b) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (!ascii) return base::EqualsIgnoreCase(a, b);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
    char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

int CompareForOrder(const base::Value& a, const base::Value& b) {
  auto rank = [](const base::Value& v) {
    if (v.IsNull() || v.IsEmpty()) return 0;
    switch (KeyKindOfValue(v)) {
      case KeyKind::kNumber:
        return 1;
      case KeyKind::kText:
        return 2;
      case KeyKind::kNone:
        break;
    }
    return 3;
  };
  int ra = rank(a);
  int rb = rank(b);
  if (ra != rb) return ra < rb ? -1 : 1;
  if (ra == 1) {
    double x = NumberOf(a);
    double y = NumberOf(b);
    return x < y ? -1 : (y < x ? 1 : 0);
  }
  if (ra == 2) {
    std::string x = base::UpperCase(a.AsText());
    std::string y = base::UpperCase(b.AsText());
    return x.compare(y) < 0 ? -1 : (x == y ? 0 : 1);
  }
  return 0;
}

}  // namespace jet
