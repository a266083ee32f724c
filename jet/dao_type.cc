#include "jet/dao_type.h"

#include "base/text.h"
#include "jet/errors.h"
#include "jet/format.h"

namespace jet {
namespace {

struct TypeInfo {
  uint8_t stored;
  DaoType dao;
  const char* name;
  int32_t size;  // Field.Size of the fixed types
};

constexpr TypeInfo kTypes[] = {
    {format::kTypeBoolean, DaoType::kBoolean, "Boolean", 1},
    {format::kTypeByte, DaoType::kByte, "Byte", 1},
    {format::kTypeInteger, DaoType::kInteger, "Integer", 2},
    {format::kTypeLong, DaoType::kLong, "Long", 4},
    {format::kTypeCurrency, DaoType::kCurrency, "Currency", 8},
    {format::kTypeSingle, DaoType::kSingle, "Single", 4},
    {format::kTypeDouble, DaoType::kDouble, "Double", 8},
    {format::kTypeDate, DaoType::kDate, "Date", 8},
    {format::kTypeBinary, DaoType::kBinary, "Binary", 0},
    {format::kTypeText, DaoType::kText, "Text", 0},
    {format::kTypeOle, DaoType::kLongBinary, "LongBinary", 0},
    {format::kTypeMemo, DaoType::kMemo, "Memo", 0},
    {format::kTypeGuid, DaoType::kGuid, "GUID", 16},
    {format::kTypeNumeric, DaoType::kDecimal, "Decimal", 16},
};

const TypeInfo& InfoOf(const ColumnDef& c) {
  for (const TypeInfo& t : kTypes) {
    if (t.stored == c.type) return t;
  }
  ThrowCorrupt("unknown column type");
}

}  // namespace

DaoType DaoTypeOf(const ColumnDef& c) { return InfoOf(c).dao; }

int32_t DaoSizeOf(const ColumnDef& c) {
  const TypeInfo& t = InfoOf(c);
  if (t.dao == DaoType::kText) return c.length / 2;
  if (t.dao == DaoType::kBinary) return c.length;
  return t.size;
}

const char* DaoTypeName(DaoType d) {
  for (const TypeInfo& t : kTypes) {
    if (t.dao == d) return t.name;
  }
  return "?";
}

uint8_t StoredTypeNamed(std::string_view name) {
  for (const TypeInfo& t : kTypes) {
    if (base::EqualsIgnoreCase(name, t.name)) return t.stored;
  }
  return 0;
}

}  // namespace jet
