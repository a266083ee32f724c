// The whole standalone build, in process, on a generated plant: a template
// whose Source_PRESET_DEFS has N rows (the sample layout: 17 columns,
// part-1 and part-2 variable names, three categories) and an old component
// database with the same N rows as generated for machine M1, so that every
// row is carried over, with two additional fields (shift_no, shift_name).
//
//   bench_build [N...]            CPU seconds per build (median of 5) and
//                                 per row, for N = 1000 4000 16000 32767
//                                 unless given
//   bench_build --plant DIR N     lays out the plant in DIR (DIR/Corvane holds
//                                 the databases) for a run of the program
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/run_program.h"
#include "base/value.h"
#include "jet/database_write.h"
#include "jet/format.h"
#include "platform/fake_host.h"

namespace {

using base::Value;

std::vector<jet::FieldDesc> PresetColumns() {
  using namespace jet::format;
  return {{"ID", kTypeLong, 0},
          {"machine_type", kTypeText, 50},
          {"type", kTypeLong, 0},
          {"part", kTypeLong, 0},
          {"var_name", kTypeText, 100},
          {"category_id", kTypeLong, 0},
          {"isBitArray", kTypeBoolean, 0},
          {"offset_or_bitno", kTypeLong, 0},
          {"text", kTypeText, 255},
          {"page_name", kTypeText, 50},
          {"abs_min", kTypeDouble, 0},
          {"abs_max", kTypeDouble, 0},
          {"min", kTypeDouble, 0},
          {"max", kTypeDouble, 0},
          {"pass", kTypeLong, 0},
          {"shift_no", kTypeLong, 0},
          {"shift_name", kTypeText, 50}};
}

// Inserts rows given in column order.
void InsertRows(jet::DatabaseWriter& db, const std::string& table,
                const std::vector<std::vector<Value>>& rows) {
  const jet::TableDef& def = db.Def(table);
  for (const auto& row : rows) {
    std::vector<Value> values(def.max_cols, Value::Null());
    for (size_t i = 0; i < row.size(); ++i) {
      values[def.columns[i].number] = row[i];
    }
    db.Insert(table, values);
  }
}

// Row i of the template (for_machine empty) or of the old component
// database (names and texts as generated for that machine, other limits).
std::vector<Value> PresetRow(int i, const std::string& for_machine) {
  static const char* const kMachineTypes[] = {"Line", "Press", "Oven"};
  static const char* const kShifts[] = {"Early", "Late", "Night"};
  const bool old = !for_machine.empty();
  const int part = i % 3 == 0 ? 2 : 1;
  char name[32];
  std::snprintf(name, sizeof name, "Var_%05d", i);
  std::string var_name = name;
  if (old && part == 2) var_name = "M." + for_machine + "." + var_name;
  const std::string machine = old ? for_machine : "###machine";
  return {Value::Long(i),
          Value::Text(kMachineTypes[i % 3]),
          Value::Long(1),
          Value::Long(part),
          Value::Text(var_name),
          Value::Long(10 * (1 + i % 3)),
          Value::Boolean(i % 7 == 0),
          Value::Long(i),
          Value::Text("Value " + std::to_string(i) + " of " + machine),
          Value::Text("Page" + std::to_string(i % 20)),
          Value::Double(0),
          Value::Double(1000),
          Value::Double(old ? 20 : 10),
          Value::Double(old ? 800.5 : 900),
          Value::Long(old ? 2 : 1),
          Value::Long(1 + i % 3),
          Value::Text(kShifts[i % 3])};
}

void WriteText(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(
      std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// base/parameter/Program.ini, base/Corvane/{Corvane.cfg, Corvane_Source.mdb,
// Corvane.mdb}.
void LayOutPlant(const std::string& base, int rows) {
  const std::string component = base + "/Corvane";
  std::filesystem::create_directories(component);
  WriteText(base + "/parameter/Program.ini",
            "[Project]\r\nNumberOfMachines=1\r\n[Machine1]\r\nMachineName=M1"
            "\r\n");
  WriteText(component + "/Corvane.cfg",
            "[Project]\r\nValidMachines=ALL\r\nForMachine1=true\r\n"
            "DataBaseAdditionalFields=shift_no,shift_name\r\n");
  using namespace jet::format;
  auto source = jet::DatabaseWriter::CreateNew();
  source->CreateTable("Source_DEFS", {{"ID", kTypeLong, 0},
                                      {"System", kTypeText, 50},
                                      {"Var_Name", kTypeText, 255},
                                      {"Part", kTypeLong, 0}});
  InsertRows(*source, "Source_DEFS",
             {{Value::Long(1), Value::Text("VISIWIN32"),
               Value::Text("###Var_Name"), Value::Long(1)},
              {Value::Long(2), Value::Text("VISIWINSTUDIO"),
               Value::Text("###Var_Name"), Value::Long(1)},
              {Value::Long(3), Value::Text("VISIWIN32"),
               Value::Text("M.###machine.###Var_Name"), Value::Long(2)},
              {Value::Long(4), Value::Text("VISIWINSTUDIO"),
               Value::Text("###Var_Name_###machine"), Value::Long(2)}});
  source->CreateTable("Source_PRESET_DEFS", PresetColumns());
  source->CreateTable("PRESET_DEFS", PresetColumns());
  auto old = jet::DatabaseWriter::CreateNew();
  old->CreateTable("PRESET_DEFS", PresetColumns());
  std::vector<std::vector<Value>> template_rows, old_rows;
  for (int i = 1; i <= rows; ++i) {
    template_rows.push_back(PresetRow(i, ""));
    old_rows.push_back(PresetRow(i, "M1"));
  }
  InsertRows(*source, "Source_PRESET_DEFS", template_rows);
  InsertRows(*old, "PRESET_DEFS", old_rows);
  source->Save(component + "/Corvane_Source.mdb");
  old->Save(component + "/Corvane.mdb");
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// CPU seconds of one silent standalone run on a fresh plant.
double TimeOneBuild(int rows) {
  platform::FakeHost host;
  const std::string base = host.temp_dir() + "/Hmi";
  LayOutPlant(base, rows);
  host.set_program_directory(base + "/Corvane");
  host.set_command_line("/EXTERNAL=SILENT");
  std::ostringstream errors;
  const double start = CpuSeconds();
  const int code = app::RunProgram(host, errors);
  const double seconds = CpuSeconds() - start;
  // At 32,767 rows the 16-bit ID counter's last step overflows: one
  // report, after which the run goes on (exit code 4).
  const std::string log =
      platform::FakeHost::ReadTextFile(base + "/HX3cfglog.txt");
  const bool overflow_only =
      log.empty() ||
      (rows == 32767 &&
       log.find("CreateRecordSets (Nr. 6) :Overflow") != std::string::npos &&
       std::count(log.begin(), log.end(), '\n') <= 1);
  if ((code != 0 && code != 4) || !overflow_only) {
    std::cerr << "build of " << rows << " rows ended with " << code << ' '
              << errors.str() << log << '\n';
    std::exit(1);
  }
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--plant") {
    if (args.size() != 3) {
      std::cerr << "usage: bench_build --plant DIR ROWS\n";
      return 2;
    }
    LayOutPlant(args[1], std::atoi(args[2].c_str()));
    return 0;
  }
  std::vector<int> sizes;
  sizes.reserve(args.size());
  for (const std::string& a : args) sizes.push_back(std::atoi(a.c_str()));
  if (sizes.empty()) sizes = {1000, 4000, 16000, 32767};
  constexpr int kRuns = 5;
  std::printf("%8s %12s %12s\n", "rows", "cpu s", "us/row");
  for (int rows : sizes) {
    std::vector<double> times;
    times.reserve(kRuns);
    for (int i = 0; i < kRuns; ++i) times.push_back(TimeOneBuild(rows));
    std::sort(times.begin(), times.end());
    const double median = times[kRuns / 2];
    std::printf("%8d %12.3f %12.2f\n", rows, median, median * 1e6 / rows);
    std::fflush(stdout);
  }
  return 0;
}
