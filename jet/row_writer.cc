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

[[noreturn]] void Overflow() {
  throw base::Error(base::err::kOverflow, kErrorSource);
}

// A Currency value in ten-thousandths; other numbers are rounded to them
// and must lie in the 64-bit range (6 otherwise).
int64_t CurrencyOf(const base::Value& v) {
  if (v.type() == base::ValueType::kCurrency) return v.AsCurrency().scaled;
  const double d = std::nearbyint(v.ToDouble() * 10000.0);
  if (!(d >= -0x1p63 && d < 0x1p63)) Overflow();
  return static_cast<int64_t>(d);
}

// 10^precision: the first mantissa a Decimal column of that precision cannot
// hold (Jet's precision is 1..28; anything else is held to 28 digits).
unsigned __int128 DecimalLimit(uint8_t precision) {
  const int digits = precision >= 1 && precision <= 28 ? precision : 28;
  unsigned __int128 limit = 1;
  for (int i = 0; i < digits; ++i) limit *= 10;
  return limit;
}

// Little-endian bytes of `v` at `out`; returns the byte after them.
uint8_t* PutLe(uint8_t* out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) *out++ = static_cast<uint8_t>(v >> (8 * i));
  return out;
}

// Sign byte, then the mantissa as four 32-bit words, most significant
// first, each little-endian. The scale must be the column's (13), the
// digits within its precision (6).
uint8_t* PutDecimal(const ColumnDef& c, const base::Value& v, uint8_t* out) {
  if (v.type() != base::ValueType::kDecimal) Mismatch();
  const base::Decimal& d = v.AsDecimal();
  if (d.scale != c.scale) Mismatch();
  if (d.mantissa >= DecimalLimit(c.precision)) Overflow();
  *out++ = d.negative ? 0x80 : 0x00;
  for (int w = 3; w >= 0; --w) {
    out = PutLe(out, static_cast<uint32_t>(d.mantissa >> (32 * w)), 4);
  }
  return out;
}

// The widest fixed-size value (a Decimal).
constexpr size_t kMaxFixedBytes = format::kNumericLength;

// CInt and CLng of a value; the value itself when it has the type already.
int16_t IntegerOf(const base::Value& v) {
  return v.type() == base::ValueType::kInteger ? v.AsInteger() : v.ToInteger();
}
int32_t LongOf(const base::Value& v) {
  switch (v.type()) {
    case base::ValueType::kLong:
      return v.AsLong();
    case base::ValueType::kInteger:
      return v.AsInteger();
    default:
      return v.ToLong();
  }
}

// The value bytes of a fixed-size column at `out` (room for
// kMaxFixedBytes); returns how many. Conversions fail as EncodeFixedValue.
size_t PutFixedValue(const ColumnDef& c, const base::Value& v, uint8_t* out) {
  uint8_t* const start = out;
  switch (c.type) {
    case format::kTypeByte: {
      const int32_t x = LongOf(v);
      if (x < 0 || x > 255) Overflow();
      *out++ = static_cast<uint8_t>(x);
      break;
    }
    case format::kTypeInteger:
      out = PutLe(out, static_cast<uint16_t>(IntegerOf(v)), 2);
      break;
    case format::kTypeLong:
      out = PutLe(out, static_cast<uint32_t>(LongOf(v)), 4);
      break;
    case format::kTypeCurrency:
      out = PutLe(out, static_cast<uint64_t>(CurrencyOf(v)), 8);
      break;
    case format::kTypeSingle: {
      const float f = static_cast<float>(v.ToDouble());
      uint32_t bits;
      std::memcpy(&bits, &f, 4);
      out = PutLe(out, bits, 4);
      break;
    }
    case format::kTypeDouble:
    case format::kTypeDate: {
      const double d = c.type == format::kTypeDate ? DateOf(v) : v.ToDouble();
      uint64_t bits;
      std::memcpy(&bits, &d, 8);
      out = PutLe(out, bits, 8);
      break;
    }
    case format::kTypeGuid: {
      if (v.type() != base::ValueType::kGuid) Mismatch();
      const auto& g = v.AsGuid().bytes;
      out = std::copy(g.begin(), g.end(), out);
      break;
    }
    case format::kTypeNumeric:
      out = PutDecimal(c, v, out);
      break;
    default:
      ThrowCorrupt("column type is not fixed-size");
  }
  const size_t n = static_cast<size_t>(out - start);
  if (n != c.length) ThrowCorrupt("fixed column length");
  return n;
}

// A text value's stored bytes straight from plain ASCII UTF-8 (what
// EncodeText makes of it); false for any other text, which takes the
// general way. 3163 when it is longer than the column.
bool AppendAsciiText(const ColumnDef& c, const base::Value& v,
                     std::vector<uint8_t>& out) {
  if (v.type() != base::ValueType::kText) return false;
  const std::string& s = v.AsText();
  // One pass, eight bytes a step: any non-ASCII byte, any zero character.
  constexpr uint64_t kLow = 0x0101010101010101ULL;
  constexpr uint64_t kHigh = 0x8080808080808080ULL;
  const char* p = s.data();
  const size_t n = s.size();
  uint64_t high = 0;
  uint64_t zero = 0;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    high |= w;
    zero |= (w - kLow) & ~w;  // the high bit of a zero byte (exact for ASCII)
  }
  for (; i < n; ++i) {
    const uint64_t b = static_cast<unsigned char>(p[i]);
    high |= b;
    zero |= b == 0 ? 0x80u : 0u;
  }
  if ((high & kHigh) != 0) return false;
  if (n * 2 > c.length) TooSmall();
  const size_t at = out.size();
  if (c.IsCompressible() && (zero & kHigh) == 0 && n > 2 &&
      n <= format::kMaxCompressibleChars) {
    out.resize(at + 2 + n);
    out[at] = format::kCompressedMarker0;
    out[at + 1] = format::kCompressedMarker1;
    std::memcpy(out.data() + at + 2, p, n);
    return true;
  }
  out.resize(at + 2 * n);
  uint8_t* dst = out.data() + at;
  for (size_t k = 0; k < n; ++k) {
    dst[2 * k] = static_cast<uint8_t>(p[k]);
    dst[2 * k + 1] = 0;
  }
  return true;
}

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
  uint8_t bytes[kMaxFixedBytes];
  const size_t n = PutFixedValue(c, v, bytes);
  return std::vector<uint8_t>(bytes, bytes + n);
}

namespace {

// The value of a column number, or null past the given values (Null).
const base::Value* ValueOf(const std::vector<base::Value>& by_number,
                           uint16_t number) {
  return number < by_number.size() ? &by_number[number] : nullptr;
}

bool IsNullish(const base::Value* v) { return !v || IsNullish(*v); }

// A buffer of `n` elements that lives on the stack when `n` is at most
// N (tables of ordinary width), else on the heap.
template <typename T, size_t N>
class InlineBuffer {
 public:
  InlineBuffer(size_t n, T fill) : size_(n) {
    if (n > N) heap_.resize(n);
    std::fill(data(), data() + n, fill);
  }
  InlineBuffer(const InlineBuffer&) = delete;
  InlineBuffer& operator=(const InlineBuffer&) = delete;
  T* data() { return size_ > N ? heap_.data() : small_; }
  const T* data() const { return size_ > N ? heap_.data() : small_; }
  T& operator[](size_t i) { return data()[i]; }
  const T& operator[](size_t i) const { return data()[i]; }
  size_t size() const { return size_; }
  T* begin() { return data(); }
  T* end() { return data() + size_; }

 private:
  size_t size_;
  T small_[N];
  std::vector<T> heap_;
};

// The null mask: one bit per column number up to max_cols; set = a value
// (for Booleans: true).
class NullMask {
 public:
  explicit NullMask(uint16_t max_cols) : bits_((max_cols + 7u) / 8u, 0) {}
  void Set(uint16_t number) {
    if (number / 8u >= bits_.size())
      ThrowCorrupt("column number beyond max_cols");
    bits_[number / 8u] =
        static_cast<uint8_t>(bits_[number / 8u] | (1u << (number % 8u)));
  }
  size_t size() const { return bits_.size(); }
  void AppendTo(std::vector<uint8_t>& row) const {
    row.insert(row.end(), bits_.data(), bits_.data() + bits_.size());
  }

 private:
  InlineBuffer<uint8_t, 32> bits_;
};

// What EncodeRow needs of the column list, gathered in one pass: the fixed
// area's size, the variable columns in slot order and the slot count (one
// per slot index up to the highest in use, at least as many as the
// definition counts).
struct RowShape {
  explicit RowShape(const TableDef& t) : var_cols(t.columns.size(), nullptr) {
    bool in_order = true;
    for (const ColumnDef& c : t.columns) {
      if (c.IsFixed()) {
        fixed_size = std::max<uint16_t>(
            fixed_size, static_cast<uint16_t>(c.fixed_offset + c.length));
        continue;
      }
      if (var_count > 0 && c.var_index < var_cols[var_count - 1]->var_index) {
        in_order = false;
      }
      var_cols[var_count++] = &c;
      slot_count = std::max<uint16_t>(slot_count,
                                      static_cast<uint16_t>(c.var_index + 1));
    }
    if (var_count > 0) slot_count = std::max(slot_count, t.var_col_count);
    if (!in_order) {
      std::sort(var_cols.begin(), var_cols.begin() + var_count,
                [](const ColumnDef* a, const ColumnDef* b) {
                  return a->var_index < b->var_index;
                });
    }
  }
  uint16_t fixed_size = 0;
  uint16_t slot_count = 0;
  size_t var_count = 0;
  InlineBuffer<const ColumnDef*, 64> var_cols;
};

// The column count and the fixed area: every fixed column at its offset
// (zeros for Null), Booleans in the mask only.
void AppendFixedPart(const TableDef& t,
                     const std::vector<base::Value>& by_number,
                     uint16_t fixed_size, NullMask& mask,
                     std::vector<uint8_t>& row) {
  AppendU16(row, t.max_cols);
  row.resize(format::kRowFixedStart + fixed_size, 0);
  for (const ColumnDef& c : t.columns) {
    if (!c.IsFixed()) continue;
    const base::Value* v = ValueOf(by_number, c.number);
    if (c.type == format::kTypeBoolean) {
      if (!IsNullish(v) && v->ToBoolean()) mask.Set(c.number);
      continue;
    }
    if (IsNullish(v)) continue;
    uint8_t bytes[kMaxFixedBytes];
    const size_t n = PutFixedValue(c, *v, bytes);
    if (c.fixed_offset + n > fixed_size) ThrowCorrupt("fixed offset");
    uint8_t* const at = row.data() + format::kRowFixedStart + c.fixed_offset;
    // The usual widths as fixed-size copies (no call per value).
    switch (n) {
      case 1:
        *at = bytes[0];
        break;
      case 2:
        std::memcpy(at, bytes, 2);
        break;
      case 4:
        std::memcpy(at, bytes, 4);
        break;
      case 8:
        std::memcpy(at, bytes, 8);
        break;
      default:
        std::memcpy(at, bytes, n);
    }
    mask.Set(c.number);
  }
}

const ColumnMaps* LongValueMaps(const TableDef& t, const ColumnDef& c) {
  for (const ColumnMaps& m : t.column_maps) {
    if (m.column_number == c.number) return &m;
  }
  return nullptr;
}

// The stored bytes of a non-Null value of a variable column. A long value
// is written through `lval`, inline when it fits in `room` bytes.
std::vector<uint8_t> EncodeVarValue(const TableDef& t, const ColumnDef& c,
                                    const base::Value& v, LvalWriter* lval,
                                    size_t room) {
  switch (c.type) {
    case format::kTypeText: {
      const std::u16string s = base::Utf8ToUtf16(v.ToText());
      if (s.size() * 2 > c.length) TooSmall();
      return EncodeText(s, c.IsCompressible());
    }
    case format::kTypeBinary: {
      std::vector<uint8_t> bytes = BinaryOf(v);
      if (bytes.size() > c.length) TooSmall();
      return bytes;
    }
    case format::kTypeMemo:
    case format::kTypeOle: {
      const std::vector<uint8_t> data =
          c.type == format::kTypeMemo
              ? EncodeText(base::Utf8ToUtf16(v.ToText()), c.IsCompressible())
              : BinaryOf(v);
      const ColumnMaps* maps = LongValueMaps(t, c);
      if (maps == nullptr || lval == nullptr)
        ThrowCorrupt("long value column without usage maps");
      return lval->Write(*maps, data, room);
    }
    default:
      // Long, Date, ... columns flagged variable (system tables).
      return EncodeFixedValue(c, v);
  }
}

// Appends the variable data to `row`, then the end-of-data offset, the
// slot offsets in reverse and their count (slots of deleted columns stay
// empty). Long values get the room the row limit leaves after what is
// known, keeping a header's worth for each later variable column.
void AppendVarData(const TableDef& t, const std::vector<base::Value>& by_number,
                   const RowShape& shape, NullMask& mask, LvalWriter* lval,
                   std::vector<uint8_t>& row) {
  const uint16_t var_count = shape.slot_count;
  const size_t trailer = 2 + 2 * size_t{var_count} + 2 + mask.size();
  InlineBuffer<uint16_t, 64> offsets(var_count, 0);
  size_t next = 0;
  for (uint16_t slot = 0; slot < var_count; ++slot) {
    offsets[slot] = static_cast<uint16_t>(row.size());
    if (next >= shape.var_count || shape.var_cols[next]->var_index != slot)
      continue;
    const ColumnDef& c = *shape.var_cols[next++];
    const base::Value* value = ValueOf(by_number, c.number);
    if (IsNullish(value)) continue;
    const base::Value& v = *value;
    if (c.type == format::kTypeText && AppendAsciiText(c, v, row)) {
      mask.Set(c.number);
      continue;
    }
    const size_t used = row.size() + trailer +
                        format::kLvalHeaderSize * (shape.var_count - next);
    const size_t room =
        used < format::kMaxRowSize ? format::kMaxRowSize - used : 0;
    const std::vector<uint8_t> bytes = EncodeVarValue(t, c, v, lval, room);
    row.insert(row.end(), bytes.begin(), bytes.end());
    mask.Set(c.number);
  }
  // The end offset, the slot offsets in reverse, their count: one resize.
  const size_t at = row.size();
  row.resize(at + 4 + 2 * size_t{var_count});
  uint8_t* out = row.data() + at;
  auto put = [&out](uint16_t v) {
    *out++ = static_cast<uint8_t>(v);
    *out++ = static_cast<uint8_t>(v >> 8);
  };
  put(static_cast<uint16_t>(at));
  for (size_t k = var_count; k-- > 0;) put(offsets[k]);
  put(var_count);
}

}  // namespace

std::vector<uint8_t> EncodeRow(const TableDef& t,
                               const std::vector<base::Value>& by_number,
                               LvalWriter* lval) {
  const RowShape shape(t);
  NullMask mask(t.max_cols);
  std::vector<uint8_t> row;
  // Room for the fixed part, the trailer and typical variable data at once.
  row.reserve(format::kRowFixedStart + shape.fixed_size + 4 +
              2 * size_t{shape.slot_count} + mask.size() + 256);
  AppendFixedPart(t, by_number, shape.fixed_size, mask, row);
  if (shape.slot_count > 0) {
    AppendVarData(t, by_number, shape, mask, lval, row);
  }
  mask.AppendTo(row);
  if (row.size() > format::kMaxRowSize) TooSmall();
  return row;
}

}  // namespace jet
