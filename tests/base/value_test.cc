#include "base/value.h"

#include <gtest/gtest.h>

#include "base/packed_values.h"
#include "base/runtime_error.h"
#include "tests/support/test_support.h"

namespace base {
namespace {

using test_support::ErrorOf;

TEST(ValueTest, ConversionsFollowTheClassicRuntime) {
  EXPECT_EQ(Value::Text(" 12 ").ToInteger(), 12);
  EXPECT_EQ(Value::Double(2.5).ToInteger(), 2);  // half to even
  EXPECT_EQ(Value::Double(3.5).ToLong(), 4);
  EXPECT_EQ(Value().ToText(), "");
  EXPECT_EQ(Value::Boolean(true).ToText(), "True");
  EXPECT_EQ(ErrorOf([] { Value::Long(32768).ToInteger(); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Value::Text("x").ToLong(); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Value::Null().ToText(); }), err::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([] { Value::Long(1).AsText(); }), err::kTypeMismatch);
}

TEST(ValueTest, NumbersPrintExactly) {
  EXPECT_EQ(DoubleToString(0.001), "0.001");
  EXPECT_EQ(DoubleToString(123456.789), "123456.789");
  EXPECT_EQ(DoubleToString(-1.5), "-1.5");
  EXPECT_EQ(DoubleToString(1e20), "1E+20");
  EXPECT_EQ(DoubleToString(100), "100");
  EXPECT_EQ(CurrencyToString({35000}), "3.5");
  EXPECT_EQ(CurrencyToString({-1}), "-0.0001");
  EXPECT_EQ(CurrencyToString({INT64_MIN}), "-922337203685477.5808");
  EXPECT_EQ(DecimalToString({.scale = 2, .mantissa = 150}), "1.50");
  EXPECT_EQ(DecimalToString({.negative = true, .scale = 3, .mantissa = 5}),
            "-0.005");
}

// Messages: the name in place of '|' (or dropped with its quotes), a detail
// in parentheses before the final period.
TEST(ErrorCatalogTest, MessagesFillTheCataloguesTexts) {
  EXPECT_EQ(err::Message(err::kTableExists, "T"), "Table 'T' already exists.");
  EXPECT_EQ(err::Message(err::kCouldNotUseFile, {}, "encrypted"),
            "The Microsoft Jet database engine cannot open the file "
            "(encrypted).");
  EXPECT_EQ(err::Message(err::kOverflow, {}, "x"), "Overflow (x)");
  EXPECT_EQ(Error(1234, "S").description(),
            "Application-defined or object-defined error");
}

TEST(PackedValuesTest, EveryTypeComesBackEqual) {
  Decimal d;
  d.negative = true;
  d.scale = 2;
  d.mantissa = (static_cast<unsigned __int128>(1) << 90) + 7;
  Guid g;
  g.bytes[0] = 1;
  g.bytes[15] = 0xFF;
  const std::vector<Value> values = {
      Value(),
      Value::Null(),
      Value::Boolean(true),
      Value::Byte(200),
      Value::Integer(-3),
      Value::Long(-70000),
      Value::FromCurrency(Currency{-125000}),
      Value::Single(1.5f),
      Value::Double(-0.1),
      Value::FromDate(Date{45000.25}),
      Value::Text(""),
      Value::Text("a longer text than a short string holds, äöü"),
      Value::Binary({}),
      Value::Binary({0, 1, 2}),
      Value::FromGuid(g),
      Value::FromDecimal(d)};
  PackedValues packed;
  for (const Value& v : values) packed.Append(v);
  ASSERT_EQ(packed.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(packed.At(i).type(), values[i].type()) << i;
    EXPECT_EQ(packed.At(i), values[i]) << i;
  }
  EXPECT_THROW(packed.At(values.size()), std::out_of_range);
}

}  // namespace
}  // namespace base
