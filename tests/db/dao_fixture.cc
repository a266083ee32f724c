#include "tests/db/dao_fixture.h"

#include <chrono>
#include <filesystem>
#include <ostream>
#include <random>

namespace dao_test {
namespace {

// A new, empty folder under the system's temporary folder (portable
// stand-in for mkdtemp).
std::string MakeTempDir(const std::string& prefix) {
  std::random_device device;
  std::mt19937_64 random(
      device() ^
      static_cast<uint64_t>(
          std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        (prefix + std::to_string(random() % 1000000000));
    if (std::filesystem::create_directory(dir)) return dir.generic_string();
  }
  throw std::runtime_error("no temporary folder could be made");
}

}  // namespace

DaoTest::DaoTest() : dir_(MakeTempDir("dao_test_")) {}

DaoTest::~DaoTest() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::string DaoTest::TempPath(const std::string& name) const {
  return dir_ + "/" + name;
}

std::string DaoTest::Copy(const std::string& name) {
  std::string to = TempPath(name);
  std::filesystem::copy_file(std::string(CORVANE_TEST_DATA_DIR) + "/plant/" + name,
                             to,
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(to, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  return to;
}

std::shared_ptr<dao::Database> DaoTest::Open(const std::string& path) {
  return engine_->Workspaces(0).OpenDatabase(path);
}

int ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const base::RuntimeError& e) {
    return e.number();
  }
  return 0;
}

base::RuntimeError CaughtError(const std::function<void()>& f) {
  try {
    f();
  } catch (const base::RuntimeError& e) {
    return e;
  }
  return base::RuntimeError(0, "", "");
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

namespace base {

void PrintTo(const Value& value, std::ostream* out) {
  if (value.IsNull()) {
    *out << "Null";
  } else if (value.IsEmpty()) {
    *out << "Empty";
  } else if (value.type() == ValueType::kText) {
    *out << '"' << value.AsText() << '"';
  } else {
    *out << value.ToText() << " (type " << static_cast<int>(value.type())
         << ")";
  }
}

}  // namespace base
