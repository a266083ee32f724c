#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "platform/profile.h"

namespace platform::profile {
namespace {

using std::nullopt;
using Text = std::optional<std::string>;

struct WriteCase {
  const char* name;
  Text content;
  Text section;
  Text key;
  Text value;
  bool ok;
  Text expected;  // absent: the file stays as it is
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class ProfileWriteTest : public testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWriteTest, ProducesContent) {
  const WriteCase& c = GetParam();
  WriteResult result = Write(c.content, c.section, c.key, c.value);
  EXPECT_EQ(result.ok, c.ok);
  EXPECT_EQ(result.content, c.expected);
}

const std::string kFile =
    "; header comment\r\n\r\n[App1]\r\nKey = old \r\nother=x\r\n\r\n"
    "; about App2\r\n[App2]\r\na=1\r\n; trailing comment\r\n";

INSTANTIATE_TEST_SUITE_P(
    Values, ProfileWriteTest,
    testing::Values(
        WriteCase{"NewFile", nullopt, "App", "key", "string", true,
                  "[App]\r\nkey=string\r\n"},
        WriteCase{"NewFileTrimsNames", nullopt, " App ", " key ", " v ", true,
                  "[App]\r\nkey= v \r\n"},
        WriteCase{"ReplaceKeepsKeySpellingAndOtherBytes", kFile, "app1", "KEY",
                  "new", true,
                  "; header comment\r\n\r\n[App1]\r\nKey=new\r\nother=x\r\n"
                  "\r\n; about App2\r\n[App2]\r\na=1\r\n; trailing comment"
                  "\r\n"},
        WriteCase{"NewKeyAfterLastKey", kFile, "App2", "b", "2", true,
                  "; header comment\r\n\r\n[App1]\r\nKey = old \r\nother=x"
                  "\r\n\r\n; about App2\r\n[App2]\r\na=1\r\nb=2\r\n; trailing"
                  " comment\r\n"},
        WriteCase{"NewSectionAtEnd", kFile, "App3", "k", "v", true,
                  kFile + "[App3]\r\nk=v\r\n"},
        WriteCase{"NewSectionAfterUnterminatedLine", "[A]\r\nx=1", "B", "k",
                  "v", true, "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        WriteCase{"NewKeyInEmptySection", "[A]\r\n[B]\r\n", "A", "k", "v", true,
                  "[A]\r\nk=v\r\n[B]\r\n"},
        WriteCase{"NewKeyAtUnterminatedEnd", "[A]\r\nx=1", "A", "k", "v", true,
                  "[A]\r\nx=1\r\nk=v"},
        WriteCase{"EmptyValue", "[A]\r\nx=1\r\n", "A", "x", "", true,
                  "[A]\r\nx=\r\n"},
        WriteCase{"OnlyFirstDuplicateChanged", "[A]\r\nx=1\r\nx=2\r\n", "A",
                  "x", "9", true, "[A]\r\nx=9\r\nx=2\r\n"},
        WriteCase{"LfFileKeepsItsLines", "[A]\nx=1\ny=2\n", "A", "x", "3", true,
                  "[A]\nx=3\ny=2\n"},
        WriteCase{"DeleteKey", kFile, "App1", "other", nullopt, true,
                  "; header comment\r\n\r\n[App1]\r\nKey = old \r\n\r\n; "
                  "about App2\r\n[App2]\r\na=1\r\n; trailing comment\r\n"},
        WriteCase{"DeleteMissingKeyHarmless", kFile, "App1", "none", nullopt,
                  true, nullopt},
        WriteCase{"DeleteSectionKeepsComments", kFile, "App2", nullopt, nullopt,
                  true,
                  "; header comment\r\n\r\n[App1]\r\nKey = old \r\nother=x"
                  "\r\n\r\n; about App2\r\n; trailing comment\r\n"},
        WriteCase{"DeleteFromMissingFileCreatesNothing", nullopt, "A", "k",
                  nullopt, true, nullopt},
        WriteCase{"NoSectionIsFalse", kFile, nullopt, "k", "v", false, nullopt},
        WriteCase{"ValueWithLineBreakRefused", kFile, "A", "k", "v\r\n[Evil]",
                  false, nullopt},
        WriteCase{"KeyWithEqualsRefused", kFile, "A", "k=x", "v", false,
                  nullopt},
        WriteCase{"CommentKeyRefused", kFile, "A", ";k", "v", false, nullopt},
        WriteCase{"SectionWithBracketRefused", kFile, "A]B", "k", "v", false,
                  nullopt},
        WriteCase{"NulBytesBeforeFirstSectionKept",
                  std::string("\0\0junk\r\n[A]\r\nk=1\r\n", 16), "A", "k", "2",
                  true, std::string("\0\0junk\r\n[A]\r\nk=2\r\n", 16)}),
    [](const testing::TestParamInfo<WriteCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
}  // namespace platform::profile
