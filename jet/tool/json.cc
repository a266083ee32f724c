#include "jet/tool/json.h"

#include <charconv>
#include <cmath>

namespace jet::tool {
namespace {

template <typename T>
void AppendNumber(std::string& out, T v) {
  if (!std::isfinite(v)) {  // JSON has no NaN or infinity
    AppendJsonString(
        out, std::isnan(v) ? "NaN" : (v > 0 ? "Infinity" : "-Infinity"));
    return;
  }
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  for (char ch : s) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out.push_back(kHex[c >> 4]);
          out.push_back(kHex[c & 15]);
        } else {
          out.push_back(ch);
        }
    }
  }
  out.push_back('"');
}

void AppendJsonValue(std::string& out, const base::Value& v) {
  using base::ValueType;
  switch (v.type()) {
    case ValueType::kEmpty:
    case ValueType::kNull:
      out += "null";
      break;
    case ValueType::kBoolean:
      out += v.AsBoolean() ? "true" : "false";
      break;
    case ValueType::kByte:
      AppendNumber(out, static_cast<int>(v.AsByte()));
      break;
    case ValueType::kInteger:
      AppendNumber(out, static_cast<int>(v.AsInteger()));
      break;
    case ValueType::kLong:
      AppendNumber(out, v.AsLong());
      break;
    case ValueType::kSingle:
      AppendNumber(out, v.AsSingle());
      break;
    case ValueType::kDouble:
      AppendNumber(out, v.AsDouble());
      break;
    case ValueType::kCurrency:
      AppendJsonString(out, base::CurrencyToString(v.AsCurrency()));
      break;
    case ValueType::kDecimal:
      AppendJsonString(out, base::DecimalToString(v.AsDecimal()));
      break;
    case ValueType::kDate:
      AppendJsonString(out, base::DateToIso(v.AsDate()));
      break;
    case ValueType::kText:
      AppendJsonString(out, v.AsText());
      break;
    case ValueType::kBinary:
      AppendJsonString(out, base::ToHex(v.AsBinary()));
      break;
    case ValueType::kGuid:
      AppendJsonString(out, base::GuidToString(v.AsGuid()));
      break;
  }
}

}  // namespace jet::tool
