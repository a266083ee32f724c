#include "dao/errors.h"

namespace dao_jet {

void Throw(int32_t number, std::string_view source, std::string_view name,
           std::string_view detail) {
  throw base::Error(number, source, name, detail);
}

void ThrowItemNotFound(std::string_view source) {
  Throw(kItemNotFound, source);
}

void ThrowNoCurrentRecord(std::string_view source) {
  Throw(kNoCurrentRecord, source);
}

void ThrowObjectInvalid(std::string_view source) {
  Throw(kObjectInvalid, source);
}

void ThrowInvalidOperation(std::string_view source) {
  Throw(kInvalidOperation, source);
}

void ThrowDamaged(std::string_view path) {
  Throw(kCorruptDatabase, kSourceDatabase, path);
}

}  // namespace dao_jet
