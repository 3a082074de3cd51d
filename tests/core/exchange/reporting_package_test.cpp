#include "core/exchange/reporting_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/db/file_header.h"
#include "core/exchange/package_manifest.h"
#include "core/session/working_copy.h"
#include "support/exchange_fixture.h"

namespace velmora::exchange {
namespace {

namespace fs = std::filesystem;
using testing::ExchangeFixture;
using testing::ReadFileBytes;

class ExportTest : public ExchangeFixture {
 protected:
  void answerLabel(std::optional<std::string> label) { unit.prompts.inputAnswers.push_back(std::move(label)); }
  void answerFile(std::optional<std::string> file) { unit.prompts.fileAnswers.push_back(std::move(file)); }
  bool hasMessage(const std::string& text) const {
    for (const auto& m : unit.prompts.messages)
      if (m == text) return true;
    return false;
  }
};

TEST_F(ExportTest, GateLetsOnlyFormallySavedRecordsThrough) {
  struct Case {
    int state;
    bool passes;
  };
  for (const Case c : {Case{0, false}, Case{1, true}, Case{2, false}}) {
    SCOPED_TRACE(c.state);
    unit.prompts = {};
    unit.exec("update dt_data set RecordState=1");
    unit.exec("update dt_data set RecordState=" + std::to_string(c.state) + " where id = (select min(id) from dt_data)");
    answerLabel("某区总工会");
    answerFile((dir / "gate.dat").string());
    EXPECT_EQ(actExport(*unit.session, unit.prompts), c.passes);
    EXPECT_EQ(fs::exists(dir / "gate.dat"), c.passes);
    if (!c.passes) {
      ASSERT_EQ(unit.prompts.messages.size(), 1u);  // no label box, no dialog
      EXPECT_EQ(unit.prompts.messages[0], kGateText);
      EXPECT_TRUE(unit.prompts.fileRequests.empty());
    }
    fs::remove(dir / "gate.dat");
  }
}

TEST_F(ExportTest, DefaultLabelLoopsUntilChangedOrCancelled) {
  struct Case {
    std::vector<std::optional<std::string>> answers;
    bool written;
    int warnings;
  };
  const std::vector<Case> cases{
      {{std::nullopt}, false, 0},
      {{"默认数据库", std::nullopt}, false, 1},
      {{"默认数据库", "默认数据库", "某区总工会"}, true, 2},
      {{"某区总工会"}, true, 0},
  };
  for (const Case& c : cases) {
    unit.prompts = {};
    for (const auto& a : c.answers) answerLabel(a);
    answerFile((dir / "loop.dat").string());
    EXPECT_EQ(ExportReportingPackage(*unit.session, unit.prompts), c.written);
    EXPECT_EQ(fs::exists(dir / "loop.dat"), c.written);
    int warnings = 0;
    for (const auto& m : unit.prompts.messages) warnings += m == kDefaultLabelText;
    EXPECT_EQ(warnings, c.warnings);
    fs::remove(dir / "loop.dat");
  }
}

TEST_F(ExportTest, ExtensionRuleAppendsLowerCaseDatUnlessPresent) {
  struct Case {
    const char* chosen;
    const char* written;
  };
  for (const Case c : {Case{"a", "a.dat"}, Case{"b.dat", "b.dat"}, Case{"c.DAT", "c.DAT.dat"}}) {
    unit.prompts = {};
    answerLabel("某区总工会");
    answerFile((dir / c.chosen).string());
    ASSERT_TRUE(ExportReportingPackage(*unit.session, unit.prompts)) << c.chosen;
    EXPECT_TRUE(fs::exists(dir / c.written)) << c.chosen;
    EXPECT_TRUE(hasMessage("数据已经被正确导出到：'" + (dir / c.written).string() + "'！"));
  }
  EXPECT_FALSE(fs::exists(dir / "c.DAT"));
}

TEST_F(ExportTest, PackageIsAScrambledCopyThatRestoresToTheTypedLabelAndRows) {
  const std::string before = ReadFileBytes(unit.file);
  const std::string label = "某区'总工会";  // an apostrophe goes in as typed
  const fs::path package = exportPackage("p.dat", label);
  const std::string bytes = ReadFileBytes(package);
  ASSERT_GT(bytes.size(), db::kPackageHeadSize);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[0]), db::PackageMarker());

  const fs::path copy = dir / "restored.mdb";
  fs::copy_file(package, copy);
  ASSERT_EQ(session::RestorePackageHeader(copy.string()), session::HeadResult::Changed);
  const std::string restored = ReadFileBytes(copy);
  EXPECT_EQ(bytes.substr(db::kPackageHeadSize), restored.substr(db::kPackageHeadSize));
  ASSERT_TRUE(db::HasPlainHeader(copy.string()));

  db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + copy.string());
  db::Statement l(c, "select db_name from ct_label");
  ASSERT_TRUE(l.step());
  EXPECT_EQ(l.text(0), label);
  db::Statement n(c, "select count(*) from dt_data");
  ASSERT_TRUE(n.step());
  EXPECT_EQ(n.int64(0), 20);
  const std::optional<PackageManifest> m = ReadManifest(c);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->label, label);
  EXPECT_EQ(m->records, 20);
  EXPECT_EQ(m->sha256, DigestRows(c, "dt_data").sha256);
  EXPECT_EQ(m->programVersion, ProgramVersion());
  EXPECT_EQ(CheckManifest(c).status, ManifestStatus::Ok);

  // The working database and its label stay as they were.
  EXPECT_EQ(unit.session->DatabaseLabel(), "默认数据库");
  unit.session->SysADOConnection().close();
  EXPECT_EQ(ReadFileBytes(unit.file), before);
}

TEST_F(ExportTest, OnlyStateOneRowsAreExportedAndAnEmptyTableGivesAnEmptyPackage) {
  unit.exec("delete from dt_data");
  const fs::path package = exportPackage("empty.dat", "某区总工会");
  const fs::path copy = dir / "empty.mdb";
  fs::copy_file(package, copy);
  session::RestorePackageHeader(copy.string());
  db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + copy.string());
  db::Statement n(c, "select count(*) from dt_data");
  ASSERT_TRUE(n.step());
  EXPECT_EQ(n.int64(0), 0);
  EXPECT_EQ(CheckManifest(c).status, ManifestStatus::Ok);
}

TEST_F(ExportTest, DigestChangesWithAnyValueAndIgnoresStorageOrder) {
  db::Connection& c = unit.session->SysADOConnection();
  const std::string original = DigestRows(c, "dt_data").sha256;
  struct Change {
    const char* sql;
    bool changes;
  };
  const std::vector<Change> changes{
      {"update dt_data set c902 = c902 where 1", false},
      {"update dt_data set z001 = z001 + 1 where id = 3", true},
      {"update dt_data set c902 = c902 || ' ' where id = 5", true},
      {"update dt_data set c910 = NULL where id = 7", true},
      {"update dt_data set b005 = b005 + 0.5 where id = 9", true},
  };
  for (const Change& ch : changes) {
    db::Transaction tx(c);
    c.execute(ch.sql);
    EXPECT_EQ(DigestRows(c, "dt_data").sha256 != original, ch.changes) << ch.sql;
    tx.rollback();
  }
}

TEST_F(ExportTest, FailuresLeaveNoFileAtThePathNorBesideIt) {
  // An existing package is replaced only by a complete one; every other target stays untouched.
  const fs::path out = dir / "out";
  fs::create_directories(out);
  const fs::path plain = out / "plain.dat";
  fs::copy_file(testing::ShippedDatabase(), plain);
  const fs::path text = out / "notes.dat";
  testing::WriteFileBytes(text, "不是数据包\r\n");
  const std::string plainBytes = ReadFileBytes(plain), textBytes = ReadFileBytes(text);

  struct Case {
    const char* name;
    std::string path;
    bool removeTemplate;
  };
  const std::vector<Case> cases{
      {"template missing", (out / "t.dat").string(), true},
      {"the open database", unit.file.string(), false},
      {"a plain database", plain.string(), false},
      {"a text file", text.string(), false},
      {"a folder that does not exist", (out / "no" / "x.dat").string(), false},
      {"a folder", out.string(), false},
  };
  const std::string unitBytes = ReadFileBytes(unit.file);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.removeTemplate) fs::rename(program() / "view.dll", dir / "view.dll.away");
    const std::set<std::string> before = Entries(out);
    const std::set<std::string> beside = Entries(dir.path());
    EXPECT_ANY_THROW(WritePackage(*unit.session, c.path, "某区总工会"));
    EXPECT_EQ(Entries(out), before);
    EXPECT_EQ(Entries(dir.path()), beside);
    if (c.removeTemplate) fs::rename(dir / "view.dll.away", program() / "view.dll");
  }
  EXPECT_EQ(ReadFileBytes(plain), plainBytes);
  EXPECT_EQ(ReadFileBytes(text), textBytes);
  unit.session->SysADOConnection().close();
  EXPECT_EQ(ReadFileBytes(unit.file), unitBytes);
}

TEST_F(ExportTest, AStoppedExportLeavesNoFile) {
  struct Stopping : jobs::Job {
    bool stopRequested() const override { return true; }
  } stop;
  const std::set<std::string> before = Entries(dir.path());
  EXPECT_THROW(WritePackage(*unit.session, (dir / "s.dat").string(), "某区总工会", stop), std::runtime_error);
  EXPECT_EQ(Entries(dir.path()), before);
}

TEST_F(ExportTest, AnExistingPackageIsReplacedWhole) {
  const fs::path package = exportPackage("p.dat", "第一次");
  unit.exec("delete from dt_data where id > 5");
  exportPackage("p.dat", "第二次");
  const fs::path copy = dir / "c.mdb";
  fs::copy_file(package, copy);
  session::RestorePackageHeader(copy.string());
  db::Connection c("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + copy.string());
  const std::optional<PackageManifest> m = ReadManifest(c);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->label, "第二次");
  EXPECT_EQ(m->records, 5);
}

}  // namespace
}  // namespace velmora::exchange
