#ifndef TESTS_JET_PRESET_LAYOUT_H_
#define TESTS_JET_PRESET_LAYOUT_H_

#include <string>
#include <vector>

#include "base/value.h"
#include "jet/format.h"
#include "jet/tdef_writer.h"

namespace jet_test {

// The columns of the program's preset table, for tests and benchmarks that
// write tables of its shape.
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

}  // namespace jet_test

#endif  // TESTS_JET_PRESET_LAYOUT_H_
