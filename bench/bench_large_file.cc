// Writes a database of Memo rows (100 KB each, not compressible) until it
// reaches the size asked for, saves it, and checks it with FindDamage:
//   bench_large_file PATH MEGABYTES
// Prints rows, size and seconds; at Jet's 2 GB limit it prints the error the
// engine gives (3026) and saves what fits. scripts/large-file-check.sh reads
// the result back with mdbtools.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/runtime_error.h"
#include "base/text.h"
#include "base/value.h"
#include "jet/database_write.h"
#include "jet/format.h"
#include "jet/integrity.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_large_file PATH MEGABYTES\n");
    return 2;
  }
  const std::string path = argv[1];
  const size_t target = std::strtoull(argv[2], nullptr, 10) << 20;
  const auto start = std::chrono::steady_clock::now();
  auto w = jet::DatabaseWriter::CreateNew();
  w->CreateTable("Notes", {{"ID", jet::format::kTypeLong, 4},
                           {"Note", jet::format::kTypeMemo, 0}});
  int rows = 0;
  try {
    while (w->bytes().size() < target) {
      const std::u16string note(50000,
                                static_cast<char16_t>(0x0410 + rows % 32));
      w->Insert("Notes", {base::Value::Long(rows + 1),
                          base::Value::Text(base::Utf16ToUtf8(note))});
      ++rows;
    }
  } catch (const base::RuntimeError& e) {
    std::printf("limit: %d %s\n", e.number(), e.description().c_str());
  }
  w->Save(path);
  std::printf("rows: %d\nbytes: %zu\nwrite seconds: %.1f\n", rows,
              w->bytes().size(), Seconds(start));
  const auto check = std::chrono::steady_clock::now();
  const std::vector<std::string> damage = jet::FindDamage(w->bytes());
  for (const std::string& d : damage) std::printf("damage: %s\n", d.c_str());
  std::printf("check seconds: %.1f\n", Seconds(check));
  return damage.empty() ? 0 : 1;
}
