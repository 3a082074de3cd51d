// Files written beside their target and renamed at the end, the paths an output may take, and the
// temporary files that killed runs leave behind.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "core/files/atomic_file.h"
#include "core/files/gbk_line_file.h"
#include "core/files/output_path.h"
#include "core/files/report_folder.h"
#include "core/session/working_copy.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;
using files::AtomicFile;

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

TEST(AtomicFile, TargetChangesOnlyAtCommit) {
  TempDir dir;
  const fs::path target = dir / "out.txt";
  WriteFileBytes(target, "old");
  {
    AtomicFile f(target.string(), "~TS");
    f.write("new");
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_EQ(Entries(dir.path()).size(), 2u);
  }  // destroyed without commit
  EXPECT_EQ(ReadFileBytes(target), "old");
  EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"out.txt"});

  AtomicFile f(target.string(), "~TS");
  f.write("new");
  f.commit();
  EXPECT_EQ(ReadFileBytes(target), "new");
  EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"out.txt"});
}

TEST(GbkLineFile, WritesGbkLinesWithCrLfOnlyIntoTheTemporaryFileUntilCommit) {
  TempDir dir;
  const fs::path target = dir / "report.txt";
  WriteFileBytes(target, "old");
  {
    AtomicFile f(target.string(), "~TS");
    files::GbkLineFile lines(f, 1);  // a one-byte buffer: every line goes out at once
    lines.line("检查");
    lines.line("");
    EXPECT_EQ(ReadFileBytes(f.tempPath()), "\xBC\xEC\xB2\xE9\r\n\r\n");
    EXPECT_EQ(ReadFileBytes(target), "old");
  }  // never committed: the previous file stays, no temporary is left
  EXPECT_EQ(ReadFileBytes(target), "old");
  EXPECT_EQ(Entries(dir.path()), std::set<std::string>{"report.txt"});

  AtomicFile f(target.string(), "~TS");
  files::GbkLineFile lines(f);
  lines.line("a");
  lines.line("单位");
  EXPECT_EQ(ReadFileBytes(f.tempPath()), "");  // still buffered
  lines.close();
  f.commit();
  EXPECT_EQ(ReadFileBytes(target), "a\r\n\xB5\xA5\xCE\xBB\r\n");
}

TEST(GbkLineFile, LinesOfPiecesKeepRawBytesAndRefuseWhatGbkCannotHold) {
  TempDir dir;
  const fs::path target = dir / "rows.csv";
  AtomicFile f(target.string(), "~TS");
  files::GbkLineFile lines(f, 8);  // a small buffer: a full one goes out only at a line's end
  lines.bytes() += "12,";
  EXPECT_TRUE(lines.appendExact("单位"));
  lines.bytes() += ',';
  EXPECT_EQ(ReadFileBytes(f.tempPath()), "");
  lines.endLine();
  EXPECT_EQ(ReadFileBytes(f.tempPath()), "12,\xB5\xA5\xCE\xBB,\r\n");
  EXPECT_TRUE(lines.bytes().empty());
  EXPECT_FALSE(lines.appendExact("a\xF0\x9F\x98\x80"));  // an emoji: no GBK form
  lines.bytes().clear();
  lines.line("x");
  lines.close();
  f.commit();
  EXPECT_EQ(ReadFileBytes(target), "12,\xB5\xA5\xCE\xBB,\r\nx\r\n");
}

TEST(TemporaryFile, GoesWithItsGuardUnlessHandedOn) {
  TempDir dir;
  std::string kept;
  {
    files::TemporaryFile dropped(files::ReserveTemporaryFile(dir.path().string(), "~TS"));
    files::TemporaryFile handedOn(files::ReserveTemporaryFile(dir.path().string(), "~TS"));
    files::TemporaryFile early(files::ReserveTemporaryFile(dir.path().string(), "~TS"));
    EXPECT_EQ(Entries(dir.path()).size(), 3u);
    early.remove();
    EXPECT_TRUE(early.path().empty());
    EXPECT_EQ(Entries(dir.path()).size(), 2u);
    kept = handedOn.path();
    handedOn.release();
  }
  EXPECT_EQ(Entries(dir.path()), std::set<std::string>{fs::path(kept).filename().string()});
}

TEST(ReportFolder, ReportsGoToTheDocumentsFolderHereAndNamesLoseWhatFileNamesCannotHold) {
#ifndef _WIN32
  EXPECT_EQ(files::ReportPath("/home/u/Documents", "r.txt"), "/home/u/Documents/r.txt");
#endif
  struct Case {
    std::string name;
    std::size_t max;
    std::string expected;
  };
  const Case cases[] = {
      {"省/市:县", 100, "省_市_县"},
      {"a*b?c\"<d>|e\tf\x7F", 100, "a_b_c__d__e_f_"},
      {"单位名称", 7, "单位"},  // never half a character
      {"单位名称", 6, "单位"},
      {"ab", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(files::SafeFileNamePart(c.name, c.max), c.expected);
  }
}

TEST(AtomicFile, AFailureAlongsidePutsThePreviousFileBack) {
  for (bool existed : {true, false}) {
    SCOPED_TRACE(existed);
    TempDir dir;
    const fs::path target = dir / "out.txt";
    if (existed) WriteFileBytes(target, "old");
    AtomicFile f(target.string(), "~TS");
    f.write("new");
    bool sawNew = false;
    EXPECT_THROW(f.commit([&] {
      sawNew = ReadFileBytes(target) == "new";
      throw std::runtime_error("commit failed");
    }),
                 std::runtime_error);
    EXPECT_TRUE(sawNew);
    if (existed)
      EXPECT_EQ(ReadFileBytes(target), "old");
    else
      EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(Entries(dir.path()).size(), existed ? 1u : 0u);
  }
}

TEST(AtomicFile, RefusesTheOpenDatabaseAndThingsThatAreNoFiles) {
  TempDir dir;
  const fs::path db = dir.copyOfShipped("a.mdb");
  fs::create_symlink(db, dir / "link");
  const std::string before = ReadFileBytes(db);
  EXPECT_THROW(AtomicFile(db.string(), "~TS", db.string()), files::AtomicFileError);
  EXPECT_THROW(AtomicFile((dir / "link").string(), "~TS", db.string()), files::AtomicFileError);
  EXPECT_THROW(AtomicFile(dir.path().string(), "~TS"), files::AtomicFileError);
  EXPECT_THROW(AtomicFile((dir / "none" / "x").string(), "~TS"), files::AtomicFileError);
  EXPECT_EQ(ReadFileBytes(db), before);
  EXPECT_EQ(Entries(dir.path()), (std::set<std::string>{"a.mdb", "link"}));
}

TEST(AtomicFile, StaleTemporariesOfOurPrefixAreRemoved) {
  TempDir dir;
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(30);
  for (const char* name : {"~TS0A1B2C.tmp", "~TS123456.tmp", "~XX0A1B2C.tmp", "~TS0A1B2C.txt", "~TSnotours.tmp"}) {
    WriteFileBytes(dir / name, "x");
    fs::last_write_time(dir / name, old);
  }
  WriteFileBytes(dir / "~TSABCDEF.tmp", "fresh");  // a run going on now
  AtomicFile f((dir / "out.txt").string(), "~TS");
  std::set<std::string> left = Entries(dir.path());
  left.erase(fs::path(f.tempPath()).filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"~XX0A1B2C.tmp", "~TS0A1B2C.txt", "~TSnotours.tmp", "~TSABCDEF.tmp"}));
}

TEST(OutputPath, WhereAReportAndADatabaseMayGo) {
  TempDir dir;
  const fs::path db = dir.copyOfShipped("a.mdb");
  const fs::path other = dir.copyOfShipped("b.mdb");
  // a package (scrambled head) and the older marking
  const fs::path package = dir.copyOfShipped("p.dat");
  ASSERT_EQ(session::ScramblePackageHeader(package.string()), session::HeadResult::Changed);
  std::string legacy = ReadFileBytes(db);
  legacy.replace(0, 16, std::string(16, '\x66'));
  WriteFileBytes(dir / "legacy.dat", legacy);
  WriteFileBytes(dir / "report.txt", "#REPORT\r\nbody");
  WriteFileBytes(dir / "notes.txt", "notes");
  WriteFileBytes(dir / "empty.txt", "");
  fs::create_symlink(db, dir / "link.mdb");

  const files::OutputKind report{"检查结果文件", "#REPORT", false};
  const files::OutputKind database{"数据库文件", "", true};
  using V = files::OutputVerdict;
  struct Case {
    std::string path;
    const files::OutputKind* kind;
    bool replace;
    V verdict;
  } cases[] = {
      {(dir / "new.txt").string(), &report, true, V::Writable},
      {(dir / "empty.txt").string(), &report, true, V::Writable},
      {(dir / "report.txt").string(), &report, true, V::Writable},
      {(dir / "notes.txt").string(), &report, true, V::Refused},
      {db.string(), &report, true, V::Refused},
      {(dir / "link.mdb").string(), &report, true, V::Refused},
      {db.string() + "-wal", &report, true, V::Refused},
      {other.string(), &report, true, V::Refused},
      {package.string(), &report, true, V::Refused},
      {(dir / "legacy.dat").string(), &report, true, V::Refused},
      {dir.path().string(), &report, true, V::Refused},
      {"/dev/null", &report, true, V::Refused},
      {"", &report, true, V::Refused},
      {(dir / "new.mdb").string(), &database, false, V::Writable},
      {other.string(), &database, false, V::Exists},
      {other.string(), &database, true, V::Writable},
      {package.string(), &database, true, V::Writable},
      {db.string(), &database, true, V::Refused},
      {(dir / "notes.txt").string(), &database, true, V::Refused},
      {(dir / "report.txt").string(), &database, true, V::Refused},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + (c.kind->database ? " (database)" : " (report)"));
    const files::OutputCheck check = files::CheckOutputPath(c.path, *c.kind, db.string(), c.replace);
    EXPECT_EQ(check.verdict, c.verdict) << check.message;
    EXPECT_EQ(check.message.empty(), c.verdict == V::Writable);
  }
  EXPECT_TRUE(files::IsDatabaseFile(db.string()));
  EXPECT_TRUE(files::IsDatabaseFile(package.string()));
  EXPECT_TRUE(files::IsDatabaseFile((dir / "legacy.dat").string()));
  EXPECT_FALSE(files::IsDatabaseFile((dir / "notes.txt").string()));
}

}  // namespace
}  // namespace velmora::testing
