#ifndef TESTS_JET_PRESET_LAYOUT_H_
#define TESTS_JET_PRESET_LAYOUT_H_

#include <cstddef>
#include <string>
#include <vector>

#include "base/value.h"
#include "jet/format.h"
#include "jet/tdef_writer.h"

namespace jet_test {

// Tables the writer tests, the external checks (write_sample_main.cc) and the
// benchmarks write. First, the columns of the program's preset table.
inline std::vector<jet::FieldDesc> PresetLayout() {
  namespace f = jet::format;
  return {{"ID", f::kTypeLong, 0},
          {"machine_type", f::kTypeText, 50},
          {"type", f::kTypeLong, 0},
          {"part", f::kTypeLong, 0},
          {"var_name", f::kTypeText, 100},
          {"category_id", f::kTypeLong, 0},
          {"isBitArray", f::kTypeBoolean, 0},
          {"offset_or_bitno", f::kTypeLong, 0},
          {"text", f::kTypeText, 255},
          {"page_name", f::kTypeText, 50},
          {"abs_min", f::kTypeDouble, 0},
          {"abs_max", f::kTypeDouble, 0},
          {"min", f::kTypeDouble, 0},
          {"max", f::kTypeDouble, 0},
          {"pass", f::kTypeLong, 0},
          {"shift_no", f::kTypeLong, 0},
          {"shift_name", f::kTypeText, 50}};
}

// Row `i` of that layout; `prefix` starts its var_name.
inline std::vector<base::Value> PresetRow(int i, const std::string& prefix) {
  using base::Value;
  return {Value::Long(i),
          Value::Text("M1"),
          Value::Long(i % 7),
          Value::Long(i % 50),
          Value::Text(prefix + std::to_string(i)),
          Value::Long(3),
          Value::Boolean(i % 2),
          Value::Long(i),
          Value::Text("text"),
          Value::Text("page"),
          Value::Double(0),
          Value::Double(100),
          Value::Double(1),
          Value::Double(99),
          Value::Long(0),
          Value::Long(1),
          Value::Text("shift")};
}

// A column of every type, and row `i` of it: long values (Note, Blob) of
// `long_len` characters and bytes, Latin-1 and Cyrillic text every third row.
inline std::vector<jet::FieldDesc> AllTypes() {
  namespace f = jet::format;
  return {{"ID", f::kTypeLong, 0},       {"Name", f::kTypeText, 50},
          {"Note", f::kTypeMemo, 0},     {"Flag", f::kTypeBoolean, 0},
          {"Small", f::kTypeByte, 0},    {"Int", f::kTypeInteger, 0},
          {"Cash", f::kTypeCurrency, 0}, {"Single", f::kTypeSingle, 0},
          {"Dbl", f::kTypeDouble, 0},    {"When", f::kTypeDate, 0},
          {"Bin", f::kTypeBinary, 20},   {"Blob", f::kTypeOle, 0},
          {"Guid", f::kTypeGuid, 0},     {"Dec", f::kTypeNumeric, 0}};
}

inline std::vector<base::Value> AllTypesRow(int i, size_t long_len) {
  using base::Value;
  base::Guid g;
  for (size_t k = 0; k < 16; ++k) g.bytes[k] = static_cast<uint8_t>(i + k);
  base::Decimal d;
  d.negative = i % 2 == 1;
  d.mantissa = (static_cast<unsigned __int128>(i) << 40) + i * 1000003;
  std::string memo;
  std::vector<uint8_t> blob;
  for (size_t k = 0; k < long_len; ++k) {
    memo += static_cast<char>('a' + (i + k) % 26);
    blob.push_back(static_cast<uint8_t>(k ^ i));
  }
  return {Value::Long(i),
          Value::Text("row " + std::to_string(i) + (i % 3 ? "" : " Grüße Жук")),
          Value::Text(memo),
          Value::Boolean(i % 2 == 0),
          Value::Byte(static_cast<uint8_t>(250 + i % 6)),
          Value::Integer(static_cast<int16_t>(-30000 + i)),
          Value::FromCurrency({-123456789 * int64_t{i}}),
          Value::Single(1.5f * static_cast<float>(i)),
          Value::Double(i * 1.0e-3),
          Value::FromDate({40000.5 + i}),
          Value::Binary({static_cast<uint8_t>(i), 0, 0xFF}),
          Value::Binary(blob),
          Value::FromGuid(g),
          Value::FromDecimal(d)};
}

}  // namespace jet_test

#endif  // TESTS_JET_PRESET_LAYOUT_H_
