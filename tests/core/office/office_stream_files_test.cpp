#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/office/office_error.h"
#include "core/office/stream_workbook.h"
#include "support/saved_workbook.h"
#include "support/test_paths.h"

namespace velmora::office {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::ReadSavedWorkbook;
using testing::TempDir;
using testing::WriteFileBytes;

const std::string kEarlier = "the workbook saved before";

std::vector<std::string> FolderNames(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void WriteRows(StreamWorkbook& book, int rows) {
  for (int row = 1; row <= rows; ++row) {
    book.setInteger(row, 1, row);
    book.setString(row, 2, "第" + std::to_string(row) + "行的文字，足够长以占用一些空间");
  }
}

// Lets files grow to at most `bytes` while alive, as a full disk would; writes past it fail.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousSignal_);
  }

 private:
  rlimit saved_{};
  void (*previousSignal_)(int) = nullptr;
};

TEST(OfficeStreamFiles, AWorkbookThatCannotBeWrittenLeavesTheTargetAsItWas) {
  struct Case {
    const char* name;
    // Makes the workbook in `dir` aimed at `target` and fails it somewhere; returns normally
    // when the failure was an OfficeError.
    std::function<void(const fs::path& dir, const fs::path& target)> fail;
  } cases[] = {
      {"folder missing",
       [](const fs::path& dir, const fs::path&) {
         EXPECT_THROW(StreamWorkbook((dir / "missing" / "out.xlsx").string(), "s"), OfficeError);
       }},
      {"folder is a file",
       [](const fs::path& dir, const fs::path&) {
         EXPECT_THROW(StreamWorkbook((dir / "existing.txt" / "out.xlsx").string(), "s"), OfficeError);
       }},
      {"target is a folder",
       [](const fs::path& dir, const fs::path&) {
         EXPECT_THROW(StreamWorkbook((dir / "sub").string(), "s"), OfficeError);
       }},
      {"destroyed without save",
       [](const fs::path&, const fs::path& target) {
         StreamWorkbook book(target.string(), "s");
         WriteRows(book, 100);
       }},
      {"folder gone before save",
       [](const fs::path& dir, const fs::path&) {
         StreamWorkbook book((dir / "sub" / "out.xlsx").string(), "s");
         WriteRows(book, 100);
         fs::remove_all(dir / "sub");
         EXPECT_THROW(book.save(), OfficeError);
         EXPECT_FALSE(fs::exists(dir / "sub"));
       }},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const fs::path target = dir / "out.xlsx";
    WriteFileBytes(target, kEarlier);
    WriteFileBytes(dir / "existing.txt", "x");
    fs::create_directory(dir / "sub");
    const auto before = FolderNames(dir.path());
    c.fail(dir.path(), target);
    EXPECT_EQ(ReadFileBytes(target), kEarlier) << c.name;
    if (fs::exists(dir / "sub")) EXPECT_TRUE(FolderNames(dir / "sub").empty()) << c.name;
    else fs::create_directory(dir / "sub");
    EXPECT_EQ(FolderNames(dir.path()), before) << c.name;
  }
}

TEST(OfficeStreamFiles, AFullDiskIsAFailureNeverAShortWorkbook) {
  constexpr int kRows = 3000;
  TempDir dir;
  const fs::path target = dir / "out.xlsx";
  // The size of the sheet part when nothing stops the writes; the limits fall around it, down to
  // where the rows are already out and only the assembled sheet runs short.
  std::uint64_t sheet = 0;
  {
    StreamWorkbook book((dir / "full.xlsx").string(), "s");
    WriteRows(book, kRows);
    book.save();
    sheet = ReadSavedWorkbook(dir / "full.xlsx").sheetPartSize;
    fs::remove(dir / "full.xlsx");
  }
  ASSERT_GT(sheet, 10000u);
  struct Case {
    const char* name;
    std::uint64_t limit;
    bool fails;
  } cases[] = {
      {"almost nothing", 2048, true},
      {"a tenth of the rows", sheet / 10, true},
      {"half the rows", sheet / 2, true},
      {"all rows but the last ones", sheet - 2000, true},
      {"the rows but not the whole sheet", sheet - 300, true},
      {"the sheet but not one byte more", sheet - 1, true},
      {"room for everything", sheet + 64 * 1024, false},
  };
  for (const Case& c : cases) {
    WriteFileBytes(target, kEarlier);
    bool failed = false;
    {
      FileSizeLimit limit(static_cast<rlim_t>(c.limit));
      try {
        StreamWorkbook book(target.string(), "s");
        WriteRows(book, kRows);
        book.save();
      } catch (const OfficeError&) {
        failed = true;
      }
    }
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"out.xlsx"}) << c.name;
    EXPECT_EQ(failed, c.fails) << c.name;
    if (failed) {
      EXPECT_EQ(ReadFileBytes(target), kEarlier) << c.name;
    } else {
      const auto saved = ReadSavedWorkbook(target);
      ASSERT_EQ(saved.cells.size(), 2u * kRows) << c.name;
      EXPECT_EQ(saved.cells.back().reference, "B" + std::to_string(kRows)) << c.name;
    }
  }
}

std::size_t OpenFileCount() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

// The rows wait in an unnamed file; a workbook given up must close it, or its disk space stays
// taken until the program ends.
TEST(OfficeStreamFiles, AWorkbookGivenUpClosesItsRowFile) {
  struct Case {
    const char* name;
    std::function<void(const fs::path& target)> giveUp;
  } cases[] = {
      {"destroyed without save",
       [](const fs::path& target) {
         StreamWorkbook book(target.string(), "s");
         WriteRows(book, 500);
       }},
      {"save stopped by a full disk",
       [](const fs::path& target) {
         FileSizeLimit limit(4096);
         StreamWorkbook book(target.string(), "s");
         WriteRows(book, 500);
         EXPECT_THROW(book.save(), OfficeError);
       }},
      {"save into a folder gone",
       [](const fs::path& target) {
         StreamWorkbook book(target.string(), "s");
         WriteRows(book, 500);
         fs::remove_all(target.parent_path());
         EXPECT_THROW(book.save(), OfficeError);
       }},
  };
  for (const Case& c : cases) {
    TempDir dir;
    fs::create_directory(dir / "sub");
    const std::size_t before = OpenFileCount();
    c.giveUp(dir / "sub" / "out.xlsx");
    EXPECT_EQ(OpenFileCount(), before) << c.name;
  }
}

TEST(OfficeStreamFiles, ASavedWorkbookReplacesTheTargetAndLeavesNoTemporary) {
  for (int rows : {0, 1, 10}) {
    TempDir dir;
    const fs::path target = dir / "导出-2024-05-01.xlsx";
    WriteFileBytes(target, kEarlier);
    {
      StreamWorkbook book(target.string(), "导出");
      WriteRows(book, rows);
      EXPECT_EQ(ReadFileBytes(target), kEarlier) << rows;  // untouched until the save
      book.save();
    }
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"导出-2024-05-01.xlsx"}) << rows;
    EXPECT_EQ(ReadSavedWorkbook(target).cells.size(), 2u * static_cast<std::size_t>(rows)) << rows;
  }
}

}  // namespace
}  // namespace velmora::office
