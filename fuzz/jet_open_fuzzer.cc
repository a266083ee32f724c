// Opens arbitrary bytes as a database and reads every table, system tables
// included. A damaged file may only ever end in base::RuntimeError.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/runtime_error.h"
#include "jet/database.h"
#include "jet/recordset.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    auto db = jet::Database::FromBytes(std::vector<uint8_t>(data, data + size),
                                       "fuzz.mdb");
    for (const std::string& name : db->TableNames(true)) {
      try {
        auto rs = db->OpenRecordset(name);
        for (size_t i = 0; i < rs->FieldCount(); ++i) {
          (void)rs->Fields(i).Size();
        }
      } catch (const base::RuntimeError&) {
        // A damaged table must not keep the others from being read.
      }
    }
  } catch (const base::RuntimeError&) {
  }
  return 0;
}
