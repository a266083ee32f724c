#include "errors/error_handler.h"

#include <new>
#include <stdexcept>
#include <system_error>

#include "base/runtime_error.h"
#include "errors/application.h"

namespace errors {
namespace {

// A system error by its kind; the numbers the platform layer gives for the
// same conditions.
base::RuntimeError TranslateSystemError(const std::error_code& code,
                                        const std::string& source) {
  if (code == std::errc::no_such_file_or_directory) {
    return base::Error(base::err::kFileNotFound, source);
  }
  if (code == std::errc::not_a_directory) {
    return base::Error(base::err::kPathNotFound, source);
  }
  if (code == std::errc::permission_denied ||
      code == std::errc::operation_not_permitted ||
      code == std::errc::read_only_file_system) {
    return base::Error(base::err::kPermissionDenied, source);
  }
  if (code == std::errc::no_space_on_device || code == std::errc::io_error) {
    return base::Error(base::err::kDeviceIoError, source);
  }
  return base::Error(base::err::kPathFileAccessError, source);
}

}  // namespace

base::RuntimeError TranslateFailure(const std::exception& failure,
                                    const std::string& source) {
  if (const auto* e = dynamic_cast<const base::RuntimeError*>(&failure)) {
    return *e;
  }
  if (dynamic_cast<const std::out_of_range*>(&failure)) {
    return base::Error(base::err::kSubscriptOutOfRange, source);
  }
  if (dynamic_cast<const std::bad_alloc*>(&failure) ||
      dynamic_cast<const std::length_error*>(&failure)) {
    return base::Error(base::err::kOutOfMemory, source);
  }
  if (dynamic_cast<const std::overflow_error*>(&failure) ||
      dynamic_cast<const std::underflow_error*>(&failure) ||
      dynamic_cast<const std::range_error*>(&failure)) {
    return base::Error(base::err::kOverflow, source);
  }
  if (dynamic_cast<const std::invalid_argument*>(&failure) ||
      dynamic_cast<const std::domain_error*>(&failure)) {
    return base::Error(base::err::kInvalidProcedureCall, source);
  }
  if (const auto* e = dynamic_cast<const std::system_error*>(&failure)) {
    return TranslateSystemError(e->code(), source);
  }
  return base::Error(base::err::kInternalError, source);
}

void EndProgram(int exit_code) { throw EndOfRun{exit_code}; }

void ErrorHandler::Failed(const std::exception& failure) {
  const base::RuntimeError error = TranslateFailure(failure, kApplicationTitle);
  // A failure raised while a report is being made belongs to that report:
  // it leaves the running handler for the caller's one.
  if (run_.error_sub_depth > 0) throw error;
  Report(error.number(), error.source(), error.description());
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
