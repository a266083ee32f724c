#ifndef TESTS_JET_TEST_UTIL_H_
#define TESTS_JET_TEST_UTIL_H_

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "jet/database.h"

namespace jet::testing {

inline std::string Fixture(const std::string& relative) {
  return std::string(CORVANE_TEST_DATA_DIR) + "/" + relative;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Opens bytes and reads every table, system tables included.
inline size_t ReadEverything(std::vector<uint8_t> bytes) {
  auto db = Database::FromBytes(std::move(bytes), "test.mdb");
  size_t rows = 0;
  for (const std::string& name : db->TableNames(true)) {
    rows += db->ReadRows(name).size();
  }
  return rows;
}

}  // namespace jet::testing

#endif  // TESTS_JET_TEST_UTIL_H_
