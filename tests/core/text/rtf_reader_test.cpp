// The notes reader: the RTF the notes files use, into HTML; damaged input never stops it; the
// shipped notes all read.
#include "core/text/rtf_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_paths.h"

namespace velmora::text {
namespace {

bool Contains(const std::string& html, const std::string& piece) { return html.find(piece) != std::string::npos; }

TEST(RtfReaderTest, FormatsAndCharactersBecomeHtml) {
  struct Case {
    const char* what;
    const char* rtf;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  } cases[] = {
      {"bold in a group", R"({\rtf1 a{\b bold}c\par})",
       {"a<span style=\"font-weight:bold;\">bold</span>c"}, {}},
      {"bold switched off", R"({\rtf1\b on\b0 off})", {"<span style=\"font-weight:bold;\">on</span>off"}, {}},
      {"italic and size", R"({\rtf1\i\fs28 big\fs21 small})",
       {"font-style:italic;font-size:14pt;\">big", "font-size:10.5pt;\">small"}, {}},
      {"colour from the table", R"({\rtf1{\colortbl ;\red255\green0\blue0;\red0\green51\blue128;}\cf2 blue\cf0 plain})",
       {"color:#003380;\">blue</span>plain"}, {"red", "green"}},
      {"\\u with its fallback", R"({\rtf1 \u20013?\u25991?x})", {"中文x"}, {"?"}},
      {"\\u above 32767 written negative", R"({\rtf1 \u-27541?})", {"鑫"}, {}},
      {"\\uc2 skips two escapes", R"({\rtf1\uc2 \u20013\'d6\'d0x})", {"中x"}, {}},
      {"a pair of halves", R"({\rtf1 \u-10179?\u-8704?})", {"\xF0\x9F\x98\x80"}, {}},
      {"GBK escapes", R"({\rtf1\ansi\ansicpg936 \'d6\'d0\'ce\'c4\'b1\'ed1})", {"中文表1"}, {}},
      {"GBK escapes split by a format", R"({\rtf1 \'b9\'a4{\b \'bb\'e1})",
       {"工<span style=\"font-weight:bold;\">会</span>"}, {}},
      {"ignored destinations",
       R"({\rtf1{\fonttbl{\f0\fnil\fcharset134 \'cb\'ce\'cc\'e5;}}{\*\generator x 1;}{\info{\title T}}{\*\unknown zzz}body})",
       {"body"}, {"宋体", "x 1", "T", "zzz"}},
      {"escaped and reserved characters", R"({\rtf1 a\{b\}c\\d <&>})", {"a{b}c\\d &lt;&amp;&gt;"}, {}},
      {"paragraphs and alignment", R"({\rtf1\pard\qc\sa120 one\par\pard two\par})",
       {"text-align:center;\">one</p>", "margin-bottom:8px;", ">two</p>"}, {}},
      {"blank runs kept", R"({\rtf1 a   b})", {"a &nbsp;&nbsp;b"}, {}},
  };
  for (const Case& c : cases) {
    const std::string html = RtfToHtml(c.rtf);
    for (const std::string& piece : c.present) EXPECT_TRUE(Contains(html, piece)) << c.what << "\n" << html;
    for (const std::string& piece : c.absent) EXPECT_FALSE(Contains(html, piece)) << c.what << "\n" << html;
  }
}

TEST(RtfReaderTest, DamagedInputGivesWhatCouldBeRead) {
  struct Case {
    const char* what;
    std::string rtf;
    const char* expected;  // a piece of the result; empty: the result is empty
  } cases[] = {
      {"not rich text", "plain text {\\b not}", ""},
      {"empty", "", ""},
      {"only tables", R"({\rtf1{\fonttbl{\f0 Arial;}}})", ""},
      {"cut off inside a group", R"({\rtf1 {\b abc)", "abc"},
      {"stray closing braces", R"({\rtf1 a}}}b})", "ab"},
      {"broken escape", R"({\rtf1 x\'zy\')", "xzy"},
      {"a lead byte without its trail", R"({\rtf1 \'d6)", "\xEF\xBF\xBD"},
      {"bytes that are no GBK", R"({\rtf1 \'ff\'ffok})", "ok"},
      {"huge parameters", R"({\rtf1\fs99999999999999999\u99999999999 \cf-5 t})", "t"},
      {"a backslash at the very end", "{\\rtf1 t\\", "t"},
      {"deep nesting", "{\\rtf1 " + std::string(100000, '{') + "deep", "deep"},
  };
  for (const Case& c : cases) {
    const std::string html = RtfToHtml(c.rtf);
    if (std::string(c.expected).empty()) {
      EXPECT_TRUE(html.empty()) << c.what << "\n" << html;
    } else {
      EXPECT_TRUE(Contains(html, c.expected)) << c.what << "\n" << html;
    }
  }
}

TEST(RtfReaderTest, ShippedNotesAllReadWithTheirPageHeadings) {
  const char* headings[] = {"封面", "表1", "表2", "表3", "表4", "表5", "表6", "表8"};
  for (int page = 0; page < 8; ++page) {
    char name[32];
    std::snprintf(name, sizeof name, "TableNotesVM-%02d.rtf", page);
    const std::string rtf = velmora::testing::ReadFileBytes(velmora::testing::ProgramDir() / "notes" / name);
    ASSERT_FALSE(rtf.empty()) << name;
    for (char ch : rtf) ASSERT_LT(static_cast<unsigned char>(ch), 0x80) << name << " is not pure ASCII";
    const std::string html = RtfToHtml(rtf);
    EXPECT_TRUE(Contains(html, headings[page])) << name;
    EXPECT_TRUE(Contains(html, "font-weight:bold;")) << name;
    EXPECT_FALSE(Contains(html, "\xEF\xBF\xBD")) << name << " holds bytes that are no GBK";
  }
}

}  // namespace
}  // namespace velmora::text
