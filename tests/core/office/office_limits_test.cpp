// Templates and list files from elsewhere: hostile zips are refused quickly, naming the file and the
// cause, before their parts are inflated or copied; list files have a size limit.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/office/office_error.h"
#include "core/office/package.h"
#include "core/office/template_workbook.h"
#include "core/summary/sum_table_list.h"
#include "support/test_paths.h"
#include "support/workbook_package.h"

namespace velmora::office {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

testing::PackageParts GoodWorkbook() {
  return testing::FixtureWorkbook({{"表一", R"(<row r="1"><c r="A1"><v>1</v></c></row>)", "", "", ""}});
}

void PutLe32(std::string& bytes, size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Rewrites the unpacked size the zip declares for `name`, in its local header and its central
// directory entry, leaving the data as it is.
void DeclareSize(const fs::path& file, const std::string& name, std::uint32_t size) {
  std::string bytes = testing::ReadFileBytes(file);
  int patched = 0;
  for (size_t at = 0; at + 46 < bytes.size(); ++at) {
    if (bytes.compare(at, 4, "PK\x03\x04") == 0 && bytes.compare(at + 30, name.size(), name) == 0 &&
        static_cast<unsigned char>(bytes[at + 26]) == name.size()) {
      PutLe32(bytes, at + 22, size);
      ++patched;
    }
    if (bytes.compare(at, 4, "PK\x01\x02") == 0 && bytes.compare(at + 46, name.size(), name) == 0 &&
        static_cast<unsigned char>(bytes[at + 28]) == name.size()) {
      PutLe32(bytes, at + 24, size);
      ++patched;
    }
  }
  ASSERT_EQ(patched, 2) << name;
  testing::WriteFileBytes(file, bytes);
}

// Renames an entry to a name of the same length, in its local header and central directory entry.
void RenameEntry(const fs::path& file, const std::string& from, const std::string& to) {
  ASSERT_EQ(from.size(), to.size());
  std::string bytes = testing::ReadFileBytes(file);
  int renamed = 0;
  for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + 1)) {
    bytes.replace(at, from.size(), to);
    ++renamed;
  }
  ASSERT_EQ(renamed, 2) << from;
  testing::WriteFileBytes(file, bytes);
}

struct Refusal {
  std::string file;
  std::string says;  // the cause, as the message names it
};

// Opens every file and expects a refusal naming the file and the cause, within a second.
template <typename Open>
void ExpectRefused(const TempDir& dir, const std::vector<Refusal>& cases, Open open) {
  for (const Refusal& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    try {
      open((dir / c.file).string());
      ADD_FAILURE() << c.file << " opened";
    } catch (const OfficeError& e) {
      const std::string text = e.what();
      EXPECT_NE(text.find(c.says), std::string::npos) << c.file << ": " << text;
      EXPECT_NE(text.find(c.file), std::string::npos) << c.file << ": " << text;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.file;
  }
}

TEST(OfficeLimits, HostileTemplatesAreRefusedNamingTheCause) {
  TempDir dir;
  std::vector<Refusal> cases;
  auto withPart = [&](const std::string& file, const std::string& part, const std::string& data, const char* says) {
    testing::PackageParts parts = GoodWorkbook();
    parts[part] = data;
    testing::WritePackage(dir / file, parts);
    cases.push_back({file, says});
  };
  const char* outside = "指向工作簿以外";
  withPart("up.xltx", "../../evil.txt", "x", outside);
  withPart("inner-up.xltx", "xl/../../evil.txt", "x", outside);
  withPart("backslash-up.xltx", "xl\\..\\..\\evil.txt", "x", outside);
  withPart("absolute.xltx", "/abs/evil.txt", "x", outside);
  withPart("absolute-backslash.xltx", "\\abs\\evil.txt", "x", outside);
  withPart("drive.xltx", "C:evil.txt", "x", outside);
  // libzip will not add such names: the bytes of a placeholder are changed afterwards.
  withPart("control.xltx", "xl/ev#il.xml", "<a/>", outside);
  RenameEntry(dir / "control.xltx", "xl/ev#il.xml", "xl/ev\x01il.xml");
  withPart("newline.xltx", "xl/evil#.xml", "<a/>", outside);
  RenameEntry(dir / "newline.xltx", "xl/evil#.xml", "xl/evil\n.xml");

  const std::string laughs = R"(<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol">)"
                             R"(<!ENTITY lol2 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">]><lolz>&lol2;</lolz>)";
  {
    testing::PackageParts parts = GoodWorkbook();
    parts["xl/workbook.xml"].insert(parts["xl/workbook.xml"].find("<workbook"), "<!DOCTYPE workbook SYSTEM \"file:///etc/passwd\">");
    testing::WritePackage(dir / "doctype-book.xltx", parts);
    cases.push_back({"doctype-book.xltx", "文档类型声明"});
  }
  withPart("doctype-custom.xltx", "customXml/item1.xml", laughs, "文档类型声明");
  withPart("doctype-lower.xltx", "custom/any.bin", "<!doctype x><x/>", "文档类型声明");

  // A part that really inflates beyond one part's limit.
  withPart("big-part.xltx", "custom/zeros.bin", std::string((64u << 20) + 1, '\0'), "解压后大于64 MB");
  // Declared sizes beyond the limits are refused before anything is inflated (a 4 GiB entry used to
  // be allocated whole).
  withPart("declares-4g.xltx", "custom/small.bin", "tiny", "解压后大于64 MB");
  DeclareSize(dir / "declares-4g.xltx", "custom/small.bin", 0xFFFFFFFEu);
  {
    testing::PackageParts parts = GoodWorkbook();
    for (int i = 0; i < 5; ++i) parts["custom/part" + std::to_string(i) + ".bin"] = "tiny";
    testing::WritePackage(dir / "declares-300m.xltx", parts);
    for (int i = 0; i < 5; ++i) DeclareSize(dir / "declares-300m.xltx", "custom/part" + std::to_string(i) + ".bin", 60u << 20);
    cases.push_back({"declares-300m.xltx", "全部部件解压后大于256 MB"});
  }
  {
    testing::PackageParts parts = GoodWorkbook();
    for (int i = 0; parts.size() <= 10'000; ++i) parts["custom/n" + std::to_string(i)] = "";
    testing::WritePackage(dir / "many.xltx", parts);
    cases.push_back({"many.xltx", "多于10000个"});
  }
  ExpectRefused(dir, cases, [](const std::string& path) { TemplateWorkbook::Open(path); });
}

// The sizes a package declares are not trusted: inflating stops at the limits.
TEST(OfficeLimits, SizesAreEnforcedWhileInflating) {
  TempDir dir;
  const detail::PackageLimits small{100, 1u << 20, 3u << 20};
  const std::string mib(1u << 20, 'a');
  {
    testing::PackageParts parts = GoodWorkbook();
    parts["custom/liar.bin"] = mib + mib;
    testing::WritePackage(dir / "one-liar.xltx", parts);
    DeclareSize(dir / "one-liar.xltx", "custom/liar.bin", 100);
  }
  {
    testing::PackageParts parts = GoodWorkbook();
    for (int i = 0; i < 4; ++i) parts["custom/liar" + std::to_string(i) + ".bin"] = mib.substr(0, mib.size() - 100);
    testing::WritePackage(dir / "four-liars.xltx", parts);
    for (int i = 0; i < 4; ++i) DeclareSize(dir / "four-liars.xltx", "custom/liar" + std::to_string(i) + ".bin", 10);
  }
  ExpectRefused(dir,
                {{"one-liar.xltx", "解压后大于1 MB"}, {"four-liars.xltx", "全部部件解压后大于3 MB"}},
                [&](const std::string& path) { detail::Package::Read(path, small); });

  // Within the limits a package reads whole.
  testing::PackageParts parts = GoodWorkbook();
  parts["custom/fits.bin"] = mib.substr(0, mib.size() - 1);
  testing::WritePackage(dir / "fits.xltx", parts);
  const detail::Package read = detail::Package::Read((dir / "fits.xltx").string(), small);
  ASSERT_NE(read.find("custom/fits.bin"), nullptr);
  EXPECT_EQ(*read.find("custom/fits.bin"), parts["custom/fits.bin"]);
}

TEST(OfficeLimits, SumTableListFileHasASizeLimit) {
  TempDir dir;
  fs::create_directories(dir / "program");
  const std::string program = (dir / "program").string();
  struct Case {
    size_t bytes;
    bool loads;
  } cases[] = {{1000, true}, {(1u << 20) - 10, true}, {(1u << 20) + 1, false}, {64u << 20, false}};
  for (const Case& c : cases) {
    std::string text;
    while (text.size() + 10 <= c.bytes) text += "&1 1 表一\r\n";
    text.resize(c.bytes, ' ');
    testing::WriteFileBytes(dir / "program" / summary::kSumTableFileName, text);
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    const auto entries = summary::LoadSumTable(program, "", error);
    EXPECT_EQ(entries.has_value(), c.loads) << c.bytes << ": " << error;
    if (!c.loads) {
      EXPECT_NE(error.find("过大"), std::string::npos) << error;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.bytes;
  }
}

}  // namespace
}  // namespace velmora::office
