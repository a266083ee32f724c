#include "jet/row_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/runtime_error.h"
#include "base/text.h"
#include "jet/errors.h"
#include "jet/format.h"
#include "jet/page_allocator.h"
#include "jet/tdef_writer.h"

namespace jet {
namespace {

[[noreturn]] void TooSmall() {
  throw base::Error(base::err::kFieldTooSmall, kErrorSource);
}

[[noreturn]] void Mismatch() {
  throw base::Error(base::err::kTypeMismatch, kErrorSource);
}

void PutLe(std::vector<uint8_t>& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> BinaryOf(const base::Value& v) {
  if (v.type() == base::ValueType::kBinary) return v.AsBinary();
  if (v.type() == base::ValueType::kText) {
    const std::string& s = v.AsText();
    return std::vector<uint8_t>(s.begin(), s.end());
  }
  Mismatch();
}

double DateOf(const base::Value& v) {
  if (v.type() == base::ValueType::kDate) return v.AsDate().days;
  return v.ToDouble();
}

bool IsNullish(const base::Value& v) { return v.IsNull() || v.IsEmpty(); }

}  // namespace

std::vector<uint8_t> EncodeText(const std::u16string& text, bool compressible) {
  std::vector<uint8_t> out;
  bool compress = compressible && text.size() > 2 &&
                  text.size() <= format::kMaxCompressibleChars;
  for (char16_t ch : text) {
    if (ch == 0 || ch > 0xFF) compress = false;
  }
  if (compress) {
    out.reserve(text.size() + 2);
    out.push_back(format::kCompressedMarker0);
    out.push_back(format::kCompressedMarker1);
    for (char16_t ch : text) out.push_back(static_cast<uint8_t>(ch));
    return out;
  }
  out.reserve(text.size() * 2);
  for (char16_t ch : text) AppendU16(out, static_cast<uint16_t>(ch));
  return out;
}

std::vector<uint8_t> EncodeFixedValue(const ColumnDef& c,
                                      const base::Value& v) {
  std::vector<uint8_t> out;
  switch (c.type) {
    case format::kTypeByte: {
      const int32_t x = v.ToLong();
      if (x < 0 || x > 255) {
        throw base::Error(base::err::kOverflow, kErrorSource);
      }
      out.push_back(static_cast<uint8_t>(x));
      break;
    }
    case format::kTypeInteger:
      PutLe(out, static_cast<uint16_t>(v.ToInteger()), 2);
      break;
    case format::kTypeLong:
      PutLe(out, static_cast<uint32_t>(v.ToLong()), 4);
      break;
    case format::kTypeCurrency: {
      int64_t scaled;
      if (v.type() == base::ValueType::kCurrency) {
        scaled = v.AsCurrency().scaled;
      } else {
        const double d = std::nearbyint(v.ToDouble() * 10000.0);
        if (!(std::fabs(d) < 9.2e18)) {
          throw base::Error(base::err::kOverflow, kErrorSource);
        }
        scaled = static_cast<int64_t>(d);
      }
      PutLe(out, static_cast<uint64_t>(scaled), 8);
      break;
    }
    case format::kTypeSingle: {
      const float f = static_cast<float>(v.ToDouble());
      uint32_t bits;
      std::memcpy(&bits, &f, 4);
      PutLe(out, bits, 4);
      break;
    }
    case format::kTypeDouble:
    case format::kTypeDate: {
      const double d = c.type == format::kTypeDate ? DateOf(v) : v.ToDouble();
      uint64_t bits;
      std::memcpy(&bits, &d, 8);
      PutLe(out, bits, 8);
      break;
    }
    case format::kTypeGuid: {
      if (v.type() != base::ValueType::kGuid) Mismatch();
      const auto& g = v.AsGuid().bytes;
      out.assign(g.begin(), g.end());
      break;
    }
    case format::kTypeNumeric: {
      if (v.type() != base::ValueType::kDecimal) Mismatch();
      const base::Decimal& d = v.AsDecimal();
      if (d.scale != c.scale) Mismatch();
      out.push_back(d.negative ? 0x80 : 0x00);
      // Four 32-bit words, most significant first, each little-endian.
      for (int w = 3; w >= 0; --w) {
        PutLe(out, static_cast<uint32_t>(d.mantissa >> (32 * w)), 4);
      }
      break;
    }
    default:
      ThrowCorrupt("column type is not fixed-size");
  }
  if (out.size() != c.length) ThrowCorrupt("fixed column length");
  return out;
}

std::vector<uint8_t> EncodeRow(const TableDef& t,
                               const std::vector<base::Value>& by_number,
                               LvalWriter* lval) {
  static const base::Value kNull = base::Value::Null();
  auto value_of = [&](uint16_t number) -> const base::Value& {
    return number < by_number.size() ? by_number[number] : kNull;
  };
  const size_t mask_len = (t.max_cols + 7) / 8;
  std::vector<uint8_t> mask(mask_len, 0);
  auto set_bit = [&](uint16_t n) {
    if (n / 8 >= mask_len) ThrowCorrupt("column number beyond max_cols");
    mask[n / 8] = static_cast<uint8_t>(mask[n / 8] | (1 << (n % 8)));
  };

  std::vector<uint8_t> row;
  AppendU16(row, t.max_cols);
  const uint16_t fixed_size = FixedAreaSize(t.columns);
  row.resize(2 + fixed_size, 0);

  uint16_t var_count = 0;
  std::vector<const ColumnDef*> var_cols;
  for (const ColumnDef& c : t.columns) {
    const base::Value& v = value_of(c.number);
    if (c.IsFixed()) {
      if (c.type == format::kTypeBoolean) {
        if (!IsNullish(v) && v.ToBoolean()) set_bit(c.number);
        continue;
      }
      if (IsNullish(v)) continue;
      std::vector<uint8_t> bytes = EncodeFixedValue(c, v);
      if (c.fixed_offset + bytes.size() > fixed_size)
        ThrowCorrupt("fixed offset");
      std::copy(bytes.begin(), bytes.end(), row.begin() + 2 + c.fixed_offset);
      set_bit(c.number);
    } else {
      var_cols.push_back(&c);
      var_count =
          std::max<uint16_t>(var_count, static_cast<uint16_t>(c.var_index + 1));
    }
  }
  if (var_count == 0 && var_cols.empty()) {
    row.insert(row.end(), mask.begin(), mask.end());
    if (row.size() > format::kMaxRowSize) TooSmall();
    return row;
  }
  var_count = std::max(var_count, t.var_col_count);
  std::sort(var_cols.begin(), var_cols.end(),
            [](const ColumnDef* a, const ColumnDef* b) {
              return a->var_index < b->var_index;
            });
  // Room left for inline long values: the row limit minus what is known.
  std::vector<uint16_t> offsets(var_count, 0);
  size_t next_var = 0;
  for (uint16_t k = 0; k < var_count; ++k) {
    offsets[k] = static_cast<uint16_t>(row.size());
    if (next_var >= var_cols.size() || var_cols[next_var]->var_index != k) {
      continue;  // slot of a deleted column
    }
    const ColumnDef& c = *var_cols[next_var++];
    const base::Value& v = value_of(c.number);
    if (IsNullish(v)) continue;
    std::vector<uint8_t> bytes;
    if (c.type == format::kTypeText) {
      const std::u16string s = base::Utf8ToUtf16(v.ToText());
      if (s.size() * 2 > c.length) TooSmall();
      bytes = EncodeText(s, c.IsCompressible());
    } else if (c.type == format::kTypeBinary) {
      bytes = BinaryOf(v);
      if (bytes.size() > c.length) TooSmall();
    } else if (c.IsLongValue()) {
      std::vector<uint8_t> data;
      if (c.type == format::kTypeMemo) {
        data = EncodeText(base::Utf8ToUtf16(v.ToText()), c.IsCompressible());
      } else {
        data = BinaryOf(v);
      }
      const auto* maps = [&]() -> const ColumnMaps* {
        for (const ColumnMaps& m : t.column_maps) {
          if (m.column_number == c.number) return &m;
        }
        return nullptr;
      }();
      if (maps == nullptr || lval == nullptr) {
        ThrowCorrupt("long value column without usage maps");
      }
      const size_t tail = 2 + 2 * size_t{var_count} + 2 + mask_len;
      const size_t used = row.size() + tail + 12 * (var_cols.size() - next_var);
      const size_t room =
          used < format::kMaxRowSize ? format::kMaxRowSize - used : 0;
      bytes = lval->Write(*maps, data, room);
    } else {
      // Long, Date, ... columns flagged variable (system tables).
      bytes = EncodeFixedValue(c, v);
    }
    row.insert(row.end(), bytes.begin(), bytes.end());
    set_bit(c.number);
  }
  const uint16_t eod = static_cast<uint16_t>(row.size());
  AppendU16(row, eod);
  for (uint16_t k = var_count; k-- > 0;) AppendU16(row, offsets[k]);
  AppendU16(row, var_count);
  row.insert(row.end(), mask.begin(), mask.end());
  if (row.size() > format::kMaxRowSize) TooSmall();
  return row;
}

}  // namespace jet
