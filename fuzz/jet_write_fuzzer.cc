// Applies a random sequence of write operations to a sample database and
// then checks the result with FindDamage: any fault it reports, or a result
// the writer refuses to open again, is a finding (the run aborts). Refused
// operations (bad values, duplicate keys, damage) must leave the writer
// usable and the file consistent.
//
// The input's first byte picks a sample of the test data (FUZZ_DATA_DIR);
// every later group of bytes is one operation and its arguments.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "base/value.h"
#include "jet/database_write.h"
#include "jet/file_io.h"
#include "jet/format.h"
#include "jet/integrity.h"

namespace {

namespace f = jet::format;

std::vector<std::vector<uint8_t>>& Samples() {
  static std::vector<std::vector<uint8_t>> samples;
  return samples;
}

// Reads the input a byte at a time; zeros once it is used up.
struct Input {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool done() const { return at >= size; }
  uint8_t Byte() { return at < size ? data[at++] : 0; }
};

base::Value RandomValue(Input& in) {
  const uint8_t kind = in.Byte();
  const uint8_t arg = in.Byte();
  switch (kind % 6) {
    case 0:
      return base::Value::Null();
    case 1:
      return base::Value::Long(static_cast<int32_t>(arg) - 100);
    case 2:  // short text, or long enough to need long-value pages
      return base::Value::Text(
          std::string(kind & 0x80 ? size_t{arg} * 60 : arg % 40,
                      static_cast<char>('a' + arg % 26)));
    case 3:
      return base::Value::Boolean(arg & 1);
    case 4:
      return base::Value::Double(arg / 7.0);
    default:
      return base::Value::Binary(std::vector<uint8_t>(size_t{arg} * 20, arg));
  }
}

std::vector<base::Value> RandomRow(Input& in) {
  std::vector<base::Value> row(in.Byte() % 12);
  for (base::Value& v : row) v = RandomValue(in);
  return row;
}

void Step(jet::DatabaseWriter& w, Input& in) {
  const uint8_t op = in.Byte();
  const auto tables = w.Tables();
  if (tables.empty() && op % 8 != 5) return;
  const std::string table =
      tables.empty() ? "" : tables[in.Byte() % tables.size()].first;
  const uint8_t pick = in.Byte();
  auto row_id = [&] {
    auto rows = w.Rows(table);
    if (rows.empty()) throw base::RuntimeError(3021, "fuzz", "no rows");
    return rows[pick % rows.size()].first;
  };
  switch (op % 8) {
    case 0:
    case 1:
      w.Insert(table, RandomRow(in));
      break;
    case 2:
      w.Update(table, row_id(), RandomRow(in));
      break;
    case 3:
      w.Delete(table, row_id());
      break;
    case 4: {
      const auto& columns = w.Def(table).columns;
      w.RenameColumn(table, columns.at(pick % columns.size()).name,
                     "Col" + std::to_string(pick));
      break;
    }
    case 5:
      w.CreateTable("New" + std::to_string(pick % 4),
                    {{"ID", f::kTypeLong, 0},
                     {"Name", f::kTypeText, 40},
                     {"Note", f::kTypeMemo, 0},
                     {"Blob", f::kTypeOle, 0}});
      break;
    case 6:
      if (pick % 4 == 0) w.DropTable(table);
      break;
    default:
      w.Flush();
  }
}

void Finding(const std::string& what) {
  std::fprintf(stderr, "FINDING: %s\n", what.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (const char* folder : {"/access", "/plant"}) {
    for (const auto& e : std::filesystem::directory_iterator(
             std::string(FUZZ_DATA_DIR) + folder)) {
      auto bytes = jet::ReadWholeFile(e.path().string());
      if (bytes && jet::FindDamage(*bytes).empty()) {
        Samples().push_back(std::move(*bytes));
      }
    }
  }
  if (Samples().empty()) Finding("no sample in " FUZZ_DATA_DIR);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  const std::vector<uint8_t>& sample = Samples()[in.Byte() % Samples().size()];
  std::unique_ptr<jet::DatabaseWriter> w;
  try {
    w = jet::DatabaseWriter::FromBytes(sample);
  } catch (const base::RuntimeError& e) {
    return 0;  // a sample this engine does not write (encrypted...)
  }
  for (int steps = 0; !in.done() && steps < 64; ++steps) {
    try {
      Step(*w, in);
    } catch (const base::RuntimeError&) {
      // Refused: the writer must stay consistent and usable.
    } catch (const std::out_of_range&) {
    }
  }
  try {
    w->Flush();
  } catch (const base::RuntimeError& e) {
    Finding(std::string("flush failed: ") + e.what());
  }
  for (const std::string& fault : jet::FindDamage(w->bytes())) Finding(fault);
  try {
    jet::DatabaseWriter::FromBytes(w->bytes());
  } catch (const base::RuntimeError& e) {
    Finding(std::string("written file refused: ") + e.what());
  }
  return 0;
}
