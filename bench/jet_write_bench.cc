// Writing with the engine alone: 30,000 rows of the preset layout inserted
// and then every one updated, as a build of a large template does.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/value.h"
#include "jet/database_write.h"
#include "tests/jet/preset_layout.h"

namespace {

void BM_InsertThenUpdate30000(benchmark::State& state) {
  for (auto _ : state) {
    auto w = jet::DatabaseWriter::CreateNew();
    w->CreateTable("PRESET_DEFS", jet_test::PresetLayout());
    std::vector<jet::RowId> ids;
    ids.reserve(30000);
    for (int i = 0; i < 30000; ++i) {
      ids.push_back(w->Insert("PRESET_DEFS", jet_test::PresetRow(i, "v_")));
    }
    for (int i = 0; i < 30000; ++i) {
      w->Update("PRESET_DEFS", ids[static_cast<size_t>(i)],
                jet_test::PresetRow(i, "VW_v_"));
    }
    w->Flush();
    benchmark::DoNotOptimize(w->bytes().size());
  }
}
BENCHMARK(BM_InsertThenUpdate30000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
