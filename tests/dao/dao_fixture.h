#ifndef TESTS_DAO_DAO_FIXTURE_H_
#define TESTS_DAO_DAO_FIXTURE_H_

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "base/value.h"
#include "dao/dao.h"
#include "tests/support/test_support.h"

namespace dao_test {

using test_support::CaughtError;
using test_support::ErrorOf;

// A temporary directory with copies of the plant databases and an engine
// to open them.
class DaoTest : public ::testing::Test {
 protected:
  // Copies tests/data/plant/<name> into the temporary directory.
  std::string Copy(const std::string& name);
  std::string TempPath(const std::string& name) const { return dir_ / name; }
  std::shared_ptr<dao::Database> Open(const std::string& path);

  test_support::TempDir dir_;
  std::unique_ptr<dao::DBEngine> engine_ = dao::CreateDBEngine();
};

// Values of one column over the whole set, from the first row on.
std::vector<base::Value> Column(dao::Recordset& rs, const std::string& name);

}  // namespace dao_test

#endif  // TESTS_DAO_DAO_FIXTURE_H_
