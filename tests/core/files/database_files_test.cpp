#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/base/paths.h"
#include "core/db/connection.h"
#include "core/db/file_header.h"
#include "core/files/database_file.h"
#include "core/session/working_copy.h"
#include "core/db/query.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::db {
namespace {

namespace fs = std::filesystem;
using namespace velmora::files;
using namespace velmora::session;
using testing::ReadFileBytes;
using testing::ScriptedPrompts;
using testing::TempDir;
using testing::WriteFileBytes;

std::string DataSource(const fs::path& file) { return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string(); }

// A database with a label and `rows` rows of filler text in dt_data.
fs::path MakeDatabase(const fs::path& file, int rows = 20) {
  CreateDatabase(DataSource(file));
  Connection c(DataSource(file));
  testing::Exec(c, "create table ct_label(db_name text); insert into ct_label values('包');"
                   "create table dt_data(c901 double primary key, c902 text);");
  testing::Exec(c, "begin");
  for (int i = 0; i < rows; ++i)
    testing::Exec(c, "insert into dt_data values(" + std::to_string(100000000000LL + i) + ", '" +
                         std::string(200, 'x') + std::to_string(i) + "')");
  testing::Exec(c, "commit");
  return file;
}

std::string Scrambled(std::string bytes) {
  for (std::size_t i = 0; i < kPackageHeadSize && i < bytes.size(); ++i)
    bytes[i] = static_cast<char>(ScramblePackageByte(static_cast<std::uint8_t>(bytes[i])));
  return bytes;
}

std::set<std::string> FolderEntries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

TEST(PackageHead, ByteTransformIsABijectionAndTheMarkerIsDistinct) {
  std::set<std::uint8_t> images;
  for (int b = 0; b < 256; ++b) {
    auto byte = static_cast<std::uint8_t>(b);
    images.insert(ScramblePackageByte(byte));
    EXPECT_EQ(RestorePackageByte(ScramblePackageByte(byte)), byte) << b;
  }
  EXPECT_EQ(images.size(), 256u);
  EXPECT_NE(PackageMarker(), kPlainFileByte);
  EXPECT_NE(PackageMarker(), kLegacyPackageByte);
  EXPECT_EQ(static_cast<std::uint8_t>(kPlainHeader[0]), kPlainFileByte);
}

TEST(PackageHead, ScrambleThenRestoreGivesBackTheDatabase) {
  TempDir dir;
  fs::path file = MakeDatabase(dir / "pack.dat");
  const std::string original = ReadFileBytes(file);
  ASSERT_GT(original.size(), 2 * kPackageHeadSize);

  ASSERT_EQ(ScramblePackageHeader(file.string()), HeadResult::Changed);
  const std::string scrambled = ReadFileBytes(file);
  EXPECT_EQ(static_cast<std::uint8_t>(scrambled[0]), PackageMarker());
  EXPECT_EQ(scrambled, Scrambled(original));
  EXPECT_EQ(scrambled.substr(kPackageHeadSize), original.substr(kPackageHeadSize));
  EXPECT_FALSE(HasPlainHeader(file.string()));

  ASSERT_EQ(RestorePackageHeader(file.string()), HeadResult::Changed);
  EXPECT_EQ(ReadFileBytes(file), original);
  Connection c(DataSource(file));
  EXPECT_TRUE(c.TableExists("dt_data"));
}

TEST(PackageHead, LegacyMarkingRestoresThe16HeaderBytes) {
  TempDir dir;
  fs::path file = MakeDatabase(dir / "old.dat");
  const std::string original = ReadFileBytes(file);
  std::string marked = original;
  marked.replace(0, 16, std::string("\x66garbled-header!", 16));
  WriteFileBytes(file, marked);

  ASSERT_EQ(RestorePackageHeader(file.string()), HeadResult::Changed);
  EXPECT_EQ(ReadFileBytes(file), original);
}

TEST(PackageHead, FilesThatAreNotRestorableStayUntouched) {
  const std::string marker(1, static_cast<char>(PackageMarker()));
  struct Case {
    const char* name;
    std::string bytes;
    HeadResult restore;
    HeadResult scramble;
  } cases[] = {
      {"empty", "", HeadResult::Unchanged, HeadResult::TooShort},
      {"text", "hello, world\r\n", HeadResult::Unchanged, HeadResult::TooShort},
      {"plain header", std::string(kPlainHeader, 16) + std::string(2000, 'p'), HeadResult::Unchanged,
       HeadResult::Changed},
      {"truncated package", marker + std::string(kPackageHeadSize - 2, 'z'), HeadResult::TooShort,
       HeadResult::TooShort},
      {"truncated legacy", "\x66" "abc", HeadResult::TooShort, HeadResult::TooShort},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    fs::path file = dir / "f.dat";
    WriteFileBytes(file, c.bytes);
    EXPECT_EQ(RestorePackageHeader(file.string()), c.restore);
    if (c.restore != HeadResult::Changed) {
      EXPECT_EQ(ReadFileBytes(file), c.bytes);
    }
    WriteFileBytes(file, c.bytes);
    EXPECT_EQ(ScramblePackageHeader(file.string()), c.scramble);
    if (c.scramble != HeadResult::Changed) {
      EXPECT_EQ(ReadFileBytes(file), c.bytes);
    }
  }
  TempDir dir;
  EXPECT_EQ(RestorePackageHeader((dir / "none.dat").string()), HeadResult::Missing);
  EXPECT_FALSE(fs::exists(dir / "none.dat"));
}

TEST(WorkingCopy, PackageIsRestoredIntoTempDatAndTheChosenFileKeepsItsHead) {
  TempDir dir;
  fs::create_directory(dir / "program");
  fs::path plain = MakeDatabase(dir / "plain.mdb");
  const std::string original = ReadFileBytes(plain);
  fs::path package = dir / "unit.dat";
  WriteFileBytes(package, Scrambled(original));
  const std::string packageBytes = ReadFileBytes(package);

  WorkingCopy copy = PrepareWorkingCopy(package.string(), (dir / "program").string());
  ASSERT_TRUE(copy.ok) << copy.error;
  EXPECT_TRUE(copy.copied);
  EXPECT_EQ(fs::path(copy.path), dir / "program" / "temp.dat");
  EXPECT_EQ(ReadFileBytes(copy.path), original);
  EXPECT_EQ(ReadFileBytes(package), packageBytes);
  EXPECT_EQ(FolderEntries(dir / "program"), std::set<std::string>{"temp.dat"});
}

// Another program has the previous working copy open: the new package reaches it through the
// engine (the file is not renamed away under its connection), and a busy copy is refused.
TEST(WorkingCopy, ANewPackageReachesAConnectionHoldingTheOldCopy) {
  TempDir dir;
  fs::create_directory(dir / "program");
  fs::path first = MakeDatabase(dir / "first.mdb", 3);
  fs::path second = MakeDatabase(dir / "second.mdb", 7);
  WriteFileBytes(dir / "first.dat", Scrambled(ReadFileBytes(first)));
  WriteFileBytes(dir / "second.dat", Scrambled(ReadFileBytes(second)));
  ASSERT_TRUE(PrepareWorkingCopy((dir / "first.dat").string(), (dir / "program").string()).ok);

  Connection other(DataSource(dir / "program" / "temp.dat"));
  auto count = [&other] {
    Query q(other);
    q.setSql("select count(*) as n from dt_data");
    q.open();
    return q["n"].asInteger();
  };
  ASSERT_EQ(count(), 3);
  WorkingCopy copy = PrepareWorkingCopy((dir / "second.dat").string(), (dir / "program").string());
  ASSERT_TRUE(copy.ok) << copy.error;
  EXPECT_EQ(count(), 7);
  EXPECT_EQ(FolderEntries(dir / "program"), std::set<std::string>{"temp.dat"});

  // while the other program writes, the working copy is not replaced
  testing::Exec(other, "BEGIN IMMEDIATE");
  copy = PrepareWorkingCopy((dir / "first.dat").string(), (dir / "program").string());
  EXPECT_FALSE(copy.ok);
  EXPECT_NE(copy.error.find("其他程序"), std::string::npos) << copy.error;
  testing::Exec(other, "ROLLBACK");
  EXPECT_EQ(count(), 7);
  EXPECT_EQ(FolderEntries(dir / "program"), std::set<std::string>{"temp.dat"});
}

TEST(WorkingCopy, PlainFileIsUsedInPlace) {
  TempDir dir;
  fs::create_directory(dir / "program");
  fs::path plain = MakeDatabase(dir / "backup.mdb");
  WorkingCopy copy = PrepareWorkingCopy(plain.string(), (dir / "program").string());
  ASSERT_TRUE(copy.ok);
  EXPECT_FALSE(copy.copied);
  EXPECT_EQ(copy.path, plain.string());
  EXPECT_TRUE(fs::is_empty(dir / "program"));
}

TEST(WorkingCopy, FilesThatAreNoDatabaseFailAndChangeNothing) {
  TempDir dir;
  fs::path plain = MakeDatabase(dir / "plain.mdb");
  const std::string database = ReadFileBytes(plain);
  const std::string earlierCopy = "earlier working copy";
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"text", "c901,c902\r\n110000000001,工会\r\n"},
      {"text starting like a plain file", "Some notes about the survey, not a database at all"},
      {"truncated package", Scrambled(database).substr(0, 700)},
      {"package head only", Scrambled(database).substr(0, kPackageHeadSize - 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path program = dir / "program";
    fs::remove_all(program);
    fs::create_directory(program);
    WriteFileBytes(program / "temp.dat", earlierCopy);
    fs::path chosen = dir / "chosen.dat";
    WriteFileBytes(chosen, c.bytes);

    WorkingCopy copy = PrepareWorkingCopy(chosen.string(), program.string());
    EXPECT_FALSE(copy.ok);
    EXPECT_EQ(copy.error, kNotADatabaseText);
    EXPECT_EQ(ReadFileBytes(chosen), c.bytes);
    EXPECT_EQ(ReadFileBytes(program / "temp.dat"), earlierCopy);
    EXPECT_EQ(FolderEntries(program), std::set<std::string>{"temp.dat"});
  }
}

TEST(CopyFileStream, ReplacesTheTargetWholeAndLeavesNothingElse) {
  TempDir dir;
  WriteFileBytes(dir / "source", std::string("abc\0def", 7));
  WriteFileBytes(dir / "target", std::string(100000, 'o'));
  CopyFileStream((dir / "source").string(), (dir / "target").string());
  EXPECT_EQ(ReadFileBytes(dir / "target"), std::string("abc\0def", 7));
  EXPECT_EQ(FolderEntries(dir.path()), (std::set<std::string>{"source", "target"}));

  CopyFileStream((dir / "source").string(), (dir / "new").string());
  EXPECT_EQ(ReadFileBytes(dir / "new"), std::string("abc\0def", 7));
}

TEST(CopyFileStream, FailedCopyKeepsTheTarget) {
  TempDir dir;
  WriteFileBytes(dir / "target", "keep me");
  EXPECT_THROW(CopyFileStream((dir / "missing").string(), (dir / "target").string()), FileError);
  EXPECT_EQ(ReadFileBytes(dir / "target"), "keep me");
  // A source that cannot be read as a file (a folder).
  fs::create_directory(dir / "folder");
  EXPECT_ANY_THROW(CopyFileStream((dir / "folder").string(), (dir / "target").string()));
  EXPECT_EQ(ReadFileBytes(dir / "target"), "keep me");
  EXPECT_EQ(FolderEntries(dir.path()), (std::set<std::string>{"folder", "target"}));
}

TEST(MakeTempFileName, FreshNamesInTheTemporaryFolder) {
  std::string a = MakeTempFileName();
  std::string b = MakeTempFileName();
  EXPECT_NE(a, b);
  for (const std::string& name : {a, b}) {
    fs::path p(name);
    EXPECT_EQ(p.parent_path(), fs::temp_directory_path());
    EXPECT_EQ(p.filename().string().substr(0, 3), "~SM");
    EXPECT_FALSE(fs::exists(p));
  }
}

TEST(CompactDatabaseFile, ShrinksAfterDeletesAndKeepsDataAndPermissions) {
  TempDir dir;
  fs::path file = MakeDatabase(dir / "big.mdb", 2000);
  {
    Connection c(DataSource(file));
    testing::Exec(c, "delete from dt_data where c901 >= 100000000010");
  }
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const auto before = fs::file_size(file);

  ScriptedPrompts prompts;
  ASSERT_TRUE(CompactDatabaseFile(file.string(), prompts));
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_LT(fs::file_size(file), before / 4);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(FolderEntries(dir.path()), std::set<std::string>{"big.mdb"});

  Connection c(DataSource(file));
  Query q(c);
  q.setSql("select count(*) as n, min(c902) as first from dt_data");
  q.open();
  EXPECT_EQ(q["n"].asInteger(), 10);
  EXPECT_EQ(q["first"].asString(), std::string(200, 'x') + "0");
}

TEST(CompactDatabaseFile, FailureShowsTheErrorAndLeavesTheFileAsItWas) {
  struct Case {
    const char* name;
    bool locked;
    bool text;
  } cases[] = {{"held by another program", true, false}, {"not a database", false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    fs::path file = dir / "db.mdb";
    if (c.text)
      WriteFileBytes(file, std::string(5000, 't'));
    else
      MakeDatabase(file);
    const std::string before = ReadFileBytes(file);

    std::optional<Connection> other;
    if (c.locked) {
      other.emplace(testing::ConnectionTo(file));
      testing::Exec(*other, "BEGIN EXCLUSIVE");
    }
    ScriptedPrompts prompts;
    EXPECT_FALSE(CompactDatabaseFile(file.string(), prompts, 100));
    if (other) {
      testing::Exec(*other, "ROLLBACK");
      other.reset();
    }
    ASSERT_EQ(prompts.messages.size(), 1u);
    // a busy database is said to be busy; anything else shows the engine's text
    EXPECT_EQ(prompts.messages[0].rfind(c.locked ? kDatabaseBusyText : "运行中发生错误：", 0), 0u) << prompts.messages[0];
    EXPECT_TRUE(ReadFileBytes(file) == before);
    EXPECT_EQ(FolderEntries(dir.path()), std::set<std::string>{"db.mdb"});
  }
}

TEST(CompactDatabaseFile, UnwritableFolderFailsCleanly) {
  if (geteuid() == 0) GTEST_SKIP() << "folder permissions do not stop root";
  TempDir dir;
  fs::create_directory(dir / "ro");
  fs::path file = MakeDatabase(dir / "ro" / "db.mdb");
  const std::string before = ReadFileBytes(file);
  fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  ScriptedPrompts prompts;
  EXPECT_FALSE(CompactDatabaseFile(file.string(), prompts));
  fs::permissions(dir / "ro", fs::perms::owner_all, fs::perm_options::add);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].rfind("运行中发生错误：", 0), 0u);
  EXPECT_EQ(ReadFileBytes(file), before);
  EXPECT_EQ(FolderEntries(dir / "ro"), std::set<std::string>{"db.mdb"});
}

}  // namespace
}  // namespace velmora::db
