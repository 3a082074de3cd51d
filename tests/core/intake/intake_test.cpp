// Files from elsewhere: crafted packages, backups and sources are refused by the intake with a
// message naming the record, field or table, and nothing is imported, restored or left behind.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <thread>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/exchange/backup_restore.h"
#include "core/exchange/package_import.h"
#include "core/exchange/record_import.h"
#include "core/exchange/year_migration.h"
#include "core/intake/lock_probe.h"
#include "core/intake/record_check.h"
#include "core/intake/source_file.h"
#include "core/session/working_copy.h"
#include "support/exchange_fixture.h"

namespace velmora::intake {
namespace {

namespace fs = std::filesystem;
using exchange::ImportStatus;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

class IntakeTest : public testing::ExchangeFixture {
 protected:
  IntakeTest() { package = exportPackage("unit.dat", "某区总工会"); }

  // A plain copy of the package (as an older package or a backup) without its manifest, changed by
  // `change`.
  fs::path crafted(const std::string& name, const std::function<void(db::Connection&)>& change,
                   bool keepManifest = false) {
    const fs::path file = dir / name;
    fs::copy_file(package, file, fs::copy_options::overwrite_existing);
    session::RestorePackageHeader(file.string());
    db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string());
    if (!keepManifest) c.execute("drop table package_manifest");
    if (change) change(c);
    return file;
  }
  exchange::FileImportResult import(const fs::path& file, exchange::ImportOptions options = {false, false}) {
    return exchange::ImportFile(*upper.session, upper.prompts, file.string(), "dt_data", options);
  }
  std::string firstCode() {
    db::Statement st(unit.session->SysADOConnection(), "select c901 from dt_data order by c901 limit 1");
    EXPECT_TRUE(st.step());
    return st.value(0).toString();
  }

  fs::path package;
};

// The checks every import makes before the intake reads the chosen file, in their order: there,
// not the open database, then what its first bytes say; and the texts that name each refusal.
TEST_F(IntakeTest, AChosenFileIsJudgedBeforeItIsRead) {
  const fs::path plain = crafted("plain.mdb", {});
  WriteFileBytes(dir / "legacy.dat", std::string("\x66rest of the file"));
  WriteFileBytes(dir / "notes.txt", "c901,c902\r\n");
  WriteFileBytes(dir / "empty.txt", "");
  fs::create_directory(dir / "folder");
  const std::string open = upper.file.string();
  struct Case {
    fs::path file;
    ChosenFile expected;
  };
  const Case cases[] = {
      {dir / "nowhere.mdb", ChosenFile::Missing}, {dir / "folder", ChosenFile::Missing},
      {upper.file, ChosenFile::OpenDatabase},     {plain, ChosenFile::PlainDatabase},
      {package, ChosenFile::Package},             {dir / "legacy.dat", ChosenFile::Package},
      {dir / "notes.txt", ChosenFile::Other},     {dir / "empty.txt", ChosenFile::Other},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckChosenFile(c.file.string(), open), c.expected) << c.file;
  // Without an open database the same file is only a database.
  EXPECT_EQ(CheckChosenFile(open, {}), ChosenFile::PlainDatabase);

  EXPECT_EQ(ChosenMissingText("/a/b.dat"), "您选择的文件名为【/a/b.dat】的文件并不存在，请选择其它文件。");
  EXPECT_EQ(ChosenOpenDatabaseText("/a/b.mdb", "不能导入它自己。"), "文件“/a/b.mdb”就是打开的数据库文件，不能导入它自己。");
  EXPECT_EQ(ChosenNotDatabaseText("/a/b.txt", "没有导入任何数据。"), "文件“/a/b.txt”不是数据库文件，没有导入任何数据。");
}

// Values the entry form would never take: each refuses the whole file naming the field, and
// nothing is imported. Values it does take pass.
TEST_F(IntakeTest, RecordsTheFormWouldRefuseRefuseTheFile) {
  struct Case {
    const char* name;
    const char* sql;  // run on the file's dt_data
    const char* field;
    bool refused;
  };
  const std::vector<Case> cases{
      {"text in a count", "update dt_data set z001 = 'abc' where rowid = 3", "z001", true},
      {"a NULL code", "update dt_data set c901 = NULL where rowid = 2", "c901", true},
      {"two NULL codes", "update dt_data set c901 = NULL where rowid in (2, 5)", "c901", true},
      {"a negative code", "update dt_data set c901 = -110102000001 where rowid = 2", "c901", true},
      {"a fractional code", "update dt_data set c901 = 110102000001.5 where rowid = 2", "c901", true},
      {"a 13-digit code", "update dt_data set c901 = 1101020000011 where rowid = 2", "c901", true},
      {"a code of 0", "update dt_data set c901 = 0 where rowid = 2", "c901", true},
      {"a code as text", "update dt_data set c901 = '1101x' where rowid = 2", "c901", true},
      {"RecordState 7", "update dt_data set RecordState = 7 where rowid = 4", "RecordState", true},
      {"RecordState empty", "update dt_data set RecordState = NULL where rowid = 4", "RecordState", true},
      {"a negative count", "update dt_data set z002 = -5 where rowid = 4", "z002", true},
      {"infinity", "update dt_data set z002 = 9e999 where rowid = 4", "z002", true},
      {"minus infinity in an amount", "update dt_data set b005 = -9e999 where rowid = 4", "b005", true},
      {"a fraction in a count", "update dt_data set z003 = 1.5 where rowid = 4", "z003", true},
      {"seven decimal places", "update dt_data set b005 = 1.1234567 where rowid = 4", "b005", true},
      {"fifteen digits in an amount", "update dt_data set b006 = 123456789012.125 where rowid = 4", "b006", true},
      {"above 14 digits", "update dt_data set h001 = 100000000000000 where rowid = 4", "h001", true},
      {"w001 above its box", "update dt_data set w001 = 6 where rowid = 4", "w001", true},
      {"a seven-digit division", "update dt_data set c903 = 1101011 where rowid = 4", "c903", true},
      {"a blob in a count", "update dt_data set z004 = x'0102' where rowid = 4", "z004", true},
      {"invalid UTF-8 in a name", "update dt_data set c902 = cast(x'41ff42' as text) where rowid = 4", "c902", true},
      {"a line break in a name", "update dt_data set c902 = 'a' || char(10) || 'records: 5' where rowid = 4", "c902",
       true},
      {"a name GBK cannot hold", "update dt_data set c902 = '工会😀' where rowid = 4", "c902", true},
      {"a name of 61 characters", "update dt_data set c902 = printf('%.61c', '会') where rowid = 4", "c902", true},
      {"a name of 1 MiB and more", "update dt_data set c902 = zeroblob(1100000) where rowid = 4", "", true},
      // What the form takes passes.
      {"six decimal places", "update dt_data set b005 = 1.123456 where rowid = 4", "", false},
      {"an empty indicator", "update dt_data set z005 = NULL where rowid = 4", "", false},
      {"an industry code this office lacks", "update dt_data set c907 = 'Z99' where rowid = 4", "", false},
      {"an apostrophe in a name", "update dt_data set c902 = '张''三工会' where rowid = 4", "", false},
      {"a whole number stored as a float", "update dt_data set z001 = 3.0 where rowid = 4", "", false},
  };
  int i = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = crafted("case" + std::to_string(i++) + ".mdb", [&](db::Connection& db) { db.execute(c.sql); });
    const std::string bytes = ReadFileBytes(file);
    const exchange::FileImportResult r = import(file);
    if (c.refused) {
      EXPECT_EQ(r.status, ImportStatus::Refused) << r.message;
      EXPECT_NE(r.message.find("没有导入任何记录"), std::string::npos) << r.message;
      if (*c.field) {
        EXPECT_NE(r.message.find(std::string("“") + c.field + "”"), std::string::npos) << r.message;
      }
      EXPECT_EQ(upper.count(), 0);
    } else {
      EXPECT_EQ(r.status, ImportStatus::Imported) << r.message;
      EXPECT_EQ(upper.count(), 20);
      upper.exec("delete from dt_data");
    }
    EXPECT_EQ(ReadFileBytes(file), bytes);
  }
}

TEST_F(IntakeTest, ARefusedRecordIsNamedByItsCodeAndValue) {
  const std::string code = firstCode();
  const fs::path file =
      crafted("named.mdb", [&](db::Connection& db) { db.execute("update dt_data set z002 = 9e999 where c901 = " + code); });
  const exchange::FileImportResult r = import(file);
  EXPECT_NE(r.message.find("（编号" + code + "）"), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("Infinity"), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("不是有限的数值"), std::string::npos) << r.message;
}

// Structures no package of ours has: a view, a virtual table or a generated column where the table
// should be, kinds changed. Each is refused by name at once, whatever the view would compute.
TEST_F(IntakeTest, ViewsAndOddTablesAreRefusedByNameWithoutBeingRun) {
  const std::string endless =
      "with recursive n(i) as (select 1 union all select i + 1 from n) select i from n";
  struct Case {
    const char* name;
    std::string sql;
    const char* says;
  };
  const std::vector<Case> cases{
      {"dt_data an endless view",
       "alter table dt_data rename to old; create view dt_data as select o.* from old o, (" + endless + ")",
       "“dt_data”不是数据表"},
      {"ct_label an endless view",
       "drop table ct_label; create view ct_label as select 'x' as db_name from (" + endless + ")",
       "“ct_label”不是数据表"},
      {"a generated column",
       "alter table dt_data add column huge text generated always as (zeroblob(200000000)) virtual",
       "计算列或隐藏列"},
      {"a count declared as text",
       "create table t as select * from dt_data; drop table dt_data; alter table t rename to dt_data",
       "类型"},
  };
  int i = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = crafted("odd" + std::to_string(i++) + ".mdb", [&](db::Connection& db) { db.execute(c.sql); });
    const auto start = std::chrono::steady_clock::now();
    const exchange::FileImportResult r = import(file);
    EXPECT_EQ(r.status, ImportStatus::Refused) << r.message;
    EXPECT_NE(r.message.find(c.says), std::string::npos) << r.message;
    const exchange::PackageInfo info = exchange::ReadPackageInfo(file.string(), (dir / "docs").string());
    if (std::string(c.name).find("label") != std::string::npos || std::string(c.name).find("dt_data") != std::string::npos) {
      EXPECT_FALSE(info.ok);
      EXPECT_NE(info.message.find(c.says), std::string::npos) << info.message;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(upper.count(), 0);
  }
}

TEST_F(IntakeTest, AStatementOverTheBudgetEndsWithAMessage) {
  const fs::path file = crafted("budget.mdb", {});
  SourceFile source(file.string(), (dir / "docs").string());
  UntrustedScope scope(source.connection(), jobs::NoJob(), 5'000'000);
  try {
    db::Statement st = db::Statement::Native(
        source.connection(), "with recursive n(i) as (select 1 union all select i + 1 from n) select max(i) from n");
    st.step();
    FAIL() << "an endless statement ended";
  } catch (const std::exception& e) {
    EXPECT_TRUE(scope.overBudget());
    try {
      scope.rethrow(e, file.string());
    } catch (const IntakeError& error) {
      EXPECT_EQ(error.kind(), IntakeError::Kind::TooLarge);
      EXPECT_NE(std::string(error.what()).find("工作量"), std::string::npos);
    }
  }
}

// A backup in write-ahead mode with its -wal beside it: its latest commits are read, and neither
// the file nor the -wal changes or goes away, whichever operation reads it.
TEST_F(IntakeTest, AWriteAheadBackupIsReadWithoutTouchingItOrItsLog) {
  const fs::path backup = crafted("wal.mdb", {}, true);
  // Keep the log: a second connection holds the file open while the first writes and closes.
  db::Connection writer("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + backup.string());
  writer.executeNative("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0");
  writer.executeNative("DELETE FROM dt_data WHERE rowid IN (SELECT rowid FROM dt_data ORDER BY c901 LIMIT 5)");
  writer.executeNative("DROP TABLE package_manifest");
  ASSERT_GT(fs::file_size(backup.string() + "-wal"), 0u);
  // Copy the pair as it stands while the writer is still attached, as a user copies a folder.
  const fs::path copy = dir / "walcopy.mdb";
  fs::copy_file(backup, copy);
  fs::copy_file(backup.string() + "-wal", copy.string() + "-wal");
  const std::string main = ReadFileBytes(copy), log = ReadFileBytes(copy.string() + "-wal");
  const std::set<std::string> folder = Entries(dir.path());

  const exchange::FileImportResult r = import(copy);
  EXPECT_EQ(r.status, ImportStatus::Imported) << r.message;
  EXPECT_EQ(upper.count(), 15);  // the commit in the log counts
  EXPECT_TRUE(exchange::RestoreFrom(*upper.session, upper.prompts, copy.string(), "dt_data", false));
  EXPECT_EQ(upper.count(), 15);
  EXPECT_EQ(exchange::ReadPackageInfo(copy.string(), (dir / "docs").string()).records, 15);
  upper.exec("delete from dt_data");
  exchange::RecordImportOptions options;
  EXPECT_EQ(exchange::ImportRecordsFrom(*upper.session, upper.prompts, copy.string(), "dt_data", options).status,
            exchange::RecordImportStatus::Imported);
  EXPECT_EQ(upper.count(), 15);

  EXPECT_EQ(ReadFileBytes(copy), main);
  ASSERT_TRUE(fs::exists(copy.string() + "-wal"));
  EXPECT_EQ(ReadFileBytes(copy.string() + "-wal"), log);
  EXPECT_FALSE(fs::exists(copy.string() + "-shm"));
  EXPECT_EQ(Entries(dir.path()), folder);
}

// Another program in the middle of writing the file: a hot journal beside it, or its write lock.
TEST_F(IntakeTest, AFileBeingWrittenIsToldAsSuch) {
  const fs::path hot = crafted("hot.mdb", {}, true);
  WriteFileBytes(hot.string() + "-journal", std::string(512, '\x01'));
  const exchange::FileImportResult r = import(hot);
  EXPECT_EQ(r.status, ImportStatus::Refused);
  EXPECT_NE(r.message.find("正在被其他程序写入"), std::string::npos) << r.message;
  EXPECT_EQ(ReadFileBytes(hot.string() + "-journal"), std::string(512, '\x01'));

  // A writer in another process holds its reserved lock until its transaction ends.
  const fs::path locked = crafted("locked.mdb", {}, true);
  const std::string command = "sqlite3 '" + locked.string() + "' > /dev/null 2>&1";
  FILE* shell = popen(command.c_str(), "w");
  ASSERT_NE(shell, nullptr);
  fputs("BEGIN IMMEDIATE;\nUPDATE dt_data SET z001 = z001;\n", shell);
  fflush(shell);
  bool held = false;
  for (int i = 0; i < 100 && !held; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    held = HeldForWriting(locked.string());
  }
  const exchange::FileImportResult busy = import(locked);
  fputs("ROLLBACK;\n.quit\n", shell);
  pclose(shell);
  ASSERT_TRUE(held) << "the writer never began";
  EXPECT_EQ(busy.status, ImportStatus::Refused);
  EXPECT_NE(busy.message.find("正被其他程序锁定并写入"), std::string::npos) << busy.message;
  EXPECT_EQ(upper.count(), 0);
}

TEST_F(IntakeTest, TheManifestSettingRefusesPackagesWithoutOne) {
  const fs::path old = crafted("old.mdb", {});
  exchange::ImportOptions strict{false, false, true};
  const exchange::FileImportResult refused = import(old, strict);
  EXPECT_EQ(refused.status, ImportStatus::Refused);
  EXPECT_NE(refused.message.find("只接受带校验信息的数据包"), std::string::npos) << refused.message;
  EXPECT_EQ(upper.count(), 0);
  EXPECT_EQ(import(package, strict).status, ImportStatus::Imported);
  EXPECT_EQ(upper.count(), 20);
}

TEST_F(IntakeTest, RestoreRefusesABackupWithABadRecordAndKeepsTheRecords) {
  ASSERT_EQ(import(package).status, ImportStatus::Imported);
  const fs::path bad = crafted("bad.mdb", [](db::Connection& db) {
    db.execute("update dt_data set RecordState = 9 where rowid = 6");
  });
  EXPECT_FALSE(exchange::RestoreFrom(*upper.session, upper.prompts, bad.string(), "dt_data", false));
  EXPECT_NE(upper.prompts.lastMessage().find("“RecordState”"), std::string::npos) << upper.prompts.lastMessage();
  EXPECT_NE(upper.prompts.lastMessage().find("数据没有改变"), std::string::npos) << upper.prompts.lastMessage();
  EXPECT_EQ(upper.count(), 20);
}

TEST_F(IntakeTest, RecordByRecordImportCountsBadRecordsAsFailing) {
  struct Case {
    const char* name;
    const char* sql;
  };
  for (const Case& c : {Case{"a NULL code", "update dt_data set c901 = NULL where rowid = 3"},
                        Case{"nan as text", "update dt_data set z001 = 'nan' where rowid = 3"},
                        Case{"infinity", "update dt_data set z001 = 9e999 where rowid = 3"}}) {
    SCOPED_TRACE(c.name);
    upper.exec("delete from dt_data");
    const fs::path file = crafted(std::string(c.name) + ".mdb", [&](db::Connection& db) { db.execute(c.sql); });
    exchange::RecordImportOptions skip;
    skip.skipFailing = true;
    skip.askPerRecord = false;
    const exchange::RecordImportResult r = exchange::ImportRecordsFrom(*upper.session, upper.prompts, file.string(), "dt_data", skip);
    EXPECT_EQ(r.status, exchange::RecordImportStatus::Imported);
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(upper.count(), 19);
    EXPECT_EQ(upper.count("select count(*) from dt_data where c901 is null or c901 = 0"), 0);
  }
}

TEST_F(IntakeTest, YearMigrationRefusesAPreviousYearRecordTheFormWouldNotTake) {
  upper.exec("insert into dt_data_2010 (c901, c902, c903) values (110101000001, '甲', 110101)");
  upper.exec("insert into dt_data_2010 (c901, c902, c903) values (-5, '乙', 110101)");
  const exchange::OperationResult r = exchange::MigratePreviousYear(*upper.session, upper.prompts);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("“c901”"), std::string::npos) << r.message;
  EXPECT_EQ(upper.count(), 0);
  EXPECT_EQ(upper.count("select count(*) from dt_data_2010"), 2);
}

TEST(ShownValue, EscapesWhatWouldBreakALine) {
  struct Case {
    std::string in;
    std::string out;
  };
  for (const Case& c : {Case{"a\nb", "a\\nb"}, Case{"a\rb\tc", "a\\rb\\tc"}, Case{std::string("\x01\x7f", 2), "\\x01\\x7F"},
                        Case{"\xff\xfe", "\\xFF\\xFE"}, Case{"工会", "工会"}, Case{"\xe5\xb7", "\\xE5\\xB7"}})
    EXPECT_EQ(ShownValue(c.in), c.out) << c.in;
  EXPECT_EQ(ShownValue(std::string(100, 'x'), 5), "xxxxx…");
}

}  // namespace
}  // namespace velmora::intake
