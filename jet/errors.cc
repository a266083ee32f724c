#include "jet/errors.h"

#include "base/runtime_error.h"

namespace jet {

void ThrowUnrecognizedFormat(std::string_view path) {
  throw base::Error(base::err::kUnrecognizedFormat, kErrorSource, path);
}

void ThrowCorrupt(std::string_view what) {
  throw base::Error(base::err::kCorruptDatabase, kErrorSource, {}, what);
}

void ThrowItemNotFound() {
  throw base::Error(base::err::kItemNotFound, kErrorSource);
}

void ThrowNoCurrentRecord() {
  throw base::Error(base::err::kNoCurrentRecord, kErrorSource);
}

void ThrowInputTableNotFound(std::string_view name) {
  throw base::Error(base::err::kObjectNotFound, kErrorSource, name);
}

}  // namespace jet
