#include "jet/errors.h"

#include "base/runtime_error.h"

namespace jet {

void ThrowUnrecognizedFormat(std::string_view path) {
  throw base::RuntimeError(
      base::err::kUnrecognizedFormat, kErrorSource,
      "Unrecognized database format '" + std::string(path) + "'.");
}

void ThrowCorrupt(std::string_view what) {
  throw base::RuntimeError(base::err::kCorruptDatabase, kErrorSource,
                           "The database is damaged and cannot be read (" +
                               std::string(what) + ").");
}

void ThrowItemNotFound() {
  throw base::RuntimeError(base::err::kItemNotFound, kErrorSource,
                           "Item not found in this collection.");
}

void ThrowNoCurrentRecord() {
  throw base::RuntimeError(base::err::kNoCurrentRecord, kErrorSource,
                           "No current record.");
}

void ThrowInputTableNotFound(std::string_view name) {
  throw base::RuntimeError(
      base::err::kObjectNotFound, kErrorSource,
      "The Microsoft Jet database engine cannot find the input table or "
      "query '" +
          std::string(name) +
          "'. Make sure it exists and that its name is spelled correctly.");
}

}  // namespace jet
