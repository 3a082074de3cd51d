// Moving the custom groups: into a new or an existing transfer file, the refusals that leave a
// file untouched, the import in one piece or not at all, and the start folder of the dialogs.
#include "core/groups/group_transfer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/db/file_header.h"
#include "core/groups/groups.h"
#include "core/session/session.h"
#include "core/session/working_copy.h"
#include "core/settings/settings.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::groups {
namespace {

namespace fs = std::filesystem;
using testing::Count;
using testing::Exec;
using testing::ReadFileBytes;
using testing::Rows;
using testing::WriteFileBytes;

class GroupTransferTest : public ::testing::Test {
 protected:
  GroupTransferTest() {
    fs::create_directories(program);
    fs::copy_file(testing::ShippedDatabase(), program / "2012Velmora.mdb");
    source = program / "2012Velmora.mdb";
    {
      db::Connection c(testing::ConnectionTo(source));
      const std::int64_t a = AddGroup(c, "地区 O'Brien");
      AddItem(c, a, ItemDraft{"北京", 110000000000, 120000000000, ">=", "<"});
      AddItem(c, a, ItemDraft{"天津", 120000000000, 130000000000, ">=", "<"});
      const std::int64_t b = AddGroup(c, "规模");
      AddItem(c, b, ItemDraft{"小", 0, 500000000000, ">", "<="});
      StoreGroupOrder(c, b, "LowValue DESC");
    }
    open = dir.copyOfShipped("open.mdb");
    session = std::make_unique<session::DatabaseSession>(program.string(), prompts);
    session->setPersonalFolder((dir / "docs").string());
    EXPECT_TRUE(session->OpenDatabase(open.string()));
  }
  std::vector<testing::Row> GroupRows(const fs::path& file) {
    db::Connection c(testing::ConnectionTo(file));
    std::vector<testing::Row> rows = Rows(c, "select ID, Name, orderstr from CT_Group order by ID");
    for (auto& r : Rows(c, "select id, Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol "
                           "from DT_GroupItem order by id"))
      rows.push_back(r);
    return rows;
  }

  testing::TempDir dir;
  fs::path program = dir / "program";
  fs::path source, open;
  testing::ScriptedPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
};

TEST_F(GroupTransferTest, ExportMakesANewFileAndReplacesTheTablesOfAnExistingOne) {
  fs::create_directories(dir / "docs");
  prompts.fileAnswers.push_back((dir / "docs" / "groups").string());
  ASSERT_TRUE(ExportGroupTables(*session, prompts, source.string(), GroupTableList()));
  const fs::path out = dir / "docs" / "groups.mdb";
  EXPECT_EQ(prompts.lastMessage(), ExportedText(out.string()));
  ASSERT_EQ(prompts.fileRequests.size(), 1u);
  EXPECT_EQ(prompts.fileRequests[0].title, "导出文件存放为");
  EXPECT_EQ(prompts.fileRequests[0].filter, kTransferFilter);
  ASSERT_TRUE(db::HasPlainHeader(out.string()));
  EXPECT_EQ(GroupRows(out), GroupRows(source));
  EXPECT_EQ(GroupRows(out).size(), 5u);
  for (const auto& e : fs::directory_iterator(dir / "docs"))
    EXPECT_EQ(e.path().filename(), "groups.mdb") << "nothing is left beside the file";

  // Again into the same file, after the groups changed and the file got a table of its own.
  Exec(out, "create table mine(x); insert into mine values (7)");
  {
    db::Connection c(testing::ConnectionTo(source));
    RemoveGroup(c, 1);
    AddGroup(c, "新的");
  }
  prompts.fileAnswers.push_back(out.string());
  ASSERT_TRUE(ExportGroupTables(*session, prompts, source.string(), GroupTableList()));
  EXPECT_EQ(GroupRows(out), GroupRows(source));
  EXPECT_EQ(testing::Scalar(out, "select x from mine").toInt64(), 7);
}

// The group tables of an export target as the program goes on using them: the key gives every new
// group an id, removing a group removes its items, and the items' view is there.
void ExpectUsableGroupTables(const fs::path& file) {
  db::Connection c(testing::ConnectionTo(file));
  for (const char* name : {"CT_Group_delete", "DT_GroupItem_group", "view_group_item"})
    EXPECT_EQ(Count(c, "sqlite_master where name='" + std::string(name) + "'"), 1) << name;
  const std::int64_t id = AddGroup(c, "后加的");
  EXPECT_GT(id, 0);
  EXPECT_FALSE(testing::Scalar(c, "select ID from CT_Group where Name='后加的'").isNull());
  AddItem(c, id, ItemDraft{"项", 1, 2, ">=", "<"});
  RemoveGroup(c, id);
  EXPECT_EQ(Count(c, "DT_GroupItem where GroupID=" + std::to_string(id)), 0) << "no orphaned items";
  EXPECT_EQ(Count(c, "DT_GroupItem where GroupID is null"), 0);
}

TEST_F(GroupTransferTest, ExportKeepsTheKeyTriggerIndexAndViewOfTheGroupTables) {
  struct Case {
    const char* name;
    std::string setUp;  // run on a fresh database file that becomes the target; "" for no file
  };
  const std::vector<Case> cases{
      {"a new file", ""},
      {"a copy of the shipped database", "select 1"},
      {"a database of other tables", "drop view view_group_item; drop table DT_GroupItem; drop table CT_Group"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const fs::path out = dir / "target.mdb";
    fs::remove(out);
    if (!k.setUp.empty()) {
      fs::copy_file(testing::ShippedDatabase(), out);
      Exec(out, k.setUp);
    }
    ExportGroupTablesTo(*session, source.string(), out.string(), GroupTableList());
    EXPECT_EQ(GroupRows(out), GroupRows(source));
    ExpectUsableGroupTables(out);
    // A second export replaces the rows and keeps the definitions.
    ExportGroupTablesTo(*session, source.string(), out.string(), GroupTableList());
    EXPECT_EQ(GroupRows(out), GroupRows(source));
    ExpectUsableGroupTables(out);
  }
}

TEST_F(GroupTransferTest, ExportRefusesWhatItMustNotWriteAndLeavesItUntouched) {
  const fs::path out = dir / "out";
  fs::create_directories(out);
  WriteFileBytes(out / "text.mdb", "分组\r\n");
  fs::copy_file(testing::ShippedDatabase(), out / "package.mdb");
  session::ScramblePackageHeader((out / "package.mdb").string());
  struct Case {
    const char* name;
    fs::path path;
  };
  const std::vector<Case> cases{{"the open database", open},
                                {"the source itself", source},
                                {"a text file", out / "text.mdb"},
                                {"a package", out / "package.mdb"},
                                {"a missing folder", out / "no" / "g.mdb"}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const bool existed = fs::exists(k.path);
    const std::string before = existed ? ReadFileBytes(k.path) : std::string();
    prompts = {};
    prompts.fileAnswers.push_back(k.path.string());
    EXPECT_FALSE(ExportGroupTables(*session, prompts, source.string(), GroupTableList()));
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_NE(prompts.lastMessage(), ExportedText(k.path.string()));
    EXPECT_EQ(prompts.last().kind, MessageKind::Error);
    EXPECT_NE(prompts.lastMessage().find(k.path.string()), std::string::npos) << "the refusal names the file";
    if (existed) {
      EXPECT_EQ(ReadFileBytes(k.path), before);
    } else {
      EXPECT_FALSE(fs::exists(k.path));
    }
  }
  EXPECT_EQ(GroupRows(source).size(), 5u);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(out)) ++files;
  EXPECT_EQ(files, 2u) << "no temporary file is left";
}

TEST_F(GroupTransferTest, ExportWithoutASourceSaysSoBeforeAsking) {
  prompts.fileAnswers.push_back((dir / "g.mdb").string());
  EXPECT_FALSE(ExportGroupTables(*session, prompts, (dir / "missing.mdb").string(), GroupTableList()));
  EXPECT_EQ(prompts.lastMessage().rfind("运行中发生错误：", 0), 0u);
  EXPECT_TRUE(prompts.fileRequests.empty());
  EXPECT_FALSE(fs::exists(dir / "g.mdb"));
}

TEST_F(GroupTransferTest, ImportReplacesBothTablesInOnePiece) {
  const fs::path file = dir / "transfer.mdb";
  ExportGroupTablesTo(*session, source.string(), file.string(), GroupTableList());
  {
    db::Connection c(testing::ConnectionTo(open));
    AddItem(c, AddGroup(c, "本地的"), ItemDraft{"x", 1, 2, ">=", "<"});
  }
  prompts.fileAnswers.push_back((dir / "transfer").string());
  ASSERT_TRUE(ImportGroupTables(*session, prompts, GroupTableList()));
  EXPECT_EQ(prompts.lastMessage(), kImportDoneText);
  EXPECT_EQ(prompts.fileRequests.at(0).title, "选择导入文件");
  EXPECT_EQ(GroupRows(open), GroupRows(source));
  // The stored order and the items' view come along.
  db::Connection& c = session->SysADOConnection();
  EXPECT_EQ(FindGroup(c, 2)->orderstr, "LowValue DESC");
  EXPECT_EQ(LoadItemsInGroupOrder(c, 1).at(1).lowValue, ">=120000000000");
}

TEST_F(GroupTransferTest, ImportRefusalsChangeNothing) {
  const fs::path full = dir / "full.mdb";
  ExportGroupTablesTo(*session, source.string(), full.string(), GroupTableList());
  const fs::path noItems = dir / "noitems.mdb";
  fs::copy_file(full, noItems);
  Exec(noItems, "drop table DT_GroupItem");
  const fs::path noGroups = dir / "nogroups.mdb";
  fs::copy_file(full, noGroups);
  Exec(noGroups, "drop table CT_Group");
  const fs::path otherLayout = dir / "other.mdb";
  fs::copy_file(full, otherLayout);
  Exec(otherLayout, "drop table DT_GroupItem; create table DT_GroupItem(id, Title)");
  WriteFileBytes(dir / "text.mdb", "分组\r\n");
  {
    db::Connection c(testing::ConnectionTo(open));
    AddItem(c, AddGroup(c, "本地的"), ItemDraft{"x", 1, 2, ">=", "<"});
  }
  const std::vector<testing::Row> before = GroupRows(open);
  struct Case {
    const char* name;
    fs::path file;
    std::vector<std::string> messages;
  };
  const std::vector<Case> cases{
      {"no item table", noItems, {MissingTableText("DT_GroupItem")}},
      {"no group table", noGroups, {MissingTableText("CT_Group")}},
      {"missing file", dir / "none.mdb", {"您选择的文件并不存在，请选择其它文件。"}},
      {"the open database", open, {}},
      {"a text file", dir / "text.mdb", {}},
      {"another layout", otherLayout, {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    prompts = {};
    EXPECT_FALSE(ImportGroupTablesFrom(*session, prompts, k.file.string(), GroupTableList()));
    ASSERT_FALSE(prompts.messages.empty());
    if (!k.messages.empty()) {
      EXPECT_EQ(prompts.messages, k.messages);
    }
    EXPECT_NE(prompts.lastMessage(), kImportDoneText);
    EXPECT_EQ(GroupRows(open), before);
  }
  // The session goes on: an import that can run still runs.
  prompts = {};
  EXPECT_TRUE(ImportGroupTablesFrom(*session, prompts, full.string(), GroupTableList()));
}

TEST_F(GroupTransferTest, TheDialogsStartInTheSettingsFolderOrTheDocuments) {
  settings::MemorySettingsStore store;
  settings::ScopedStore scoped(store);
  struct Case {
    const char* value;  // nullptr: absent
    std::string folder;
  };
  const std::string docs = (dir / "docs").string(), mine = (dir / "mine" / "groups").string();
  const std::vector<Case> cases{{nullptr, docs}, {"", docs}, {"  ", docs}, {mine.c_str(), mine}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.value ? k.value : "absent");
    store.clear();
    if (k.value)
      settings::RegWriteString(kTransferFolderValue, k.value, settings::RegRoot::CurrentUser, kTransferFolderKey);
    prompts = {};
    EXPECT_FALSE(ExportGroupTables(*session, prompts, source.string(), GroupTableList()));  // cancelled
    EXPECT_FALSE(ImportGroupTables(*session, prompts, GroupTableList()));
    ASSERT_EQ(prompts.fileRequests.size(), 2u);
    EXPECT_EQ(prompts.fileRequests[0].initialFolder, k.folder);
    EXPECT_EQ(prompts.fileRequests[1].initialFolder, k.folder);
    EXPECT_TRUE(fs::is_directory(k.folder)) << "the export makes the folder";
    EXPECT_TRUE(prompts.messages.empty());
  }
}

}  // namespace
}  // namespace velmora::groups
