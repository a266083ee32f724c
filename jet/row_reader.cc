#include "jet/row_reader.h"

#include "base/packed_values.h"
#include "jet/lval.h"
#include "jet/tdef.h"
#include "jet/text_codec.h"

namespace jet {
namespace {

// Whether a row of `row_columns` columns was written while the table had a
// variable column: only then does it carry the variable-offset table.
bool RowHasVarTable(const TableDef& def, uint16_t row_columns) {
  for (const ColumnDef& c : def.columns) {
    if (!c.IsFixed() && c.number < row_columns) return true;
  }
  return false;
}

}  // namespace

RowLayout::RowLayout(Bytes row, const TableDef& def) : row_(row) {
  column_count_ = U16(row, format::kRowColumnCount, "row column count");
  const bool has_var_table = RowHasVarTable(def, column_count_);
  size_t mask_len = (column_count_ + 7u) / 8u;
  if (2 + mask_len > row.size()) ThrowCorrupt("row shorter than its null mask");
  mask_ = row.subspan(row.size() - mask_len);
  size_t end = row.size() - mask_len;
  if (has_var_table) {
    if (end < 4) ThrowCorrupt("row without its variable-column table");
    var_count_ = U16(row, end - 2);
    size_t need = 4 + 2u * var_count_;
    if (end < need + 2) ThrowCorrupt("variable-column table exceeds the row");
    var_table_ = end - 4;
    eod_ = U16(row, end - 4 - 2u * var_count_);
    fixed_end_ = end - need;
    if (eod_ > fixed_end_) ThrowCorrupt("variable data exceeds the row");
  } else {
    fixed_end_ = end;
  }
}

bool RowLayout::MaskBit(uint16_t column_number) const {
  if (column_number >= column_count_) return false;
  return (mask_[column_number / 8] >> (column_number % 8)) & 1;
}

std::optional<Bytes> RowLayout::Fixed(const ColumnDef& c) const {
  if (c.number >= column_count_) return std::nullopt;
  size_t start = format::kRowFixedStart + c.fixed_offset;
  if (start > fixed_end_ || c.length > fixed_end_ - start) {
    ThrowCorrupt("fixed column outside its row");
  }
  return row_.subspan(start, c.length);
}

std::optional<Bytes> RowLayout::Var(uint16_t index) const {
  if (index >= var_count_) return std::nullopt;
  uint16_t start = U16(row_, var_table_ - 2u * index);
  uint16_t end = index + 1u < var_count_
                     ? U16(row_, var_table_ - 2u * (index + 1u))
                     : eod_;
  if (start > end || end > eod_)
    ThrowCorrupt("variable column outside its row");
  return row_.subspan(start, end - start);
}

base::Value DecodeFixedValue(const ColumnDef& c, Bytes b) {
  switch (c.type) {
    case format::kTypeByte:
      return base::Value::Byte(U8(b, 0, "byte value"));
    case format::kTypeInteger:
      return base::Value::Integer(
          static_cast<int16_t>(U16(b, 0, "integer value")));
    case format::kTypeLong:
      return base::Value::Long(static_cast<int32_t>(U32(b, 0, "long value")));
    case format::kTypeCurrency:
      return base::Value::FromCurrency(
          {static_cast<int64_t>(U64(b, 0, "currency value"))});
    case format::kTypeSingle:
      return base::Value::Single(F32(b, 0, "single value"));
    case format::kTypeDouble:
      return base::Value::Double(F64(b, 0, "double value"));
    case format::kTypeDate:
      return base::Value::FromDate({F64(b, 0, "date value")});
    case format::kTypeGuid: {
      Bytes g = Sub(b, 0, 16, "GUID value");
      base::Guid guid;
      std::copy(g.begin(), g.end(), guid.bytes.begin());
      return base::Value::FromGuid(guid);
    }
    case format::kTypeNumeric: {
      Bytes n = Sub(b, 0, format::kNumericLength, "decimal value");
      base::Decimal d;
      d.negative = (n[0] & 0x80) != 0;
      d.precision = c.precision;
      d.scale = c.scale;
      unsigned __int128 m = 0;
      for (int w = 0; w < 4; ++w) m = (m << 32) | U32(n, 1 + 4 * w);
      d.mantissa = m;
      return base::Value::FromDecimal(d);
    }
    default:
      ThrowCorrupt("unknown column type");
  }
}

std::vector<base::Value> RowReader::Decode(Bytes row) const {
  std::vector<base::Value> out;
  Decode(row, out);
  return out;
}

void RowReader::Decode(Bytes row, std::vector<base::Value>& out) const {
  RowLayout layout(row, def_);
  out.clear();
  out.reserve(def_.columns.size());
  for (const ColumnDef& c : def_.columns)
    out.push_back(DecodeColumn(layout, c));
}

namespace {

template <typename T>
void AppendCellOf(std::vector<uint8_t>& out, base::ValueType type, T v) {
  base::AppendFixedCell(out, type, &v, sizeof v);
}

// The cell of a fixed-area value of the column's type (not Numeric), whose
// bytes hold the type's width: the cell of DecodeFixedValue's value.
void AppendFixedValueCell(const ColumnDef& c, Bytes b,
                          std::vector<uint8_t>& out) {
  using base::ValueType;
  switch (c.type) {
    case format::kTypeByte:
      return AppendCellOf(out, ValueType::kByte, U8(b, 0));
    case format::kTypeInteger:
      return AppendCellOf(out, ValueType::kInteger,
                          static_cast<int16_t>(U16(b, 0)));
    case format::kTypeLong:
      return AppendCellOf(out, ValueType::kLong,
                          static_cast<int32_t>(U32(b, 0)));
    case format::kTypeCurrency:
      return AppendCellOf(out, ValueType::kCurrency,
                          static_cast<int64_t>(U64(b, 0)));
    case format::kTypeSingle:
      return AppendCellOf(out, ValueType::kSingle, F32(b, 0));
    case format::kTypeDouble:
      return AppendCellOf(out, ValueType::kDouble, F64(b, 0));
    case format::kTypeDate:
      return AppendCellOf(out, ValueType::kDate, F64(b, 0));
    default:
      base::AppendCell(out, DecodeFixedValue(c, b));
  }
}

}  // namespace

void RowReader::Check(Bytes row) const {
  RowLayout layout(row, def_);
  for (const ColumnDef& c : def_.columns) {
    if (c.type == format::kTypeBoolean) continue;
    std::optional<Bytes> bytes = ColumnBytes(layout, c);
    if (!bytes || c.type == format::kTypeText ||
        c.type == format::kTypeBinary) {
      continue;
    }
    if (c.IsLongValue()) {
      (void)DecodeColumn(layout, c);
    } else if (!c.IsFixed() || FixedLength(c.type) == 0 ||
               c.length < FixedLength(c.type)) {
      // A fixed area value has the column's length, which decides alone
      // whether decoding it can fail.
      (void)DecodeFixedValue(c, *bytes);
    }
  }
}

std::optional<Bytes> RowReader::ColumnBytes(const RowLayout& layout,
                                            const ColumnDef& c) const {
  if (!layout.MaskBit(c.number)) return std::nullopt;
  return c.IsFixed() ? layout.Fixed(c) : layout.Var(c.var_index);
}

base::Value RowReader::DecodeColumn(const RowLayout& layout,
                                    const ColumnDef& c) const {
  if (c.type == format::kTypeBoolean) {
    return base::Value::Boolean(layout.MaskBit(c.number));
  }
  std::optional<Bytes> bytes = ColumnBytes(layout, c);
  if (!bytes) return base::Value::Null();
  switch (c.type) {
    case format::kTypeText:
      return base::Value::Text(DecodeText(*bytes));
    case format::kTypeBinary:
      return base::Value::Binary(
          std::vector<uint8_t>(bytes->begin(), bytes->end()));
    case format::kTypeMemo:
      return base::Value::Text(DecodeText(ReadLongValue(file_, *bytes)));
    case format::kTypeOle:
      return base::Value::Binary(ReadLongValue(file_, *bytes));
    default:
      return DecodeFixedValue(c, *bytes);
  }
}

void RowReader::DecodeCells(Bytes row, std::vector<uint8_t>& out,
                            std::string& text) const {
  RowLayout layout(row, def_);
  out.clear();
  for (const ColumnDef& c : def_.columns) {
    // Texts and short binary data straight from the row; the rest as
    // Decode reads them.
    if (c.type == format::kTypeText || c.type == format::kTypeBinary) {
      std::optional<Bytes> bytes = ColumnBytes(layout, c);
      if (!bytes) {
        base::AppendCell(out, base::Value::Null());
      } else if (c.type == format::kTypeText) {
        DecodeTextTo(*bytes, text);
        base::AppendBytesCell(out, base::ValueType::kText, text);
      } else {
        base::AppendBytesCell(
            out, base::ValueType::kBinary,
            {reinterpret_cast<const char*>(bytes->data()), bytes->size()});
      }
      continue;
    }
    if (c.type == format::kTypeBoolean) {
      const bool set = layout.MaskBit(c.number);
      base::AppendFixedCell(out, base::ValueType::kBoolean, &set, sizeof set);
      continue;
    }
    if (c.IsFixed() && FixedLength(c.type) != 0 &&
        c.length >= FixedLength(c.type) && c.type != format::kTypeNumeric) {
      // Numbers of the fixed area straight into their cells, as
      // DecodeFixedValue reads them.
      std::optional<Bytes> bytes = ColumnBytes(layout, c);
      if (!bytes) {
        base::AppendFixedCell(out, base::ValueType::kNull, nullptr, 0);
      } else {
        AppendFixedValueCell(c, *bytes, out);
      }
      continue;
    }
    base::AppendCell(out, DecodeColumn(layout, c));
  }
}

}  // namespace jet
