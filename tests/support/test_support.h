#ifndef TESTS_SUPPORT_TEST_SUPPORT_H_
#define TESTS_SUPPORT_TEST_SUPPORT_H_

// Helpers every test binary shares: the sample databases under tests/data,
// temporary folders, runtime-error numbers and readable values.

#include <cstdint>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "base/value.h"

namespace test_support {

// A path below tests/data ("access/…mdb", "plant/template.mdb").
std::string Sample(const std::string& relative);
// Copies a sample to `to` (replacing it) and makes the copy writable: the
// samples may be read-only, and Windows will not write such a file.
void CopySample(const std::string& relative, const std::string& to);

std::vector<uint8_t> ReadBytes(const std::string& path);
// A file's bytes unchanged, as a string; empty when it is missing.
std::string FileText(const std::string& path);
// Writes `bytes` to `path` (replacing it), creating its folders.
void WriteBytes(const std::string& path, const std::string& bytes);

// A new, empty folder under the system's temporary folder, removed with
// the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const {
    return path_ + "/" + name;
  }

 private:
  std::string path_;
};

// The RuntimeError `f` raises (number 0 when it raises none), for checking
// its source and text; ErrorOf gives only its number.
base::RuntimeError CaughtError(const std::function<void()>& f);
int ErrorOf(const std::function<void()>& f);

// Bytes as lower-case hex pairs separated by blanks ("7f 80 00").
std::string Hex(std::span<const uint8_t> bytes);

}  // namespace test_support

namespace base {
// Readable values in test failures.
void PrintTo(const Value& value, std::ostream* out);
}  // namespace base

#endif  // TESTS_SUPPORT_TEST_SUPPORT_H_
