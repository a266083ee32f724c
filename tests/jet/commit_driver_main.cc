// Commits a fixed series of change batches to a database file, one Save per
// batch, for the crash test (commit_crash_test.py): inserts with long
// values, updates that move rows, deletes, a table dropped and re-created,
// column renames. The batches depend only on their number, so a run with
// --keep DIR that copies the file after every batch gives the reference
// states. After each Save the number of the batch is written to
// FILE.committed.
//
//   jet_commit_driver FILE BATCHES [--keep DIR]
// Exit 0 when all batches were committed; 3 when a Save failed (the batch
// number is printed), 1 on any other error.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "base/value.h"
#include "jet/database_write.h"
#include "jet/file_io.h"
#include "jet/format.h"

namespace {

namespace f = jet::format;
using base::Value;

const std::vector<jet::FieldDesc> kJournal = {{"ID", f::kTypeLong, 0},
                                              {"Name", f::kTypeText, 200},
                                              {"Note", f::kTypeMemo, 0},
                                              {"Blob", f::kTypeOle, 0}};

bool HasTable(const jet::DatabaseWriter& w, const std::string& name) {
  for (const auto& [n, page] : w.Tables()) {
    if (n == name) return true;
  }
  return false;
}

void ApplyBatch(jet::DatabaseWriter& w, int b) {
  if (!HasTable(w, "Journal")) w.CreateTable("Journal", kJournal);
  for (int i = 0; i < 3; ++i) {
    const int n = b * 10 + i;
    w.Insert("Journal",
             {Value::Long(n), Value::Text("row " + std::to_string(n)),
              Value::Text(std::string(static_cast<size_t>(n * 997 % 9000),
                                      static_cast<char>('a' + n % 26))),
              i == 2 ? Value::Binary(std::vector<uint8_t>(
                           static_cast<size_t>(n * 131 % 5000), 0xA5))
                     : Value::Null()});
  }
  // Grows an early row until it no longer fits where it is.
  auto rows = w.Rows("Journal");
  const auto& [id, values] = rows[static_cast<size_t>(b) % rows.size()];
  std::vector<Value> grown = values;
  grown[1] = Value::Text(std::string(static_cast<size_t>(20 + b * 7 % 180),
                                     static_cast<char>('A' + b % 26)));
  grown[2] =
      Value::Text(std::string(static_cast<size_t>(b * 1500 % 12000), 'u'));
  w.Update("Journal", id, grown);
  if (b % 3 == 0) w.Delete("Journal", rows.front().first);
  if (b % 4 == 0) {
    if (HasTable(w, "Scratch")) w.DropTable("Scratch");
    w.CreateTable("Scratch", kJournal);
    for (int i = 0; i < 5; ++i) {
      w.Insert("Scratch", {Value::Long(b * 100 + i), Value::Text("s"),
                           Value::Text(std::string(3000, 's')), Value::Null()});
    }
  }
  if (b % 5 == 0) {
    const bool named = w.Def("Journal").FindColumn("Name") >= 0;
    w.RenameColumn("Journal", named ? "Name" : "Title",
                   named ? "Title" : "Name");
  }
}

void WriteText(const std::string& path, const std::string& text) {
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  if (jet::ReplaceFileContents(path, bytes) != jet::ReplaceResult::kDone) {
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) {
    std::fprintf(stderr, "usage: %s FILE BATCHES [--keep DIR]\n", argv[0]);
    return 2;
  }
  // A file-size limit (the disk-full run) makes writes fail instead.
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  const std::string path = argv[1];
  const int batches = std::atoi(argv[2]);
  const std::string keep = argc == 5 ? argv[4] : "";
  try {
    auto w = jet::DatabaseWriter::Open(path);
    for (int b = 1; b <= batches; ++b) {
      ApplyBatch(*w, b);
      try {
        w->Save(path);
      } catch (const base::RuntimeError& e) {
        std::printf("save of batch %d failed: %d %s\n", b, e.number(),
                    e.what());
        return 3;
      }
      WriteText(path + ".committed", std::to_string(b));
      if (!keep.empty()) w->Save(keep + "/state-" + std::to_string(b) + ".mdb");
    }
  } catch (const base::RuntimeError& e) {
    std::fprintf(stderr, "error %d: %s\n", e.number(), e.what());
    return 1;
  }
  return 0;
}
