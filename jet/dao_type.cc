#include "jet/dao_type.h"

#include "jet/errors.h"
#include "jet/format.h"

namespace jet {

DaoType DaoTypeOf(const ColumnDef& c) {
  switch (c.type) {
    case format::kTypeBoolean:
      return DaoType::kBoolean;
    case format::kTypeByte:
      return DaoType::kByte;
    case format::kTypeInteger:
      return DaoType::kInteger;
    case format::kTypeLong:
      return DaoType::kLong;
    case format::kTypeCurrency:
      return DaoType::kCurrency;
    case format::kTypeSingle:
      return DaoType::kSingle;
    case format::kTypeDouble:
      return DaoType::kDouble;
    case format::kTypeDate:
      return DaoType::kDate;
    case format::kTypeBinary:
      return DaoType::kBinary;
    case format::kTypeText:
      return DaoType::kText;
    case format::kTypeOle:
      return DaoType::kLongBinary;
    case format::kTypeMemo:
      return DaoType::kMemo;
    case format::kTypeGuid:
      return DaoType::kGuid;
    case format::kTypeNumeric:
      return DaoType::kDecimal;
  }
  ThrowCorrupt("unknown column type");
}

int32_t DaoSizeOf(const ColumnDef& c) {
  switch (DaoTypeOf(c)) {
    case DaoType::kBoolean:
    case DaoType::kByte:
      return 1;
    case DaoType::kInteger:
      return 2;
    case DaoType::kLong:
    case DaoType::kSingle:
      return 4;
    case DaoType::kCurrency:
    case DaoType::kDouble:
    case DaoType::kDate:
      return 8;
    case DaoType::kGuid:
    case DaoType::kDecimal:
      return 16;
    case DaoType::kText:
      return c.length / 2;
    case DaoType::kBinary:
      return c.length;
    case DaoType::kLongBinary:
    case DaoType::kMemo:
      return 0;
  }
  return 0;
}

const char* DaoTypeName(DaoType t) {
  switch (t) {
    case DaoType::kBoolean:
      return "Boolean";
    case DaoType::kByte:
      return "Byte";
    case DaoType::kInteger:
      return "Integer";
    case DaoType::kLong:
      return "Long";
    case DaoType::kCurrency:
      return "Currency";
    case DaoType::kSingle:
      return "Single";
    case DaoType::kDouble:
      return "Double";
    case DaoType::kDate:
      return "Date";
    case DaoType::kBinary:
      return "Binary";
    case DaoType::kText:
      return "Text";
    case DaoType::kLongBinary:
      return "LongBinary";
    case DaoType::kMemo:
      return "Memo";
    case DaoType::kGuid:
      return "GUID";
    case DaoType::kDecimal:
      return "Decimal";
  }
  return "?";
}

}  // namespace jet
