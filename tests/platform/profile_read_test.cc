#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "platform/profile.h"

namespace platform::profile {
namespace {

struct ReadCase {
  const char* name;
  std::optional<std::string> content;
  std::optional<std::string> section;
  std::optional<std::string> key;
  std::string default_value;
  uint32_t size;
  std::string expected;
  uint32_t count;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

const std::string kFile =
    "lead=ignored\r\n[App]\r\nname1 = val1 \r\nname2=\"val2\"\r\n"
    "name3='both' \r\nname4=\"mixed'\r\nname5=\"\"inner\"\"\r\n"
    "\tname6\t=\ttabbed\t\r\nname7= a=b ;c\r\n; hidden=comment\r\n"
    "#hash=kept\r\nempty=\r\ndup=first\r\nDUP=second\r\nnoequals\r\n"
    "  [ Other ]  trailing\r\nx=1\r\n[app]\r\nlate=invisible\r\n"
    "[Unclosed\r\nu=open\r\n";

// A case on kFile with default "d" and the full buffer.
ReadCase InFile(const char* name, const char* section, const char* key,
                const char* expected, uint32_t count) {
  return {name, kFile, section, key, "d", 255, expected, count};
}

class ProfileReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ProfileReadTest, ReturnsTextAndCount) {
  const ReadCase& c = GetParam();
  std::string out = "untouched";
  EXPECT_EQ(
      GetString(c.content, c.section, c.key, c.default_value, c.size, out),
      c.count);
  EXPECT_EQ(out, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProfileReadTest,
    testing::Values(
        InFile("Trimmed", "App", "name1", "val1", 4),
        InFile("ArgumentSpacesIgnored", " App ", " name1 ", "val1", 4),
        InFile("ArgumentTabsKept", "App", "\tname1", "d", 1),
        InFile("DoubleQuotesDropped", "App", "name2", "val2", 4),
        InFile("SingleQuotesDropped", "App", "name3", "both", 4),
        InFile("MixedQuotesKept", "App", "name4", "\"mixed'", 7),
        InFile("OnlyOnePairDropped", "App", "name5", "\"inner\"", 7),
        InFile("TabsAroundTrimmed", "App", "name6", "tabbed", 6),
        InFile("NoInlineComments", "App", "name7", "a=b ;c", 6),
        InFile("SemicolonLineIsComment", "App", "; hidden", "d", 1),
        InFile("HashIsNoComment", "App", "#hash", "kept", 4),
        InFile("EmptyValueIsNotDefault", "App", "empty", "", 0),
        InFile("FirstDuplicateKeyWins", "App", "dup", "first", 5),
        InFile("FirstDuplicateSectionOnly", "APP", "late", "d", 1),
        InFile("LinesBeforeFirstSectionIgnored", "", "lead", "d", 1),
        InFile("BlanksAroundSectionName", "Other", "x", "1", 1),
        InFile("MissingBracketTolerated", "Unclosed", "u", "open", 4),
        ReadCase{"MissingFileGivesDefault", std::nullopt, "App", "name1", "def",
                 255, "def", 3},
        ReadCase{"DefaultLosesTrailingSpacesOnly", kFile, "App", "missing",
                 "  d\t  ", 255, "  d\t", 4},
        ReadCase{"BlankDefaultIsEmpty", kFile, "None", "x",
                 std::string(255, ' '), 255, "", 0},
        ReadCase{"ValueCutToBuffer", kFile, "App", "name1", "d", 4, "val", 3},
        ReadCase{"DefaultCutToBuffer", kFile, "App", "missing", "default", 4,
                 "def", 3},
        ReadCase{"BufferOfOne", kFile, "App", "name1", "d", 1, "", 0},
        ReadCase{"BufferOfZeroLeavesOutAlone", kFile, "App", "name1", "d", 0,
                 "untouched", 0},
        ReadCase{"LoneCrEndsLines", std::string("[S]\rk=v\rj=w"), "S", "j", "d",
                 255, "w", 1},
        ReadCase{"LfEndsLines", std::string("[S]\nk=v\n"), "S", "k", "d", 255,
                 "v", 1},
        ReadCase{"Windows1252NamesIgnoreCase",
                 std::string("[\xC4rger]\r\n\xFC=\xE9t\xE9\r\n"),
                 std::string("\xE4RGER"), std::string("\xDC"), "d", 255,
                 std::string("\xE9t\xE9"), 3},
        ReadCase{"SectionNames", std::string("[A]\r\n[B]\r\n"), std::nullopt,
                 std::nullopt, "d", 255, std::string("A\0B\0", 4), 4},
        ReadCase{"SectionNamesCut", std::string("[Alpha]\r\n[Beta]\r\n"),
                 std::nullopt, std::nullopt, "d", 8, std::string("Alpha\0", 6),
                 6},
        ReadCase{"KeyNamesSkipCommentsAndBareLines",
                 std::string("[S]\r\n;c=1\r\na=1\r\nbare\r\nb=2\r\n"), "s",
                 std::nullopt, "d", 255, std::string("a\0b\0", 4), 4},
        ReadCase{"KeyNamesOfMissingFile", std::nullopt, "S", std::nullopt, "d",
                 255, "", 0}),
    [](const testing::TestParamInfo<ReadCase>& info) {
      return std::string(info.param.name);
    });

struct IntCase {
  const char* name;
  std::optional<std::string> value_line;  // the line under [S]; no file
  int32_t default_value;
  uint32_t expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const IntCase& c, std::ostream* os) { *os << c.name; }

class ProfileIntTest : public testing::TestWithParam<IntCase> {};

TEST_P(ProfileIntTest, ParsesLikeWindows) {
  const IntCase& c = GetParam();
  std::optional<std::string> content;
  if (c.value_line) content = "[S]\r\n" + *c.value_line + "\r\n";
  EXPECT_EQ(GetInt(content, "S", "k", c.default_value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProfileIntTest,
    testing::Values(IntCase{"Plain", "k=42", -1, 42},
                    IntCase{"Blanks", "k=   17  ", -1, 17},
                    IntCase{"Plus", "k=+1", -1, 1},
                    IntCase{"MinusOneWraps", "k=-1", 5, 4294967295u},
                    IntCase{"StopsAtNonDigit", "k=42A94967297", -1, 42},
                    IntCase{"NonNumericIsZero", "k=B4294967297", -1, 0},
                    IntCase{"HexIsZero", "k=0x10", -1, 0},
                    IntCase{"WrapsAt2To32", "k=4294967296", -1, 0},
                    IntCase{"WrapsPlusOne", "k=4294967297", -1, 1},
                    IntCase{"NegativeWraps", "k=-4294967297", -1, 4294967295u},
                    IntCase{"Quoted", "k=\"7\"", -1, 7},
                    IntCase{"EmptyGivesDefault", "k=", -1, 4294967295u},
                    IntCase{"MissingGivesDefault", "other=3", 9, 9},
                    IntCase{"MissingFileGivesDefault", std::nullopt, 12, 12}),
    [](const testing::TestParamInfo<IntCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
}  // namespace platform::profile
