#ifndef JET_DAO_TYPE_H_
#define JET_DAO_TYPE_H_

#include <cstdint>
#include <string_view>

#include "jet/tdef.h"

namespace jet {

// Field types as DAO numbers them (DataTypeEnum).
enum class DaoType : int16_t {
  kBoolean = 1,
  kByte = 2,
  kInteger = 3,
  kLong = 4,
  kCurrency = 5,
  kSingle = 6,
  kDouble = 7,
  kDate = 8,
  kBinary = 9,
  kText = 10,
  kLongBinary = 11,
  kMemo = 12,
  kGuid = 15,
  kDecimal = 20,
};

DaoType DaoTypeOf(const ColumnDef& c);
// Field.Size: characters for Text, bytes for fixed types, 0 for Memo/OLE.
int32_t DaoSizeOf(const ColumnDef& c);
// "Boolean", "Long", "Text", "LongBinary", …
const char* DaoTypeName(DaoType d);
// The stored type code of a type name as DaoTypeName gives it (ignoring
// case), 0 for none.
uint8_t StoredTypeNamed(std::string_view name);

}  // namespace jet

#endif  // JET_DAO_TYPE_H_
