// Writing with the engine alone: 30,000 rows of the preset layout inserted
// and then every one updated, as a build of a large template does.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/value.h"
#include "jet/database_write.h"
#include "jet/format.h"

namespace {

using base::Value;
namespace f = jet::format;

std::vector<Value> PresetRow(int i, const std::string& prefix) {
  return {Value::Long(i),       Value::Text("M1"),
          Value::Long(i % 7),   Value::Long(i % 50),
          Value::Text(prefix + std::to_string(i)),
          Value::Long(3),       Value::Boolean(i % 2),
          Value::Long(i),       Value::Text("text"),
          Value::Text("page"),  Value::Double(0),
          Value::Double(100),   Value::Double(1),
          Value::Double(99),    Value::Long(0),
          Value::Long(1),       Value::Text("shift")};
}

void BM_InsertThenUpdate30000(benchmark::State& state) {
  for (auto _ : state) {
    auto w = jet::DatabaseWriter::CreateNew();
    w->CreateTable("PRESET_DEFS", {{"ID", f::kTypeLong, 0},
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
                                   {"shift_name", f::kTypeText, 50}});
    std::vector<jet::RowId> ids;
    ids.reserve(30000);
    for (int i = 0; i < 30000; ++i) {
      ids.push_back(w->Insert("PRESET_DEFS", PresetRow(i, "v_")));
    }
    for (int i = 0; i < 30000; ++i) {
      w->Update("PRESET_DEFS", ids[static_cast<size_t>(i)],
                PresetRow(i, "VW_v_"));
    }
    w->Flush();
    benchmark::DoNotOptimize(w->bytes().size());
  }
}
BENCHMARK(BM_InsertThenUpdate30000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
