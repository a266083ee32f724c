#ifndef TESTS_DB_DAO_FIXTURE_H_
#define TESTS_DB_DAO_FIXTURE_H_

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "base/value.h"
#include "db/dao.h"

namespace dao_test {

// A temporary directory with copies of the plant databases and an engine
// to open them.
class DaoTest : public ::testing::Test {
 protected:
  DaoTest();
  ~DaoTest() override;

  // Copies tests/data/plant/<name> into the temporary directory.
  std::string Copy(const std::string& name);
  std::string TempPath(const std::string& name) const;
  std::shared_ptr<dao::Database> Open(const std::string& path);

  std::string dir_;
  std::unique_ptr<dao::DBEngine> engine_ = dao::CreateDBEngine();
};

// The number of the RuntimeError `f` raises, 0 when it raises none.
int ErrorOf(const std::function<void()>& f);
// The same error, for checking its source and text.
base::RuntimeError CaughtError(const std::function<void()>& f);

// Values of one column over the whole set, from the first row on.
std::vector<base::Value> Column(dao::Recordset& rs, const std::string& name);

}  // namespace dao_test

namespace base {
// Readable values in test failures.
void PrintTo(const Value& value, std::ostream* out);
}  // namespace base

#endif  // TESTS_DB_DAO_FIXTURE_H_
