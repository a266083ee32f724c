#include "errors/error_handler.h"

#include <new>
#include <optional>

#include "base/runtime_error.h"
#include "errors/application.h"

namespace errors {
namespace {

constexpr int32_t kInternalError = 51;

// Runs `step` and returns the failure it raised, if any. Failures other than
// RuntimeError become one with a fitting number; EndOfRun and anything that
// is no std::exception pass through untouched.
std::optional<base::RuntimeError> Capture(const std::function<void()>& step,
                                          const std::string& source) {
  try {
    step();
    return std::nullopt;
  } catch (const base::RuntimeError& e) {
    return e;
  } catch (const std::bad_alloc&) {
    return base::RuntimeError(base::err::kOutOfMemory, source, "Out of memory");
  } catch (const std::exception& e) {
    return base::RuntimeError(kInternalError, source,
                              std::string("Internal error: ") + e.what());
  }
}

}  // namespace

void EndProgram(int exit_code) { throw EndOfRun{exit_code}; }

bool ErrorHandler::Run(const std::function<void()>& step) {
  std::optional<base::RuntimeError> failure = Capture(step, kApplicationTitle);
  if (!failure) return true;
  // A failure raised while a report is being made belongs to that report:
  // it leaves the running handler for the caller's one.
  if (run_.error_sub_depth > 0) throw *failure;
  Report(failure->number(), failure->source(), failure->description());
  return false;
}

bool ErrorHandler::Test(const std::function<bool()>& condition) {
  bool result = true;
  Run([&] { result = condition(); });
  return result;
}

void ErrorHandler::Report(int32_t number, const std::string& source,
                          const std::string& description, bool fatal) {
  if (run_.error_sub_depth > 0) {
    throw base::RuntimeError(number, source, description);
  }
  run_.failures_reported = true;
  if (ErrorSub(run_, number, source, description, procedure_name_, fatal) ==
      1) {
    EndProgram(kExitEnded);
  }
}

}  // namespace errors
