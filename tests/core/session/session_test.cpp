#include "core/session/session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include "core/db/statement.h"
#include "core/db/translate.h"
#include "core/files/database_file.h"
#include "core/session/working_copy.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::session {
namespace {

namespace fs = std::filesystem;
using namespace velmora::db;
using files::kDatabaseBusyText;
using testing::ReadFileBytes;
using testing::ScriptedPrompts;
using testing::TempDir;
using testing::WriteFileBytes;

constexpr const char* kNotFound = "没有找到系统数据文件，请重新安装。";
constexpr const char* kBadInstall = "软件安装不正确，请与软件提供者联系！";

// A database file with a label (no ct_label at all when `label` is null) and a few records.
fs::path MakeDatabase(const fs::path& file, const char* label) {
  db::CreateDatabase(testing::ConnectionTo(file));
  db::Connection db(testing::ConnectionTo(file));
  testing::Exec(db, "create table dt_data(c901 double primary key, c902 text)");
  for (int i = 0; i < 30; ++i)
    testing::Exec(db, "insert into dt_data values(" + std::to_string(100000000000LL + i) + ", '" + std::string(100, 'u') + "')");
  if (label) {
    testing::Exec(db, "create table ct_label(db_name text)");
    db::Statement::Native(db, "insert into ct_label values(?1)").bind(1, label).run();
  }
  return file;
}

// A package made from a plain database: the same file with its head scrambled.
fs::path MakePackage(const fs::path& file, const char* label) {
  MakeDatabase(file, label);
  EXPECT_EQ(ScramblePackageHeader(file.string()), HeadResult::Changed);
  return file;
}

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() {
    fs::create_directory(program());
    MakeDatabase(program() / "2012Velmora.mdb", "默认数据库");
    session.onReopened = [this] { ++reopened; };
    session.onDatabaseChanged = [this] { ++changed; };
    session.setPersonalFolder(dir.path().string());
  }
  fs::path program() const { return dir / "program"; }
  fs::path workingCopy() const { return program() / "temp.dat"; }
  void choose(const fs::path& file) { prompts.fileAnswers.push_back(file.string()); }

  TempDir dir;
  ScriptedPrompts prompts;
  DatabaseSession session{(dir / "program").string(), prompts};
  int reopened = 0;
  int changed = 0;
};

TEST_F(SessionTest, OpensTheDefaultDatabaseAndReadsItsLabel) {
  ASSERT_TRUE(session.OpenDatabase(""));
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(session.DatabasePath(), (program() / "2012Velmora.mdb").string());
  EXPECT_EQ(session.WindowTitle(), "Velmora - 默认数据库");
  EXPECT_EQ(session.Edition().EditionStateC912, 1);
  EXPECT_EQ(session.Edition().EditionCompanionTable, 0);
  // The adaptor must find the file again in the connection string built here.
  EXPECT_EQ(Connection::DataSourceOf(DatabaseSession::ConnectionStringFor(session.DatabasePath())),
            session.DatabasePath());
}

TEST_F(SessionTest, OpenFailuresShowTheirMessageAndNeverTouchTheFile) {
  struct Case {
    const char* name;
    const char* defaultContent;  // null: no default database; "db": a database; else file text
    const char* otherContent;    // the file passed to OpenDatabase; null: the default ("")
    bool lockDefault;
    const char* message;
  } cases[] = {
      {"default missing", nullptr, nullptr, false, kNotFound},
      {"default not a database", "just text, no database", nullptr, false, kBadInstall},
      {"default held by another program", "db", nullptr, true, kBadInstall},
      {"other file not a database, default present", "db", "plain text", false, kBadInstall},
      {"other file not a database, default missing", nullptr, "plain text", false, kNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir where;
    fs::create_directory(where / "program");
    fs::path defaultDb = where / "program" / "2012Velmora.mdb";
    if (c.defaultContent && std::string(c.defaultContent) == "db")
      MakeDatabase(defaultDb, "默认数据库");
    else if (c.defaultContent)
      WriteFileBytes(defaultDb, c.defaultContent);
    fs::path target = defaultDb;
    if (c.otherContent) {
      target = where / "other.mdb";
      WriteFileBytes(target, c.otherContent);
    }
    const std::string before = fs::exists(target) ? ReadFileBytes(target) : "";

    std::optional<db::Connection> other;
    if (c.lockDefault) {
      other.emplace(testing::ConnectionTo(defaultDb));
      testing::Exec(*other, "BEGIN EXCLUSIVE");
    }
    ScriptedPrompts p;
    DatabaseSession s((where / "program").string(), p);
    EXPECT_FALSE(s.OpenDatabase(c.otherContent ? target.string() : ""));
    if (other) {
      testing::Exec(*other, "ROLLBACK");
      other.reset();
    }
    EXPECT_FALSE(s.Connected());
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], c.message);
    if (fs::exists(target)) {
      EXPECT_EQ(ReadFileBytes(target), before);
    }
    EXPECT_FALSE(fs::exists(where / "program" / "2012Velmora.mdb-journal"));
  }
}

TEST_F(SessionTest, MissingLabelTableShowsTheEngineText) {
  fs::path noLabel = MakeDatabase(dir / "nolabel.mdb", nullptr);
  EXPECT_FALSE(session.OpenDatabase(noLabel.string()));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].rfind("运行中发生错误：", 0), 0u);
  EXPECT_NE(prompts.messages[0].find("ct_label"), std::string::npos) << prompts.messages[0];
  EXPECT_FALSE(session.Connected());
}

TEST_F(SessionTest, LabelIsStoredExactlyAsTyped) {
  ASSERT_TRUE(session.OpenDatabase(""));
  const std::string label = "O'Brien's 工会 -- '); drop table dt_data; --";
  prompts.inputAnswers.push_back(label);
  ASSERT_TRUE(session.actLabel());
  EXPECT_EQ(session.WindowTitle(), "Velmora - " + label);

  ASSERT_TRUE(session.OpenDatabase(""));
  EXPECT_EQ(session.DatabaseLabel(), label);
  EXPECT_TRUE(session.SysADOConnection().TableExists("dt_data"));

  // Cancel and an empty answer change nothing.
  prompts.inputAnswers.push_back(std::nullopt);
  prompts.inputAnswers.push_back(std::string());
  EXPECT_FALSE(session.actLabel());
  EXPECT_FALSE(session.actLabel());
  ASSERT_TRUE(session.OpenDatabase(""));
  EXPECT_EQ(session.DatabaseLabel(), label);
}

TEST_F(SessionTest, OpenDbAsksForAFileAndIgnoresCancelAndBlanks) {
  ASSERT_TRUE(session.OpenDatabase(""));
  prompts.fileAnswers.push_back(std::nullopt);
  prompts.fileAnswers.push_back(std::string("   "));
  EXPECT_FALSE(session.actOpenDB());
  EXPECT_FALSE(session.actOpenDB());
  EXPECT_TRUE(prompts.messages.empty());
  ASSERT_EQ(prompts.fileRequests.size(), 2u);
  EXPECT_EQ(prompts.fileRequests[0].title, "选择数据库文件");
  EXPECT_EQ(prompts.fileRequests[0].filter, "数据加密文件(*.dat)|*.dat|数据备份文件(*.mdb)|*.mdb");
  EXPECT_EQ(prompts.fileRequests[0].initialFolder, dir.path().string());

  choose(dir / "nowhere.dat");
  EXPECT_FALSE(session.actOpenDB());
  EXPECT_EQ(prompts.lastMessage(), "您选择的文件并不存在，请选择其它文件。");
  EXPECT_TRUE(session.Connected());
  EXPECT_EQ(changed, 0);
}

TEST_F(SessionTest, PackageOpensThroughTheWorkingCopyAndDefaultRemovesIt) {
  ASSERT_TRUE(session.OpenDatabase(""));
  fs::path package = MakePackage(dir / "unit.dat", "某某公司工会");
  const std::string packageBytes = ReadFileBytes(package);

  choose(package);
  ASSERT_TRUE(session.actOpenDB());
  EXPECT_EQ(session.DatabasePath(), workingCopy().string());
  EXPECT_EQ(session.WindowTitle(), "Velmora - 某某公司工会");
  EXPECT_EQ(prompts.lastMessage(), "已经打开您选择的数据库--某某公司工会");
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(ReadFileBytes(package), packageBytes);

  ASSERT_TRUE(session.actOpenDefault());
  EXPECT_FALSE(fs::exists(workingCopy()));
  EXPECT_EQ(session.DatabaseLabel(), "默认数据库");
  EXPECT_EQ(prompts.lastMessage(), "已经打开软件默认数据库--默认数据库");
  EXPECT_EQ(changed, 2);
}

TEST_F(SessionTest, PlainFileOpensInPlace) {
  ASSERT_TRUE(session.OpenDatabase(""));
  fs::path backup = MakeDatabase(dir / "backup.mdb", "备份");
  choose(backup);
  ASSERT_TRUE(session.actOpenDB());
  EXPECT_EQ(session.DatabasePath(), backup.string());
  EXPECT_FALSE(fs::exists(workingCopy()));
}

TEST_F(SessionTest, FailedOpenKeepsOrRestoresAWorkingDatabase) {
  ASSERT_TRUE(session.OpenDatabase(""));
  fs::path text = dir / "notes.dat";
  WriteFileBytes(text, "this is not a database");

  // Not a database at all: the default database stays open.
  choose(text);
  EXPECT_FALSE(session.actOpenDB());
  EXPECT_TRUE(session.Connected());
  EXPECT_EQ(session.DatabaseLabel(), "默认数据库");
  EXPECT_NE(std::find(prompts.messages.begin(), prompts.messages.end(), kNotADatabaseText), prompts.messages.end());
  EXPECT_EQ(ReadFileBytes(text), "this is not a database");

  // A package is open; a broken choice goes back to it.
  choose(MakePackage(dir / "a.dat", "甲单位"));
  ASSERT_TRUE(session.actOpenDB());
  choose(text);
  EXPECT_FALSE(session.actOpenDB());
  EXPECT_EQ(session.DatabasePath(), workingCopy().string());
  EXPECT_EQ(session.DatabaseLabel(), "甲单位");
  EXPECT_GE(reopened, 1);

  // A package without a label replaces temp.dat and cannot be opened: the previous package is gone
  // with it, so the default database is opened.
  const int changedBefore = changed;
  choose(MakePackage(dir / "b.dat", nullptr));
  EXPECT_FALSE(session.actOpenDB());
  EXPECT_TRUE(session.Connected());
  EXPECT_EQ(session.DatabasePath(), (program() / "2012Velmora.mdb").string());
  EXPECT_EQ(session.DatabaseLabel(), "默认数据库");
  EXPECT_EQ(changed, changedBefore + 1);
}

TEST_F(SessionTest, CompressReportsAndReopensWhateverTheOutcome) {
  ASSERT_TRUE(session.OpenDatabase(""));
  const fs::path file = program() / "2012Velmora.mdb";
  session.SysADOConnection().execute("delete from dt_data where c901 > 100000000001");

  EXPECT_TRUE(session.actCompress());
  EXPECT_EQ(prompts.lastMessage(), "压缩操作成功");
  EXPECT_EQ(reopened, 1);
  EXPECT_TRUE(session.Connected());
  EXPECT_EQ(session.SysADOConnection().tableNames().size(), 2u);

  const std::string before = ReadFileBytes(file);
  {
    db::Connection other(testing::ConnectionTo(file));
    testing::Exec(other, "BEGIN EXCLUSIVE");
    EXPECT_FALSE(session.actCompress());
    testing::Exec(other, "ROLLBACK");
  }
  EXPECT_EQ(prompts.lastMessage(), kDatabaseBusyText);  // never "压缩操作成功"
  EXPECT_TRUE(ReadFileBytes(file) == before);
  EXPECT_EQ(reopened, 2);
  EXPECT_TRUE(session.Connected());
}

}  // namespace
}  // namespace velmora::session

namespace velmora::session {
namespace {

// A package as the export writes it: the shipped template with a label, its head scrambled.
TEST(ShippedFiles, PackageFromTheTemplateOpensOverTheShippedDatabase) {
  TempDir dir;
  fs::create_directory(dir / "program");
  dir.copyOfShipped("program/2012Velmora.mdb");
  fs::path package = dir / "上报.dat";
  fs::copy_file(testing::PackageTemplate(), package);
  fs::permissions(package, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
  {
    Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + package.string());
    c.execute("update ct_label set db_name = " + QuoteText("某区总工会"));
  }
  ASSERT_EQ(ScramblePackageHeader(package.string()), HeadResult::Changed);

  ScriptedPrompts prompts;
  DatabaseSession session((dir / "program").string(), prompts);
  ASSERT_TRUE(session.OpenDatabase(""));
  EXPECT_EQ(session.WindowTitle(), "Velmora - 默认数据库");
  prompts.fileAnswers.push_back(package.string());
  ASSERT_TRUE(session.actOpenDB());
  EXPECT_EQ(session.DatabaseLabel(), "某区总工会");
  EXPECT_TRUE(session.SysADOConnection().TableExists("dt_data"));
  ASSERT_TRUE(session.actOpenDefault());
  EXPECT_FALSE(fs::exists(dir / "program" / "temp.dat"));
}

}  // namespace
}  // namespace velmora::session
