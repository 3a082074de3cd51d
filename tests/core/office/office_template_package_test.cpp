#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>

#include "core/office/hand_to_user.h"
#include "core/office/office_error.h"
#include "core/office/template_workbook.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"
#include "support/workbook_package.h"

namespace velmora::office {
namespace {

namespace fs = std::filesystem;
using testing::FixtureSheet;
using testing::TempDir;

FixtureSheet OneSheet() { return {"表一", R"(<row r="1"><c r="A1"><v>1</v></c></row>)", "", "", ""}; }

// A folder nobody may write into, root included (root ignores permissions, not the immutable flag).
// False when the file system cannot lock it.
bool LockFolder(const fs::path& folder, bool locked) {
  if (geteuid() != 0) {
    fs::permissions(folder, locked ? fs::perms::owner_read | fs::perms::owner_exec : fs::perms::owner_all);
    return true;
  }
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = locked ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  close(fd);
  return done;
}

std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(OfficeTemplatePackage, WhatIsNotAWorkbookIsToldClearly) {
  TempDir dir;
  testing::WriteFileBytes(dir / "empty.xltx", "");
  testing::WriteFileBytes(dir / "text.xltx", "这不是工作簿\r\n只是一些文字\r\n");
  testing::PackageParts noWorkbook = testing::FixtureWorkbook({OneSheet()});
  noWorkbook.erase("xl/workbook.xml");
  testing::WritePackage(dir / "nobook.xltx", noWorkbook);
  testing::WritePackage(dir / "zip.xltx", {{"readme.txt", "hello"}});
  testing::PackageParts badXml = testing::FixtureWorkbook({OneSheet()});
  badXml["xl/workbook.xml"] = "<workbook><sheets>";
  testing::WritePackage(dir / "badxml.xltx", badXml);
  fs::create_directory(dir / "folder.xltx");
  struct Case {
    const char* file;
    const char* says;
  } cases[] = {
      {"missing.xltx", "找不到"}, {"empty.xltx", "空文件"},       {"text.xltx", "不是工作簿文件"},
      {"nobook.xltx", "没有工作簿"}, {"zip.xltx", "没有工作簿"}, {"badxml.xltx", "不是工作簿"},
      {"folder.xltx", "不是普通文件"},
  };
  for (const Case& c : cases) {
    try {
      TemplateWorkbook::Open((dir / c.file).string());
      ADD_FAILURE() << c.file << " opened";
    } catch (const OfficeError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.file << ": " << e.what();
    }
  }
}

TEST(OfficeTemplatePackage, AFailedSaveLeavesNothingAndKeepsThePreviousFile) {
  TempDir dir;
  testing::WritePackage(dir / "t.xltx", testing::FixtureWorkbook({OneSheet()}));
  auto book = TemplateWorkbook::Open((dir / "t.xltx").string());
  book.sheet(1).setText(1, 1, "新值");
  testing::ScriptedPrompts prompts;
  fs::create_directory(dir / "locked");
  testing::WriteFileBytes(dir / "locked" / "old.xlsx", "previous");
  if (!LockFolder(dir / "locked", true)) GTEST_SKIP() << "this file system cannot lock a folder";
  EXPECT_THROW(book.save((dir / "locked" / "old.xlsx").string()), OfficeError);
  EXPECT_THROW(book.save((dir / "locked" / "new.xlsx").string()), OfficeError);
  EXPECT_THROW(HandToUser(book, prompts, (dir / "locked").string(), "汇总表", "汇总表"), OfficeError);
  ASSERT_TRUE(LockFolder(dir / "locked", false));
  EXPECT_TRUE(prompts.openedDocuments.empty());
  EXPECT_EQ(FilesIn(dir / "locked"), std::vector<std::string>{"old.xlsx"});
  EXPECT_EQ(testing::ReadFileBytes(dir / "locked" / "old.xlsx"), "previous");
}

TEST(OfficeTemplatePackage, ASaveIntoAMissingFolderOrOverAFolderFails) {
  TempDir dir;
  testing::WritePackage(dir / "t.xltx", testing::FixtureWorkbook({OneSheet()}));
  auto book = TemplateWorkbook::Open((dir / "t.xltx").string());
  EXPECT_THROW(book.save((dir / "nowhere" / "x.xlsx").string()), OfficeError);
  fs::create_directory(dir / "a folder.xlsx");
  EXPECT_THROW(book.save((dir / "a folder.xlsx").string()), OfficeError);
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"a folder.xlsx", "t.xltx"}));
  // Saved over the template it came from, the package is whole.
  book.sheet(1).setText(2, 1, "再存");
  book.save((dir / "t.xltx").string());
  EXPECT_EQ(TemplateWorkbook::Open((dir / "t.xltx").string()).sheet(1).value(2, 1), CellValue::Text("再存"));
}

TEST(OfficeTemplatePackage, HandingToTheUserNeverReplacesAFile) {
  TempDir dir;
  testing::WritePackage(dir / "t.xltx", testing::FixtureWorkbook({OneSheet()}));
  auto book = TemplateWorkbook::Open((dir / "t.xltx").string());
  fs::create_directory(dir / "docs");
  testing::ScriptedPrompts prompts;
  std::vector<std::string> paths;
  for (int i = 0; i < 3; ++i) {
    book.sheet(1).setNumber(1, 1, i);
    paths.push_back(HandToUser(book, prompts, (dir / "docs").string(), "汇总表-所在/行业", "汇总表"));
  }
  ASSERT_EQ(prompts.openedDocuments, paths);
  const std::string first = fs::path(paths[0]).filename().string();
  EXPECT_EQ(first.rfind("汇总表-所在_行业-", 0), 0u) << first;
  EXPECT_EQ(first.size(), std::string("汇总表-所在_行业-").size() + std::string("2026-01-01-120000.xlsx").size()) << first;
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(TemplateWorkbook::Open(paths[i]).sheet(1).value(1, 1), CellValue::Number(i)) << "each file kept its own content";
  EXPECT_EQ(FilesIn(dir / "docs").size(), 3u) << "no temporary file left";
  if (fs::path(paths[1]).stem().string() == fs::path(paths[0]).stem().string() + "(2)") {
    EXPECT_EQ(fs::path(paths[2]).filename().string(), fs::path(paths[0]).stem().string() + "(3).xlsx");
  }

  // Files already there under the names of this second and the next stay as they are.
  fs::create_directory(dir / "taken");
  std::vector<fs::path> taken;
  for (int second = 0; second < 2; ++second) {
    std::time_t t = std::time(nullptr) + second;
    std::tm local{};
    localtime_r(&t, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
    for (const char* suffix : {"", "(2)"}) {
      taken.push_back(dir / "taken" / ("年报表-" + std::string(stamp) + suffix + ".xlsx"));
      testing::WriteFileBytes(taken.back(), "earlier");
    }
  }
  const std::string fresh = HandToUser(book, prompts, (dir / "taken").string(), "年报表", "年报表");
  for (const fs::path& file : taken) {
    EXPECT_NE(fresh, file.string());
    EXPECT_EQ(testing::ReadFileBytes(file), "earlier") << file;
  }
  EXPECT_EQ(FilesIn(dir / "taken").size(), taken.size() + 1);

  // A desktop that cannot open the file: the user is told where it is.
  prompts.documentsOpen = false;
  const std::string path = HandToUser(book, prompts, (dir / "docs").string(), "年报表", "年报表");
  EXPECT_NE(prompts.lastMessage().find(path), std::string::npos);
  EXPECT_THROW(HandToUser(book, prompts, (dir / "missing").string(), "年报表", "年报表"), OfficeError);
}

}  // namespace
}  // namespace velmora::office
