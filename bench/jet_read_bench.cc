// Reading speed of whole tables. Point JET_BENCH_FILE / JET_BENCH_TABLE at a
// big database (bench/make_big_mdb.py builds one with 30,000 rows); without
// them the 512-row sample is read.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "jet/database.h"
#include "jet/recordset.h"

namespace {

std::string File() {
  const char* f = std::getenv("JET_BENCH_FILE");
  return f ? f
           : std::string(CORVANE_TEST_DATA_DIR) +
                 "/access/index-512rows-compIndexTestV2003.mdb";
}

std::string Table() {
  const char* t = std::getenv("JET_BENCH_TABLE");
  return t ? t : "Table1";
}

// Open the file and read every row of the table: the cost of a first read.
void BM_OpenAndReadTable(benchmark::State& state) {
  int64_t rows = 0;
  for (auto _ : state) {
    auto db = jet::Database::Open(File());
    auto rs = db->OpenRecordset(Table());
    rows += rs->RecordCount();
    benchmark::DoNotOptimize(rs);
  }
  state.SetItemsProcessed(rows);
}
BENCHMARK(BM_OpenAndReadTable)->Unit(benchmark::kMillisecond);

// Reading again through an open database: pages come from the cache.
void BM_ReadTableCached(benchmark::State& state) {
  auto db = jet::Database::Open(File());
  int64_t rows = 0;
  for (auto _ : state) {
    auto r = db->ReadRows(Table());
    rows += static_cast<int64_t>(r.size());
    benchmark::DoNotOptimize(r);
  }
  state.SetItemsProcessed(rows);
}
BENCHMARK(BM_ReadTableCached)->Unit(benchmark::kMillisecond);

}  // namespace
