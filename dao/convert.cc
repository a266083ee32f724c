#include "dao/convert.h"

#include <cmath>
#include <limits>

#include "base/runtime_error.h"
#include "base/text.h"
#include "dao/errors.h"
#include "jet/format.h"

namespace dao_jet {
namespace {

[[noreturn]] void ConversionError() { Throw(kConversionError, kSourceField); }

[[noreturn]] void Overflow() { Throw(kNumericOverflow, kSourceField); }

// The runtime's conversions, with their failures turned into DAO's.
template <typename F>
auto Converted(F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (const base::RuntimeError& e) {
    if (e.number() == kOverflow) Overflow();
    ConversionError();
  }
}

double Number(const base::Value& v) {
  if (v.type() == base::ValueType::kBinary ||
      v.type() == base::ValueType::kGuid) {
    ConversionError();
  }
  return Converted([&] { return v.ToDouble(); });
}

base::Value ToText(const jet::ColumnDef& column, const base::Value& value) {
  if (value.type() == base::ValueType::kBinary) ConversionError();
  std::string text = Converted([&] { return value.ToText(); });
  // A text has at most as many characters as bytes: most need no count.
  if (column.type == jet::format::kTypeText &&
      text.size() > column.length / 2u &&
      base::CharCount(text) > column.length / 2u) {
    Throw(kFieldTooSmall, kSourceField);
  }
  return base::Value::Text(std::move(text));
}

// A number for a Decimal column, rounded to the column's scale.
base::Value ToDecimal(const jet::ColumnDef& column, double v) {
  double scaled = std::nearbyint(std::fabs(v) * std::pow(10.0, column.scale));
  if (!(scaled < std::pow(10.0, column.precision ? column.precision : 18))) {
    Overflow();
  }
  base::Decimal d;
  d.negative = v < 0 && scaled != 0;
  d.precision = column.precision;
  d.scale = column.scale;
  d.mantissa = static_cast<unsigned __int128>(scaled);
  return base::Value::FromDecimal(d);
}

}  // namespace

base::Value ConvertForColumn(const jet::ColumnDef& column,
                             const base::Value& value) {
  namespace f = jet::format;
  if (value.IsEmpty() || value.IsNull()) {
    return column.type == f::kTypeBoolean ? base::Value::Boolean(false)
                                          : base::Value::Null();
  }
  switch (column.type) {
    case f::kTypeBoolean:
      if (value.type() == base::ValueType::kBinary) ConversionError();
      return base::Value::Boolean(Converted([&] { return value.ToBoolean(); }));
    case f::kTypeByte: {
      int32_t v = Converted([&] { return value.ToLong(); });
      if (v < 0 || v > 255) Overflow();
      return base::Value::Byte(static_cast<uint8_t>(v));
    }
    case f::kTypeInteger:
      return base::Value::Integer(Converted([&] { return value.ToInteger(); }));
    case f::kTypeLong:
      return base::Value::Long(Converted([&] { return value.ToLong(); }));
    case f::kTypeSingle: {
      double v = Number(value);
      if (std::fabs(v) > std::numeric_limits<float>::max()) Overflow();
      return base::Value::Single(static_cast<float>(v));
    }
    case f::kTypeDouble:
      return base::Value::Double(Number(value));
    case f::kTypeCurrency: {
      if (value.type() == base::ValueType::kCurrency) return value;
      double scaled = std::nearbyint(Number(value) * 10000.0);
      if (!(std::fabs(scaled) < 9.2233720368547758e18)) Overflow();
      return base::Value::FromCurrency({static_cast<int64_t>(scaled)});
    }
    case f::kTypeDate:
      if (value.type() == base::ValueType::kDate) return value;
      return base::Value::FromDate({Number(value)});
    case f::kTypeText:
    case f::kTypeMemo:
      return ToText(column, value);
    case f::kTypeBinary:
    case f::kTypeOle:
      if (value.type() == base::ValueType::kBinary) return value;
      if (value.type() == base::ValueType::kText) {
        const std::string& s = value.AsText();
        return base::Value::Binary(std::vector<uint8_t>(s.begin(), s.end()));
      }
      ConversionError();
    case f::kTypeGuid:
      if (value.type() == base::ValueType::kGuid) return value;
      ConversionError();
    case f::kTypeNumeric:
      if (value.type() == base::ValueType::kDecimal) return value;
      return ToDecimal(column, Number(value));
  }
  ConversionError();
}

}  // namespace dao_jet
