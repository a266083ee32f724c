#ifndef TESTS_ERRORS_TEST_HOSTS_H_
#define TESTS_ERRORS_TEST_HOSTS_H_

#include <functional>
#include <string>

#include "base/runtime_error.h"
#include "platform/fake_host.h"

namespace errors {

// A fake host whose next `failures` appends fail with "Permission denied",
// as an error log on a read-only folder would.
class FailingAppendHost : public platform::FakeHost {
 public:
  int failures = 0;
  void AppendLine(const std::string& path, const std::string& text) override {
    if (failures > 0) {
      --failures;
      throw base::RuntimeError(base::err::kPermissionDenied, "Corvane_Config",
                               "Permission denied");
    }
    FakeHost::AppendLine(path, text);
  }
};

// The error log of a program in FakeHost's default program directory.
inline std::string ErrorLogPath(const platform::FakeHost& host) {
  return host.temp_dir() + "/Hmi/HX3cfglog.txt";
}

// How often `what` occurs in `text`.
inline size_t Occurrences(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace errors

#endif  // TESTS_ERRORS_TEST_HOSTS_H_
