#include "dao/errors.h"

namespace dao_jet {

void Throw(int32_t number, std::string_view source, std::string description) {
  throw base::RuntimeError(number, std::string(source), std::move(description));
}

void ThrowItemNotFound(std::string_view source) {
  Throw(base::err::kItemNotFound, source, "Item not found in this collection.");
}

void ThrowNoCurrentRecord(std::string_view source) {
  Throw(base::err::kNoCurrentRecord, source, "No current record.");
}

void ThrowObjectInvalid(std::string_view source) {
  Throw(kObjectInvalid, source, "Object invalid or no longer set.");
}

void ThrowInvalidOperation(std::string_view source) {
  Throw(kInvalidOperation, source, "Invalid operation.");
}

void ThrowDamaged(std::string_view path) {
  Throw(base::err::kCorruptDatabase, kSourceDatabase,
        "Cannot open database '" + std::string(path) +
            "'.  It may not be a database that your application recognizes, "
            "or the file may be corrupt.");
}

}  // namespace dao_jet
