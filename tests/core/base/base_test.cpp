#include <gtest/gtest.h>

#include <string>

#include "core/base/error_text.h"
#include "core/base/quoting.h"
#include "core/base/text.h"

namespace velmora::base {
namespace {

struct LowerCase {
  const char* name;
  std::string in, lower, asciiLower;
};

// Lower goes through the C library's classes (the tests run in the "C" locale, where they are
// ASCII too); AsciiLower never touches a byte above 0x7F whatever the locale.
TEST(BaseText, LowerAndAsciiLower) {
  const LowerCase cases[] = {
      {"empty", "", "", ""},
      {"ascii letters", "Z001_Name", "z001_name", "z001_name"},
      {"digits and signs", "[A]=\"B\" 1", "[a]=\"b\" 1", "[a]=\"b\" 1"},
      {"chinese", "单位Name", "单位name", "单位name"},
      {"latin letter with accent", "ÉCOLE", "École", "École"},
      {"lone high bytes", std::string("\xC9\xFF""A", 3), std::string("\xC9\xFF""a", 3), std::string("\xC9\xFF""a", 3)},
  };
  for (const LowerCase& c : cases) {
    EXPECT_EQ(AsciiLower(c.in), c.asciiLower) << c.name;
    EXPECT_EQ(Lower(c.in), c.lower) << c.name;
  }
  EXPECT_EQ(AsciiLowerChar('Q'), 'q');
  EXPECT_EQ(AsciiLowerChar('['), '[');
  EXPECT_EQ(AsciiLowerChar('@'), '@');
  EXPECT_TRUE(IsAsciiLetter('a'));
  EXPECT_TRUE(IsAsciiLetter('Z'));
  EXPECT_FALSE(IsAsciiLetter('_'));
  EXPECT_FALSE(IsAsciiLetter('\xC9'));
}

struct TrimCase {
  const char* name;
  std::string in, blanks, out;
};

TEST(BaseText, TrimKeepsInnerBlanksAndOnlyDropsTheGivenOnes) {
  const TrimCase cases[] = {
      {"empty", "", " \t\r\n", ""},
      {"only blanks", " \t\r\n ", " \t\r\n", ""},
      {"line ends around", "\r\n a b \t\n", " \t\r\n", "a b"},
      {"nothing to drop", "abc", " \t\r\n", "abc"},
      {"spaces only: a tab stays", "\t a \t", " ", "\t a \t"},
      {"spaces and tabs: a line end stays", " a\r\n", " \t", "a\r\n"},
      {"chinese full-width space is not a blank", "　值　", " \t\r\n", "　值　"},
  };
  for (const TrimCase& c : cases) EXPECT_EQ(Trim(c.in, c.blanks), c.out) << c.name;
  EXPECT_EQ(Trim("  x\n"), "x");
}

TEST(BaseQuoting, SqlNamesDoubleTheirQuotes) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "\"\""},
      {"table1", "\"table1\""},
      {"a\"b", "\"a\"\"b\""},
      {"\"\"", "\"\"\"\"\"\""},
      {"单位 名称", "\"单位 名称\""},
      {"[x]'y", "\"[x]'y\""},
  };
  for (const auto& [name, quoted] : cases) EXPECT_EQ(QuoteSqlName(name), quoted) << name;
}

TEST(BaseQuoting, PathsGoBetweenChineseQuotesUnchanged) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "“”"},
      {"C:\\数据\\a.mdb", "“C:\\数据\\a.mdb”"},
      {"a“b”", "“a“b””"},
      {"x\"y", "“x\"y”"},
  };
  for (const auto& [path, quoted] : cases) EXPECT_EQ(QuotedPath(path), quoted) << path;
}

TEST(BaseErrorText, EachVariantKeepsItsExactWording) {
  EXPECT_EQ(RunErrorText("disk full"), "运行中发生错误：disk full");
  EXPECT_EQ(PublisherErrorText("disk full"), "运行中发生错误：disk full,请与软件发行者联系。");
  EXPECT_EQ(AdministratorErrorText("disk full"), "运行中发生错误：disk full,请与系统管理员或软件发行者联系。");
  EXPECT_EQ(PublisherErrorText(""), "运行中发生错误：,请与软件发行者联系。");
  EXPECT_EQ(AdministratorErrorText(""), "运行中发生错误：,请与系统管理员或软件发行者联系。");
}

}  // namespace
}  // namespace velmora::base
