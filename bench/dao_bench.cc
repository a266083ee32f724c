// The build's per-row database use at full size: a PRESET_DEFS of 30,000
// rows, generated through AddNew/Update, then looked up once per row the
// way the takeover and the variable-name rewrite do.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "dao/dao.h"
#include "jet/query_parser.h"

namespace {

using base::Value;

constexpr int kRows = 30000;

std::string MachineType(int i) { return i % 2 ? "Oven" : "Press"; }
std::string VarName(int i) { return "M.M1.Var_" + std::to_string(i); }

// A copy of the plant template whose PRESET_DEFS holds kRows rows.
const std::string& BigDatabase() {
  static const std::string path = [] {
    static char pattern[] = "/tmp/dao_bench_XXXXXX";
    std::string dir = ::mkdtemp(pattern);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(pattern, ec);
    });
    std::string to = dir + "/big.mdb";
    std::filesystem::copy_file(
        std::string(CORVANE_TEST_DATA_DIR) + "/plant/template.mdb", to);
    std::filesystem::permissions(to, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    auto engine = dao::CreateDBEngine();
    auto db = engine->Workspaces(0).OpenDatabase(to);
    auto rs = db->OpenRecordset("PRESET_DEFS");
    for (int i = 0; i < kRows; ++i) {
      rs->AddNew();
      dao::Fields& f = rs->GetFields();
      f.Item("ID")->SetValue(Value::Integer(static_cast<int16_t>(i % 32767)));
      f.Item("machine_type")->SetValue(Value::Text(MachineType(i)));
      f.Item("type")->SetValue(Value::Long(1));
      f.Item("part")->SetValue(Value::Long(2));
      f.Item("var_name")->SetValue(Value::Text(VarName(i)));
      f.Item("offset_or_bitno")->SetValue(Value::Long(i % 16));
      f.Item("text")->SetValue(
          Value::Text("Preset text of M1 number " + std::to_string(i)));
      f.Item("page_name")->SetValue(Value::Text("Main"));
      f.Item("abs_min")->SetValue(Value::Double(0));
      f.Item("abs_max")->SetValue(Value::Double(100));
      rs->Update();
    }
    db->Close();
    return to;
  }();
  return path;
}

std::string TakeoverQuery(int i) {
  return "SELECT PRESET_DEFS.ID, PRESET_DEFS.machine_type, PRESET_DEFS.type,"
         " PRESET_DEFS.var_name, PRESET_DEFS.category_id, "
         "PRESET_DEFS.isBitArray, PRESET_DEFS.offset_or_bitno, "
         "PRESET_DEFS.text, PRESET_DEFS.page_name, PRESET_DEFS.abs_min, "
         "PRESET_DEFS.abs_max, PRESET_DEFS.min, PRESET_DEFS.max, "
         "PRESET_DEFS.pass, PRESET_DEFS.part From PRESET_DEFS  WHERE "
         "(((PRESET_DEFS.machine_type)=\"" +
         MachineType(i) + "\") AND ((PRESET_DEFS.var_name)=\"" + VarName(i) +
         "\")  AND ((PRESET_DEFS.offset_or_bitno)=" + std::to_string(i % 16) +
         "));";
}

std::string VarNameQuery(const std::string& name) {
  return "SELECT PRESET_DEFS.* From PRESET_DEFS WHERE "
         "(((PRESET_DEFS.Var_Name)=\"" +
         name + "\"))";
}

void BM_Generate30000Rows(benchmark::State& state) {
  for (auto _ : state) {
    BigDatabase();
  }
}
BENCHMARK(BM_Generate30000Rows)->Iterations(1)->Unit(benchmark::kMillisecond);

// One batch: the takeover's per-row work for every row of the table on the
// open work database: the table opened for its column count, the lookup,
// the five values stored.
void BM_Takeover30000(benchmark::State& state) {
  auto engine = dao::CreateDBEngine();
  auto db = engine->Workspaces(0).OpenDatabase(BigDatabase());
  int64_t found = 0;
  for (auto _ : state) {
    for (int i = 0; i < kRows; ++i) {
      auto table = db->OpenRecordset("PRESET_DEFS");
      benchmark::DoNotOptimize(table->GetFields().Count());
      auto rs = db->OpenRecordset(TakeoverQuery(i));
      if (rs->RecordCount() > 0) {
        ++found;
        rs->Edit();
        dao::Fields& f = rs->GetFields();
        f.Item("abs_min")->SetValue(Value::Double(-1));
        f.Item("abs_max")->SetValue(Value::Double(i));
        f.Item("min")->SetValue(Value::Double(0));
        f.Item("max")->SetValue(Value::Double(1));
        f.Item("pass")->SetValue(Value::Long(i % 7));
        rs->Update();
      }
    }
  }
  db->Close();
  state.counters["found_per_batch"] =
      static_cast<double>(found) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Takeover30000)->Unit(benchmark::kMillisecond);

// One batch: parsing the takeover's query texts alone (part of the above).
void BM_ParseTakeoverQueries30000(benchmark::State& state) {
  std::vector<std::string> texts;
  texts.reserve(kRows);
  for (int i = 0; i < kRows; ++i) texts.push_back(TakeoverQuery(i));
  for (auto _ : state) {
    for (const std::string& text : texts) {
      benchmark::DoNotOptimize(jet::ParseSelect(text));
    }
  }
}
BENCHMARK(BM_ParseTakeoverQueries30000)->Unit(benchmark::kMillisecond);

// One batch: the takeover's lookups alone, each result's fields read.
void BM_TakeoverLookups30000(benchmark::State& state) {
  auto engine = dao::CreateDBEngine();
  auto db = engine->Workspaces(0).OpenDatabase(BigDatabase());
  for (auto _ : state) {
    for (int i = 0; i < kRows; ++i) {
      auto rs = db->OpenRecordset(TakeoverQuery(i));
      dao::Fields& f = rs->GetFields();
      for (int c = 0; c < f.Count(); ++c) {
        benchmark::DoNotOptimize(f.Item(c)->GetValue());
      }
    }
  }
  db->Close();
}
BENCHMARK(BM_TakeoverLookups30000)->Unit(benchmark::kMillisecond);

// One batch: the variable-name rewrite's per-call work, 30,000 times:
// open the file, look the name up, rewrite the matching row (`write`) or
// find none, close.
void VarNameRewrite(benchmark::State& state, bool write) {
  const std::string& path = BigDatabase();
  auto engine = dao::CreateDBEngine();
  const int calls = static_cast<int>(state.range(0));
  for (auto _ : state) {
    for (int i = 0; i < calls; ++i) {
      auto db = engine->Workspaces(0).OpenDatabase(path);
      std::string name = write ? VarName(i) : VarName(i) + "_other";
      auto rs = db->OpenRecordset(VarNameQuery(name));
      while (!rs->IsEOF()) {
        rs->Edit();
        rs->GetFields().Item("var_name")->SetValue(Value::Text(name));
        rs->Update();
        rs->MoveNext();
      }
      rs->Close();
      db->Close();
    }
  }
  state.SetItemsProcessed(state.iterations() * calls);
}

void BM_VarNameNoMatch(benchmark::State& state) {
  VarNameRewrite(state, false);
}
BENCHMARK(BM_VarNameNoMatch)->Arg(kRows)->Unit(benchmark::kMillisecond);

void BM_VarNameRewrite(benchmark::State& state) { VarNameRewrite(state, true); }
// With the writer saving the whole file on every Close, 30,000 calls take
// minutes; 300 show the cost per call.
BENCHMARK(BM_VarNameRewrite)
    ->Arg(300)
    ->Arg(kRows)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
