#include "core/exchange/backup_restore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/db/file_header.h"
#include "support/exchange_fixture.h"

namespace velmora::exchange {
namespace {

namespace fs = std::filesystem;
using testing::ExchangeFixture;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

class BackupTest : public ExchangeFixture {};

TEST_F(BackupTest, BackupIsAPlainCopyAndTheSessionGoesOn) {
  unit.prompts.fileAnswers.push_back((dir / "copy").string());
  ASSERT_TRUE(BackupDatabase(*unit.session, unit.prompts));
  EXPECT_EQ(unit.prompts.lastMessage(), "备份成功");
  ASSERT_EQ(unit.prompts.fileRequests.size(), 1u);
  EXPECT_EQ(unit.prompts.fileRequests[0].filter, kBackupFilter);
  const fs::path backup = dir / "copy.mdb";
  ASSERT_TRUE(db::HasPlainHeader(backup.string()));
  // The connection stays open and usable (the list keeps its row).
  EXPECT_EQ(unit.count(), 20);
  unit.exec("delete from dt_data where id = 1");
  db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + backup.string());
  db::Statement n(c, "select count(*) from dt_data");
  ASSERT_TRUE(n.step());
  EXPECT_EQ(n.int64(0), 20);
}

TEST_F(BackupTest, AFailedBackupSaysSoAndLeavesNothing) {
  const fs::path out = dir / "out";
  fs::create_directories(out);
  WriteFileBytes(out / "text.mdb", "一个文本文件\r\n");
  struct Case {
    const char* name;
    std::string path;
  };
  const std::vector<Case> cases{
      {"the open database", unit.file.string()},
      {"a text file named .mdb", (out / "text.mdb").string()},
      {"a folder that does not exist", (out / "no" / "b.mdb").string()},
      {"a folder", (out / "folder.mdb").string()},
  };
  fs::create_directories(out / "folder.mdb");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    unit.prompts = {};
    unit.prompts.fileAnswers.push_back(c.path);
    const std::set<std::string> before = Entries(out), beside = Entries(dir.path());
    EXPECT_FALSE(BackupDatabase(*unit.session, unit.prompts));
    EXPECT_NE(unit.prompts.lastMessage(), "备份成功");
    EXPECT_FALSE(unit.prompts.lastMessage().empty());
    EXPECT_EQ(Entries(out), before);
    EXPECT_EQ(Entries(dir.path()), beside);
  }
  EXPECT_EQ(ReadFileBytes(out / "text.mdb"), "一个文本文件\r\n");
  EXPECT_EQ(unit.count(), 20);
}

TEST_F(BackupTest, AnEarlierBackupIsReplacedWhole) {
  BackupTo(*unit.session, (dir / "b.mdb").string());
  unit.exec("delete from dt_data where id > 3");
  BackupTo(*unit.session, (dir / "b.mdb").string());
  db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + (dir / "b.mdb").string());
  db::Statement n(c, "select count(*) from dt_data");
  ASSERT_TRUE(n.step());
  EXPECT_EQ(n.int64(0), 3);
}

TEST_F(BackupTest, RestoreReplacesTheRecordsOnlyOnYes) {
  BackupTo(*unit.session, (dir / "b.mdb").string());
  upper.exec("insert into dt_data (c901, c902) values (1, '旧的')");
  struct Case {
    bool yes;
    std::int64_t records;
  };
  for (const Case c : {Case{false, 1}, Case{true, 20}}) {
    upper.prompts = {};
    upper.prompts.confirmAnswers.push_back(c.yes);
    upper.prompts.fileAnswers.push_back((dir / "b").string());
    EXPECT_EQ(RestoreRecords(*upper.session, upper.prompts, "dt_data"), c.yes);
    EXPECT_EQ(upper.count(), c.records);
    EXPECT_EQ(upper.prompts.messages.front(), kRestoreQuestion);
    if (c.yes) {
      EXPECT_EQ(upper.prompts.lastMessage(), "数据恢复操作完成！");
    }
  }
  EXPECT_EQ(upper.count("select count(*) from dt_data where c902 = '旧的'"), 0);
}

TEST_F(BackupTest, RestoreRefusesFilesItCannotUseAndChangesNothing) {
  upper.exec("insert into dt_data (c901, c902) values (1, '旧的')");
  WriteFileBytes(dir / "text.mdb", "not a database");
  const fs::path noTable = dir / "notable.mdb";
  BackupTo(*unit.session, noTable.string());
  {
    db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + noTable.string());
    c.execute("drop table dt_data");
  }
  const fs::path otherLayout = dir / "layout.mdb";
  BackupTo(*unit.session, otherLayout.string());
  {
    db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + otherLayout.string());
    c.execute("alter table dt_data drop column s004");
  }
  const fs::path package = exportPackage("p.dat", "某区总工会");
  struct Case {
    const char* name;
    std::string path;
  };
  const std::vector<Case> cases{
      {"missing", (dir / "none.mdb").string()},
      {"a text file", (dir / "text.mdb").string()},
      {"the open database", upper.file.string()},
      {"no dt_data", noTable.string()},
      {"another layout", otherLayout.string()},
      {"a package", package.string()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    upper.prompts = {};
    upper.prompts.confirmAnswers.push_back(true);
    EXPECT_FALSE(RestoreFrom(*upper.session, upper.prompts, c.path, "dt_data", true));
    EXPECT_FALSE(upper.prompts.lastMessage().empty());
    EXPECT_EQ(upper.prompts.confirmAnswers.size(), 1u);  // never asked
    EXPECT_EQ(upper.count(), 1);
  }
}

}  // namespace
}  // namespace velmora::exchange
