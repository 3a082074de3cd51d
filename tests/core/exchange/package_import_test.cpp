#include "core/exchange/package_import.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/db/file_header.h"
#include "core/exchange/conflict_report.h"
#include "core/exchange/reporting_package.h"
#include "core/files/report_folder.h"
#include "core/session/working_copy.h"
#include "core/text/gbk_encoder.h"
#include "support/database.h"
#include "support/exchange_fixture.h"

namespace velmora::exchange {
namespace {

namespace fs = std::filesystem;
using testing::ExchangeFixture;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

class ImportTest : public ExchangeFixture {
 protected:
  ImportTest() { package = exportPackage("unit.dat", "某区'总工会"); }

  std::string reportPath() const { return (dir / "docs" / kConflictReportName).string(); }
  ImportOptions yes() {
    upper.prompts.confirmAnswers.push_back(true);
    return {};
  }
  // A plain database with the unit's records in a dt_data changed by `change` (a backup-like file).
  fs::path plainCopy(const std::string& name, const std::function<void(db::Connection&)>& change = {}) {
    const fs::path file = dir / name;
    fs::copy_file(package, file);
    session::RestorePackageHeader(file.string());
    if (change) {
      db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string());
      change(c);
    }
    return file;
  }
  fs::path rescrambled(const fs::path& plain) {
    EXPECT_EQ(session::ScramblePackageHeader(plain.string()), session::HeadResult::Changed);
    return plain;
  }
  std::string unitCode(int row) {
    db::Statement st(unit.session->SysADOConnection(),
                     "select c901 from dt_data order by c901 limit 1 offset " + std::to_string(row));
    EXPECT_TRUE(st.step());
    return st.value(0).toString();
  }

  // The code of a row of a package, in c901 order.
  std::string unitCodeOf(const fs::path& file, int row) {
    const fs::path plain = dir / ("plain-" + std::to_string(row) + ".mdb");
    fs::copy_file(file, plain, fs::copy_options::overwrite_existing);
    session::RestorePackageHeader(plain.string());
    db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + plain.string());
    db::Statement st(c, "select c901 from dt_data order by c901 limit 1 offset " + std::to_string(row));
    EXPECT_TRUE(st.step());
    return st.value(0).toString();
  }

  fs::path package;
};

TEST_F(ImportTest, AllNewRecordsAreImportedAfterTheLabelQuestion) {
  const std::string userFile = ReadFileBytes(package);
  const std::set<std::string> programFiles = Entries(program());
  const SingleImport r = ImportPackage(*upper.session, upper.prompts, package.string(), "dt_data", yes());
  EXPECT_TRUE(r.refresh);
  EXPECT_EQ(r.result.status, ImportStatus::Imported);
  EXPECT_EQ(r.result.imported, 20);
  EXPECT_EQ(r.result.manifest, ManifestStatus::Ok);
  EXPECT_EQ(upper.count(), 20);
  ASSERT_EQ(upper.prompts.messages.size(), 2u);
  EXPECT_EQ(upper.prompts.messages[0], "确认准备导入标记声明为【某区'总工会】的数据么？");
  // A Yes/No question in a warning box: Yes changes the office's data.
  EXPECT_EQ(upper.prompts.shown[0].type, testing::PromptType::Confirm);
  EXPECT_EQ(upper.prompts.shown[0].kind, MessageKind::Warning);
  EXPECT_EQ(upper.prompts.shown[0].title, "提示：");
  EXPECT_EQ(upper.prompts.messages[1], "数据已经被正确地从'" + package.string() + "'导入！");
  EXPECT_EQ(ReadFileBytes(package), userFile);  // only read
  EXPECT_EQ(Entries(program()), programFiles);  // the working copy is gone again
  EXPECT_TRUE(upper.prompts.openedDocuments.empty());
}

TEST_F(ImportTest, NoAnswerImportsNothing) {
  const SingleImport r = ImportPackage(*upper.session, upper.prompts, package.string(), "dt_data", {});
  EXPECT_FALSE(r.refresh);
  EXPECT_EQ(r.result.status, ImportStatus::Declined);
  EXPECT_EQ(upper.count(), 0);
  EXPECT_EQ(upper.prompts.messages.size(), 1u);
}

TEST_F(ImportTest, OneConflictImportsNothingAndListsItInTheReport) {
  const std::string code = unitCode(7);
  upper.exec("insert into dt_data (c901, c902, RecordState) values (" + code + ", '别的单位', 1)");
  const SingleImport r = ImportPackage(*upper.session, upper.prompts, package.string(), "dt_data", yes());
  EXPECT_FALSE(r.refresh);
  EXPECT_EQ(r.result.status, ImportStatus::Conflicts);
  EXPECT_EQ(upper.count(), 1);
  ASSERT_EQ(r.result.conflicts.size(), 1u);

  db::Statement name(unit.session->SysADOConnection(), "select c902 from dt_data where c901 = " + code);
  ASSERT_TRUE(name.step());
  text::GbkEncoder gbk;
  const std::string expected = gbk.Encode("在准备导入的文件中，如下的记录与现有的记录发生编号冲突\r\n" +
                                          std::string(80, '-') + "\r\n(" + code + "," + name.text(0) + ")\r\n");
  EXPECT_EQ(r.reportPath, reportPath());
  EXPECT_EQ(ReadFileBytes(reportPath()), expected);
  EXPECT_EQ(upper.prompts.openedDocuments, std::vector<std::string>{reportPath()});
  EXPECT_EQ(upper.prompts.lastMessage(),
            "导入过程中发生错误，准备导入的数据可能与现有的\n\r数据有重复的内容，详细的内容请参见文件：\n\r\n\r" +
                std::string(12, ' ') + reportPath() + "。");
  // The staging table holds the conflicting row as the file has it.
  EXPECT_EQ(upper.count("select count(*) from dt_data_dt_data"), 1);
  EXPECT_EQ(upper.count("select count(*) from dt_data_dt_data where c901 = " + code + " and c902 <> '别的单位'"), 1);
}

TEST_F(ImportTest, ConflictReportListsCodesAscending) {
  for (int row : {12, 3, 9})
    upper.exec("insert into dt_data (c901, c902) values (" + unitCode(row) + ", 'x')");
  const FileImportResult r = ImportFile(*upper.session, upper.prompts, package.string(), "dt_data", {false, false});
  ASSERT_EQ(r.conflicts.size(), 3u);
  EXPECT_EQ(r.conflicts[0].c901, unitCode(3));
  EXPECT_EQ(r.conflicts[1].c901, unitCode(9));
  EXPECT_EQ(r.conflicts[2].c901, unitCode(12));
}

TEST_F(ImportTest, TheSamePackageTwiceIsToldAsAlreadyImported) {
  ASSERT_EQ(ImportPackage(*upper.session, upper.prompts, package.string(), "dt_data", yes()).result.status, ImportStatus::Imported);
  upper.prompts = {};
  const SingleImport again = ImportPackage(*upper.session, upper.prompts, package.string(), "dt_data", yes());
  EXPECT_EQ(again.result.status, ImportStatus::AlreadyImported);
  EXPECT_FALSE(again.refresh);
  EXPECT_EQ(upper.count(), 20);
  EXPECT_TRUE(upper.prompts.openedDocuments.empty());
  EXPECT_FALSE(fs::exists(reportPath()));
  EXPECT_NE(upper.prompts.lastMessage().find("【某区'总工会】"), std::string::npos);
  EXPECT_NE(upper.prompts.lastMessage().find("20条"), std::string::npos);

  // One value changed since: a real conflict again, with its report.
  upper.exec("update dt_data set z001 = z001 + 1 where c901 = " + unitCode(4));
  EXPECT_EQ(ImportPackage(*upper.session, upper.prompts, package.string(), "dt_data", yes()).result.status, ImportStatus::Conflicts);
  EXPECT_TRUE(fs::exists(reportPath()));
}

TEST_F(ImportTest, APlainDatabaseFileIsReadInPlace) {
  const fs::path backup = plainCopy("backup.mdb");
  const std::string bytes = ReadFileBytes(backup);
  EXPECT_EQ(ImportFile(*upper.session, upper.prompts, backup.string(), "dt_data", {false, false}).status, ImportStatus::Imported);
  EXPECT_EQ(upper.count(), 20);
  EXPECT_EQ(ReadFileBytes(backup), bytes);
}

TEST_F(ImportTest, UpperCaseDatUnderTheFirstFilterIsReportedMissing) {
  fs::copy_file(package, dir / "x.DAT");
  upper.prompts.fileAnswers.push_back((dir / "x.DAT").string());
  EXPECT_TRUE(ImportReportingPackage(*upper.session, upper.prompts, "dt_data"));
  EXPECT_EQ(upper.prompts.lastMessage(), "您选择的文件并不存在，请选择其它文件。");
  ASSERT_EQ(upper.prompts.fileRequests.size(), 1u);
  EXPECT_EQ(upper.prompts.fileRequests[0].filter, kImportFilter);
  EXPECT_EQ(upper.count(), 0);
}

TEST_F(ImportTest, WorkingCopyGoesToTheGivenFolderAndIsRemoved) {
  const fs::path elsewhere = dir / "tmp";
  fs::create_directories(elsewhere);
  EXPECT_EQ(ImportFile(*upper.session, upper.prompts, package.string(), "dt_data", {false, false}, jobs::NoJob(), elsewhere.string()).status,
            ImportStatus::Imported);
  EXPECT_TRUE(Entries(elsewhere).empty());
}

TEST_F(ImportTest, DryRunFindsEverythingAndChangesNothing) {
  const std::string code = unitCode(2);
  upper.exec("insert into dt_data (c901, c902) values (" + code + ", 'x')");
  upper.exec("insert into dt_data_dt_data (c901, c902) values (1, 'left over')");
  const FileImportResult r = ImportFile(*upper.session, upper.prompts, package.string(), "dt_data", {false, true});
  EXPECT_EQ(r.status, ImportStatus::Conflicts);
  ASSERT_EQ(r.conflicts.size(), 1u);
  EXPECT_EQ(r.conflicts[0].c901, code);
  EXPECT_EQ(upper.count(), 1);
  EXPECT_EQ(upper.count("select count(*) from dt_data_dt_data where c902 = 'left over'"), 1);
  upper.exec("delete from dt_data");
  const FileImportResult clean = ImportFile(*upper.session, upper.prompts, package.string(), "dt_data", {false, true});
  EXPECT_EQ(clean.status, ImportStatus::Imported);
  EXPECT_EQ(clean.imported, 20);
  EXPECT_EQ(upper.count(), 0);
}

// Every bad file is refused with a message; nothing is imported, the file and the folders stay.
TEST_F(ImportTest, BadFilesAreRefusedWithNothingImportedOrLeftBehind) {
  const std::string whole = ReadFileBytes(package);
  auto cut = [&](const std::string& name, std::size_t size) {
    WriteFileBytes(dir / name, whole.substr(0, size));
    return dir / name;
  };
  auto write = [&](const std::string& name, const std::string& bytes) {
    WriteFileBytes(dir / name, bytes);
    return dir / name;
  };
  std::string noise(50000, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + 13) % 251);
  // One byte of a unit name beyond the head flipped: the file still opens, the checksum fails.
  std::string flipped = whole;
  {
    db::Statement st(unit.session->SysADOConnection(), "select c902 from dt_data order by c901 limit 1");
    ASSERT_TRUE(st.step());
    const std::size_t at = flipped.find(st.text(0), db::kPackageHeadSize);
    ASSERT_NE(at, std::string::npos);
    flipped[at + st.text(0).size() - 1] ^= 0x01;
  }

  struct Case {
    const char* name;
    fs::path file;
    const char* says;
  };
  const std::vector<Case> cases{
      {"random bytes", write("noise.dat", noise), "不是有效的数据包"},
      {"cut to 500 bytes", cut("500.dat", 500), "不是有效的数据包"},
      {"cut to 1024 bytes", cut("1024.dat", 1024), "已损坏或不完整"},
      {"cut in the middle", cut("half.dat", whole.size() / 2), "已损坏或不完整"},
      {"a byte flipped", write("flip.dat", flipped), "数据包已损坏或不完整"},
      {"a row deleted",
       rescrambled(plainCopy("deleted.dat", [](db::Connection& c) { c.execute("delete from dt_data where id = 4"); })),
       "数据包已损坏或不完整"},
      {"a column missing",
       plainCopy("lacks.mdb", [](db::Connection& c) { c.execute("alter table dt_data drop column s004"); }),
       "结构不同"},
      {"a column more",
       plainCopy("more.mdb", [](db::Connection& c) { c.execute("alter table dt_data add column extra integer"); }),
       "结构不同"},
      {"the same code twice",
       plainCopy("twice.mdb",
                 [](db::Connection& c) {
                   // The same layout without the key, so that a code can stand twice.
                   db::Statement sql(c, "select sql from sqlite_master where name = 'dt_data'");
                   ASSERT_TRUE(sql.step());
                   std::string create = sql.text(0);
                   sql = db::Statement();
                   const std::size_t key = create.find("c901 DOUBLE UNIQUE");
                   ASSERT_NE(key, std::string::npos);
                   create.replace(key, 18, "c901 DOUBLE");
                   c.execute("alter table dt_data rename to t; " + create +
                             "; insert into dt_data select * from t; drop table t; "
                             "insert into dt_data select * from dt_data limit 1; drop table package_manifest");
                 }),
       "重复的编号"},
      {"no dt_data", plainCopy("notable.mdb", [](db::Connection& c) { c.execute("drop table dt_data"); }),
       "不存在名字为\"dt_data\"的数据表"},
      {"the open database", upper.file, "打开的数据库"},
      {"a text file named .mdb", write("text.mdb", "这不是数据库\r\n"), "不是有效的数据包"},
      {"missing", dir / "none.dat", "并不存在"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string bytes = fs::exists(c.file) ? ReadFileBytes(c.file) : "";
    const std::set<std::string> programBefore = Entries(program());
    upper.prompts = {};
    const SingleImport r = ImportPackage(*upper.session, upper.prompts, c.file.string(), "dt_data", yes());
    EXPECT_NE(r.result.status, ImportStatus::Imported);
    EXPECT_NE(r.result.status, ImportStatus::Conflicts);
    EXPECT_NE(r.result.message.find(c.says), std::string::npos) << r.result.message;
    EXPECT_FALSE(upper.prompts.lastMessage().empty());
    EXPECT_EQ(upper.count(), 0);
    EXPECT_EQ(Entries(program()), programBefore);
    EXPECT_TRUE(upper.prompts.openedDocuments.empty());
    if (!bytes.empty() && c.file != upper.file) {
      EXPECT_EQ(ReadFileBytes(c.file), bytes);
    }
  }
  db::Statement ok(upper.session->SysADOConnection(), "pragma integrity_check");
  ASSERT_TRUE(ok.step());
  EXPECT_EQ(ok.text(0), "ok");
}

// The report's closing section as a batch of `files` leaves it: one line per file, in order.
std::string OutcomeSection(const std::vector<std::pair<fs::path, std::string>>& files) {
  std::string text = "在准备导入的" + std::to_string(files.size()) + "个文件中，各个文件的导入结果如下\r\n" +
                     std::string(80, '-') + "\r\n";
  for (const auto& [file, outcome] : files) text += "【" + file.string() + "】" + outcome + "\r\n";
  return text;
}

TEST_F(ImportTest, BatchWhereOnlyTheSecondConflictsHasOneBlockNamingIt) {
  open(unit, makeUnitDatabase("unit2.mdb", 10, 99));
  // A second unit whose records come after the first one's, and one of them already stored.
  unit.exec("update dt_data set c901 = c901 + 1000");
  const fs::path second = exportPackage("second.dat", "第二个单位");
  db::Statement one(unit.session->SysADOConnection(), "select c901, c902 from dt_data order by c901 limit 1");
  ASSERT_TRUE(one.step());
  const std::string code = one.value(0).toString(), name = one.text(1);
  upper.exec("insert into dt_data (c901, c902) values (" + code + ", 'x')");

  struct Counting : jobs::Job {
    std::int64_t total = 0, steps = 0;
    void start(std::int64_t t, std::int64_t) override { total = t; }
    void step(std::int64_t n) override { steps += n; }
  } job;
  const BatchImport b = ImportPackageFiles(*upper.session, upper.prompts, {package.string(), second.string()}, "dt_data", {}, job);
  EXPECT_EQ(job.total, 2);
  EXPECT_EQ(job.steps, 2);
  ASSERT_EQ(b.files.size(), 2u);
  EXPECT_EQ(b.files[0].status, ImportStatus::Imported);
  EXPECT_EQ(b.files[1].status, ImportStatus::Conflicts);
  EXPECT_FALSE(b.allImported);
  EXPECT_EQ(upper.count(), 21);
  text::GbkEncoder gbk;
  EXPECT_EQ(ReadFileBytes(reportPath()),
            gbk.Encode("在准备导入的名为【" + second.string() + "】的文件中，如下的记录与现有的记录发生编号冲突\r\n" +
                       std::string(80, '-') + "\r\n(" + code + "," + name + ")\r\n\r\n\r\n" +
                       OutcomeSection({{package, "导入了20条记录"}, {second, "有1条记录编号冲突，没有导入任何记录"}})));
  EXPECT_EQ(upper.prompts.openedDocuments, std::vector<std::string>{reportPath()});
  EXPECT_EQ(upper.prompts.lastMessage(),
            "共2个文件：导入了1个（20条记录），已经导入过0个，编号冲突1个（1条记录），被拒绝0个。\n" +
                ConflictMessage(reportPath()));
  EXPECT_TRUE(upper.prompts.confirmAnswers.empty());  // no question per file
}

TEST_F(ImportTest, CleanBatchEndsWithTheOutcomesAndTheSuccessMessage) {
  open(unit, makeUnitDatabase("unit2.mdb", 10, 5));
  unit.exec("update dt_data set c901 = c901 + 1000");
  const fs::path second = exportPackage("second.dat", "第二个单位");
  const BatchImport b = ImportPackageFiles(*upper.session, upper.prompts, {package.string(), second.string()}, "dt_data", {});
  EXPECT_TRUE(b.allImported);
  EXPECT_EQ(b.imported, 30);
  EXPECT_EQ(upper.count(), 30);
  text::GbkEncoder gbk;
  EXPECT_EQ(ReadFileBytes(reportPath()),
            gbk.Encode(OutcomeSection({{package, "导入了20条记录"}, {second, "导入了10条记录"}})));
  ASSERT_EQ(upper.prompts.shown.size(), 1u);
  EXPECT_EQ(upper.prompts.lastMessage(),
            "数据已经被正确地导入!\n共2个文件：导入了2个（30条记录），已经导入过0个，编号冲突0个（0条记录），被拒绝0个。");
  EXPECT_EQ(upper.prompts.last().kind, MessageKind::Information);
  EXPECT_TRUE(upper.prompts.openedDocuments.empty());
  // The next batch replaces the report, which starts with its title.
  const BatchImport again = ImportPackageFiles(*upper.session, upper.prompts, {second.string()}, "dt_data", {});
  EXPECT_EQ(again.files.at(0).status, ImportStatus::AlreadyImported);
  EXPECT_EQ(ReadFileBytes(reportPath()),
            gbk.Encode(OutcomeSection({{second, "已经导入过了（10条记录），没有改变任何数据"}})));
}

// An office leaves a batch of many packages to run on its own: whatever the files hold, nothing
// is asked or shown until the end, the report tells every file's outcome after the conflict
// blocks, and one closing message gives the counts.
TEST_F(ImportTest, AMixedBatchAsksNothingWhileItRunsAndReportsEveryFile) {
  ASSERT_EQ(ImportFile(*upper.session, upper.prompts, package.string(), "dt_data", {false, false}).status, ImportStatus::Imported);
  open(unit, makeUnitDatabase("unit2.mdb", 10, 99));
  unit.exec("update dt_data set c901 = c901 + 1000");
  const fs::path good = exportPackage("good.dat", "第二个单位");
  // A third unit holding one code of the first under another name.
  unit.exec("update dt_data set c901 = c901 + 1000");
  unit.exec("update dt_data set c901 = " + unitCodeOf(package, 5) + ", c902 = '另一个工会' "
            "where c901 = (select min(c901) from dt_data)");
  const fs::path conflicting = exportPackage("conflicting.dat", "第三个单位");
  const std::string whole = ReadFileBytes(good);
  WriteFileBytes(dir / "damaged.dat", whole.substr(0, whole.size() / 2));
  const fs::path damaged = dir / "damaged.dat";

  // What the prompts had shown by the time each file was done.
  struct Watching : jobs::Job {
    const testing::ScriptedPrompts* prompts = nullptr;
    std::vector<std::size_t> shownAfterEachFile;
    void step(std::int64_t) override { shownAfterEachFile.push_back(prompts->shown.size()); }
  } job;
  job.prompts = &upper.prompts;
  const BatchImport b = ImportPackageFiles(
      *upper.session, upper.prompts, {package.string(), conflicting.string(), damaged.string(), good.string()}, "dt_data", {}, job);

  EXPECT_EQ(job.shownAfterEachFile, (std::vector<std::size_t>{0, 0, 0, 0}));
  ASSERT_EQ(upper.prompts.shown.size(), 1u);  // the closing message alone
  EXPECT_EQ(upper.prompts.last().type, testing::PromptType::Message);
  EXPECT_EQ(upper.prompts.last().kind, MessageKind::Warning);
  EXPECT_EQ(upper.prompts.lastMessage(),
            "共4个文件：导入了1个（10条记录），已经导入过1个，编号冲突1个（1条记录），被拒绝1个。\n" +
                ConflictMessage(reportPath()));
  EXPECT_EQ(upper.prompts.openedDocuments, std::vector<std::string>{reportPath()});

  ASSERT_EQ(b.files.size(), 4u);
  EXPECT_EQ(b.files[0].status, ImportStatus::AlreadyImported);
  EXPECT_EQ(b.files[1].status, ImportStatus::Conflicts);
  EXPECT_EQ(b.files[2].status, ImportStatus::Refused);
  EXPECT_EQ(b.files[3].status, ImportStatus::Imported);
  EXPECT_EQ(upper.count(), 30);
  const std::string cause = b.files[2].message;
  EXPECT_EQ(cause.rfind("文件“" + damaged.string() + "”已损坏或不完整", 0), 0u) << cause;

  text::GbkEncoder gbk;
  EXPECT_EQ(ReadFileBytes(reportPath()),
            gbk.Encode("在准备导入的名为【" + conflicting.string() +
                       "】的文件中，如下的记录与现有的记录发生编号冲突\r\n" + std::string(80, '-') + "\r\n(" +
                       unitCodeOf(package, 5) + ",另一个工会)\r\n\r\n\r\n" +
                       OutcomeSection({{package, "已经导入过了（20条记录），没有改变任何数据"},
                                       {conflicting, "有1条记录编号冲突，没有导入任何记录"},
                                       {damaged, "没有导入：" + cause},
                                       {good, "导入了10条记录"}})));
}

TEST_F(ImportTest, AStoppedBatchKeepsWhatWentInAndNamesTheFilesLeft) {
  open(unit, makeUnitDatabase("unit2.mdb", 10, 99));
  unit.exec("update dt_data set c901 = c901 + 1000");
  const fs::path second = exportPackage("second.dat", "第二个单位");
  struct StopAfterFirst : jobs::Job {
    std::int64_t done = 0;
    void step(std::int64_t n) override { done += n; }
    bool stopRequested() const override { return done >= 1; }
  } job;
  const BatchImport b = ImportPackageFiles(*upper.session, upper.prompts, {package.string(), second.string()}, "dt_data", {}, job);
  EXPECT_TRUE(b.stopped);
  EXPECT_FALSE(b.allImported);
  ASSERT_EQ(b.files.size(), 1u);
  EXPECT_EQ(upper.count(), 20);
  text::GbkEncoder gbk;
  EXPECT_EQ(ReadFileBytes(reportPath()), gbk.Encode(OutcomeSection(
                                             {{package, "导入了20条记录"}, {second, "没有处理：批量导入已停止"}})));
  ASSERT_EQ(upper.prompts.shown.size(), 1u);
  EXPECT_EQ(upper.prompts.lastMessage().rfind(
                "批量导入已停止，已经导入了20条记录。\n共2个文件：导入了1个（20条记录），已经导入过0个，编号冲突0个（0条"
                "记录），被拒绝0个，没有处理1个。\n",
                0),
            0u)
      << upper.prompts.lastMessage();
}

TEST_F(ImportTest, BatchGoesOnPastARefusedFile) {
  WriteFileBytes(dir / "noise.dat", std::string(3000, 'x'));
  const BatchImport b =
      ImportPackageFiles(*upper.session, upper.prompts, {(dir / "noise.dat").string(), package.string()}, "dt_data", {});
  ASSERT_EQ(b.files.size(), 2u);
  EXPECT_EQ(b.files[0].status, ImportStatus::Refused);
  EXPECT_EQ(b.files[1].status, ImportStatus::Imported);
  EXPECT_FALSE(b.allImported);
  EXPECT_EQ(upper.count(), 20);
  // No conflict: the closing message sends the user to the report for the refused file's cause.
  ASSERT_EQ(upper.prompts.shown.size(), 1u);
  EXPECT_EQ(upper.prompts.lastMessage(),
            "共2个文件：导入了1个（20条记录），已经导入过0个，编号冲突0个（0条记录），被拒绝1个。\n"
            "各个文件的导入结果请参见文件：\n\n" + std::string(12, ' ') + reportPath() + "。");
  EXPECT_EQ(upper.prompts.openedDocuments, std::vector<std::string>{reportPath()});
}

TEST_F(ImportTest, BrowsingJoinsTheLabelsStopsAtAMissingFileAndNamesAnUnreadableOne) {
  open(unit, makeUnitDatabase("unit2.mdb", 3, 5));
  const fs::path second = exportPackage("second.dat", "第二个单位");
  BrowsedFiles ok = ReadPackageLabels(*upper.session, {package.string(), second.string()});
  ASSERT_TRUE(ok.ok);
  EXPECT_EQ(ok.labels, "某区'总工会 || 第二个单位");
  EXPECT_EQ(ok.sourcePath, package.string() + ";" + second.string());
  BrowsedFiles missing = ReadPackageLabels(*upper.session, {package.string(), (dir / "no.dat").string()});
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.message, "您选择的文件名为【" + (dir / "no.dat").string() + "】的文件并不存在，请选择其它文件。");
  // An unreadable file stays chosen with its cause beside it; the others keep their labels.
  WriteFileBytes(dir / "bad.dat", "abc");
  const BrowsedFiles bad = ReadPackageLabels(*upper.session, {package.string(), (dir / "bad.dat").string()});
  ASSERT_TRUE(bad.ok);
  EXPECT_EQ(bad.fileLabels, (std::vector<std::string>{"某区'总工会", ""}));
  EXPECT_EQ(bad.labels, "某区'总工会 || （无法读取）");
  ASSERT_EQ(bad.faults.size(), 2u);
  EXPECT_EQ(bad.faults[0], "");
  EXPECT_NE(bad.faults[1].find("bad.dat"), std::string::npos) << bad.faults[1];
  // Choosing reads a file as far as its label: a damaged manifest is the import's to find.
  const fs::path manifestBroken = plainCopy("manifest-broken.dat");
  testing::BreakTable(manifestBroken, "package_manifest");
  rescrambled(manifestBroken);
  const BrowsedFiles chosen = ReadPackageLabels(*upper.session, {manifestBroken.string()});
  ASSERT_TRUE(chosen.ok);
  EXPECT_EQ(chosen.fileLabels, std::vector<std::string>{"某区'总工会"});
  EXPECT_EQ(chosen.faults, std::vector<std::string>{""});
  EXPECT_EQ(ReadPackageInfo(manifestBroken.string(), dir.path().string()).manifest, ManifestStatus::Damaged);
  EXPECT_FALSE(fs::exists(program() / session::kWorkingCopyName));
}

// The cause in the program's words comes first; the engine's own words, when a message keeps
// them, only follow in brackets.
void ExpectCauseFirst(const std::string& text) {
  ASSERT_FALSE(text.empty());
  EXPECT_GE(static_cast<unsigned char>(text[0]), 0x80u) << text;
  EXPECT_NE(text.find("损坏"), std::string::npos) << text;
  const std::size_t engine = text.find("malformed");
  if (engine != std::string::npos) {
    EXPECT_LT(text.find("（"), engine) << text;
  }
}

TEST_F(ImportTest, ADamagedFileIsToldByItsCauseBeforeTheEnginesWords) {
  auto broken = [&](const std::string& name, const std::string& table, bool scrambled) {
    const fs::path file = plainCopy(name);
    testing::BreakTable(file, table);
    return scrambled ? rescrambled(file) : file;
  };
  const std::vector<std::pair<const char*, fs::path>> cases{
      {"the manifest of a package", broken("manifest.dat", "package_manifest", true)},
      {"the records of a package", broken("records.dat", "dt_data", true)},
      {"the records of a backup", broken("records.mdb", "dt_data", false)},
  };
  for (const auto& [name, file] : cases) {
    SCOPED_TRACE(name);
    const FileImportResult r = ImportFile(*upper.session, upper.prompts, file.string(), "dt_data", {false, false});
    EXPECT_EQ(r.status, ImportStatus::Refused);
    ExpectCauseFirst(r.message);
    const PackageInfo info = ReadPackageInfo(file.string(), (dir / "docs").string());
    if (info.ok) {
      EXPECT_EQ(info.manifest, ManifestStatus::Damaged);
      ExpectCauseFirst(info.reason);
    } else {
      ExpectCauseFirst(info.message);
    }
  }
  EXPECT_EQ(upper.count(), 0);
}

TEST_F(ImportTest, InfoTellsTheManifestApart) {
  PackageInfo ok = ReadPackageInfo(package.string(), (dir / "docs").string());
  ASSERT_TRUE(ok.ok);
  EXPECT_EQ(ok.label, "某区'总工会");
  EXPECT_EQ(ok.records, 20);
  EXPECT_EQ(ok.manifest, ManifestStatus::Ok);
  const fs::path old = plainCopy("old.mdb", [](db::Connection& c) { c.execute("drop table package_manifest"); });
  EXPECT_EQ(ReadPackageInfo(old.string(), (dir / "docs").string()).manifest, ManifestStatus::Missing);
  const fs::path bad = plainCopy("bad.mdb", [](db::Connection& c) { c.execute("update dt_data set z002 = 7 where id = 2"); });
  EXPECT_EQ(ReadPackageInfo(bad.string(), (dir / "docs").string()).manifest, ManifestStatus::Damaged);
  // A package without a manifest (an older one, a backup) imports as before.
  EXPECT_EQ(ImportFile(*upper.session, upper.prompts, old.string(), "dt_data", {false, false}).status, ImportStatus::Imported);
}

}  // namespace
}  // namespace velmora::exchange

namespace velmora::exchange {
namespace {

TEST(WorkingFolder, IsTheProgramFolderOnlyWhenItCanBeWritten) {
  testing::TempDir dir;
  const std::string temp = std::filesystem::temp_directory_path().string();
  struct Case {
    std::string folder;
    std::string expected;
  };
  for (const Case& c : {Case{dir.path().string(), dir.path().string()},
                        Case{(dir / "missing").string(), temp},
                        Case{"/proc", temp}})
    EXPECT_EQ(files::WorkingFolder(c.folder), c.expected) << c.folder;
}

TEST_F(ImportTest, AnUnwritableProgramFolderSendsTheWorkingCopyElsewhere) {
  // A program folder that cannot take a file: the import still reads the package, and leaves
  // nothing in the temporary folder.
  testing::Office office;
  office.session = std::make_unique<session::DatabaseSession>((dir / "gone").string(), office.prompts);
  ASSERT_TRUE(office.session->OpenDatabase(upper.file.string()));
  upper.session.reset();
  auto ours = [] {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(fs::temp_directory_path()))
      if (e.path().filename().string().rfind("~vmi", 0) == 0) names.insert(e.path().filename().string());
    return names;
  };
  const std::set<std::string> before = ours();
  EXPECT_EQ(ImportFile(*office.session, office.prompts, package.string(), "dt_data", {false, false}).status, ImportStatus::Imported);
  EXPECT_EQ(office.count(), 20);
  EXPECT_EQ(ours(), before);
}

}  // namespace
}  // namespace velmora::exchange
