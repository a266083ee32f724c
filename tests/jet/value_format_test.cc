// Cell decoding for types no sample file holds, and the JSON text of cells.

#include <gtest/gtest.h>

#include <cstring>

#include "base/runtime_error.h"
#include "jet/format.h"
#include "jet/row_reader.h"
#include "jet/tool/json.h"

namespace jet {
namespace {

using base::Value;

std::string Json(const Value& v) {
  std::string out;
  tool::AppendJsonValue(out, v);
  return out;
}

TEST(ValueFormatTest, FixedValuesFromStoredBytes) {
  ColumnDef single{.name = "single", .type = format::kTypeSingle, .length = 4};
  float f = 1.1f;
  uint8_t fb[4];
  std::memcpy(fb, &f, 4);
  EXPECT_EQ(DecodeFixedValue(single, fb), Value::Single(1.1f));

  ColumnDef money{.name = "money", .type = format::kTypeCurrency, .length = 8};
  uint8_t m[8] = {0x48, 0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};  // -35000
  EXPECT_EQ(DecodeFixedValue(money, m), Value::FromCurrency({-35000}));

  ColumnDef guid{.name = "guid", .type = format::kTypeGuid, .length = 16};
  uint8_t g[16] = {0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0xDE,
                   1,    2,    3,    4,    5,    6,    7,    8};
  EXPECT_EQ(base::GuidToString(DecodeFixedValue(guid, g).AsGuid()),
            "{12345678-9ABC-DEF0-0102-030405060708}");

  // -123.45 as Numeric(10, 2): sign byte, then 32-bit words, high word first.
  ColumnDef dec{.name = "dec",
                .type = format::kTypeNumeric,
                .precision = 10,
                .scale = 2,
                .length = 17};
  uint8_t d[17] = {0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x39, 0x30, 0, 0};
  Value v = DecodeFixedValue(dec, d);
  EXPECT_EQ(base::DecimalToString(v.AsDecimal()), "-123.45");
  // Too few bytes for the type is damage, not a read past the end.
  EXPECT_THROW(DecodeFixedValue(dec, Bytes(d, 16)), base::RuntimeError);
}

TEST(ValueFormatTest, JsonCells) {
  EXPECT_EQ(Json(Value::Null()), "null");
  EXPECT_EQ(Json(Value::Boolean(true)), "true");
  EXPECT_EQ(Json(Value::Byte(255)), "255");
  EXPECT_EQ(Json(Value::Integer(-32768)), "-32768");
  EXPECT_EQ(Json(Value::Long(-2147483647 - 1)), "-2147483648");
  // Shortest text that reads back to the same double.
  EXPECT_EQ(Json(Value::Double(0.1)), "0.1");
  EXPECT_EQ(Json(Value::Double(123456.789)), "123456.789");
  EXPECT_EQ(Json(Value::Double(0.1 + 0.2)), "0.30000000000000004");
  EXPECT_EQ(Json(Value::Single(1.1f)), "1.1");
  EXPECT_EQ(Json(Value::FromCurrency({35000})), "\"3.5\"");
  EXPECT_EQ(Json(Value::FromDate({-1.25})), "\"1899-12-29T06:00:00\"");
  EXPECT_EQ(Json(Value::Binary({0x00, 0xAB})), "\"00ab\"");
  EXPECT_EQ(Json(Value::Text("a\"b\\c\r\n\x01é")),
            "\"a\\\"b\\\\c\\r\\n\\u0001é\"");
}

}  // namespace
}  // namespace jet
