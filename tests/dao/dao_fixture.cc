#include "tests/dao/dao_fixture.h"

namespace dao_test {

std::string DaoTest::Copy(const std::string& name) {
  const std::string to = TempPath(name);
  test_support::CopySample("plant/" + name, to);
  return to;
}

std::shared_ptr<dao::Database> DaoTest::Open(const std::string& path) {
  return engine_->Workspaces(0).OpenDatabase(path);
}

std::vector<base::Value> Column(dao::Recordset& rs, const std::string& name) {
  std::vector<base::Value> values;
  if (rs.RecordCount() == 0) return values;
  rs.MoveFirst();
  while (!rs.IsEOF()) {
    values.push_back(rs.GetFields().Item(name)->GetValue());
    rs.MoveNext();
  }
  return values;
}

}  // namespace dao_test
