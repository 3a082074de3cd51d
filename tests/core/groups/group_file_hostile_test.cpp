// Group files from elsewhere: every crafted file is refused naming what is wrong, the open
// database's groups stay as they were, and the file itself is never written.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/groups/group_transfer.h"
#include "core/groups/groups.h"
#include "core/session/session.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::groups {
namespace {

namespace fs = std::filesystem;
using testing::Exec;
using testing::ReadFileBytes;
using testing::Rows;

class GroupFileTest : public ::testing::Test {
 protected:
  GroupFileTest() {
    fs::create_directories(program);
    fs::copy_file(testing::ShippedDatabase(), program / "2012Velmora.mdb");
    open = dir.copyOfShipped("open.mdb");
    Exec(open,
         "insert into CT_Group (ID, Name, orderstr) values (1, '本地的', 'id ASC');"
         "insert into DT_GroupItem (Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol) "
         "values ('本地项', 1, 1, 2, '>=', '<')");
    good = dir.copyOfShipped("good.mdb");
    Exec(good,
         "insert into CT_Group (ID, Name, orderstr) values (1, '地区', 'LowValue DESC');"
         "insert into CT_Group (ID, Name, orderstr) values (2, '规模', 'id ASC');"
         "insert into DT_GroupItem (id, Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol) values "
         "(1, '一', 1, 110000000000, 120000000000, '>=', '<'),"
         "(2, '二', 1, 120000000000, 130000000000, '>', '<='),"
         "(3, '小', 2, 0, 9999999999999, '>=', '<=')");
    session = std::make_unique<session::DatabaseSession>(program.string(), prompts);
    session->setPersonalFolder((dir / "docs").string());
    EXPECT_TRUE(session->OpenDatabase(open.string()));
  }
  std::vector<testing::Row> GroupRows(const fs::path& file) {
    db::Connection c(testing::ConnectionTo(file, true));
    std::vector<testing::Row> rows = Rows(c, "select ID, Name, orderstr from CT_Group order by ID");
    for (auto& r : Rows(c, "select id, Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol "
                           "from DT_GroupItem order by id"))
      rows.push_back(r);
    return rows;
  }
  // A copy of the good file with `sql` run on it.
  fs::path Crafted(const std::string& name, const std::string& sql) {
    const fs::path file = dir / (name + ".mdb");
    fs::copy_file(good, file, fs::copy_options::overwrite_existing);
    if (!sql.empty()) Exec(file, sql);
    return file;
  }

  testing::TempDir dir;
  fs::path program = dir / "program";
  fs::path open, good;
  testing::ScriptedPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
};

struct Hostile {
  const char* name;
  std::string sql;                 // run on a copy of the good file
  std::vector<std::string> named;  // parts of the refusal
};

// The group table of the file without its key, so that any id can stand in it; the rows follow.
const std::string kLooseGroups =
    "drop table CT_Group; create table CT_Group (ID INTEGER, Name VARCHAR(255), orderstr VARCHAR(100) DEFAULT "
    "'id ASC', AutoLowest INTEGER DEFAULT 0, AutoHighest INTEGER DEFAULT 0, GroupList TEXT DEFAULT ''); "
    "insert into CT_Group (ID, Name, orderstr) values ";

// Items, groups and orders that the dialogs could never have stored.
std::vector<Hostile> HostileFiles() {
  const std::string item1 = "update DT_GroupItem set ";
  const std::string where1 = " where id=1";
  const std::string group1 = "update CT_Group set ";
  return {
      {"sql in the low symbol", item1 + "LowSymbol='>=0 or 1=1 or c901>='" + where1,
       {"地区", "一", ">=0 or 1=1 or c901>="}},
      {"sql in the high symbol", item1 + "HighSymbol='<1 or 1=1 --'" + where1, {"地区", "一", "<1 or 1=1 --"}},
      {"a subquery in the symbol", item1 + "LowSymbol='>=(select max(c901) from dt_data)'" + where1,
       {"一", "(select max(c901) from dt_data)"}},
      {"equals as the low symbol", item1 + "LowSymbol='='" + where1, {"一", "“=”"}},
      {"not equal as the high symbol", item1 + "HighSymbol='<>'" + where1, {"一", "“<>”"}},
      {"a high symbol as the low", item1 + "LowSymbol='<'" + where1, {"一", "“<”"}},
      {"a low symbol as the high", item1 + "HighSymbol='>='" + where1, {"一", "“>=”"}},
      {"a symbol with a blank", item1 + "HighSymbol='< '" + where1, {"一", "“< ”"}},
      {"a symbol with a line end", item1 + "LowSymbol='>='||char(10)" + where1, {"一", "\\n"}},
      {"full-width symbols", item1 + "LowSymbol='＞＝'" + where1, {"一", "＞＝"}},
      {"no low symbol", item1 + "LowSymbol=NULL" + where1, {"一", "编号下限的比较符号"}},
      {"a number as the symbol", item1 + "HighSymbol=1" + where1, {"一", "编号上限的比较符号"}},
      {"sql in a bound stored as text", item1 + "LowBoundary='0 or 1=1'" + where1, {"一", "0 or 1=1"}},
      {"text as the high bound", item1 + "HighBoundary='abc'" + where1, {"一", "abc"}},
      {"no low bound", item1 + "LowBoundary=NULL" + where1, {"一", "编号下限"}},
      {"a fraction as the bound", item1 + "LowBoundary=110000000000.5" + where1, {"一", "110000000000.5"}},
      {"a huge float bound", item1 + "HighBoundary=1e300" + where1, {"一", "编号上限"}},
      {"a negative bound", item1 + "LowBoundary=-1" + where1, {"一", "-1"}},
      {"fourteen digits", item1 + "HighBoundary=99999999999999" + where1, {"一", "99999999999999"}},
      {"the largest integer", item1 + "HighBoundary=9223372036854775807" + where1, {"一", "9223372036854775807"}},
      {"a blob as the bound", item1 + "LowBoundary=x'3E3D31'" + where1, {"一", "编号下限"}},
      {"low equals high", item1 + "LowBoundary=120000000000" + where1, {"一", kBoundsText}},
      {"low above high", item1 + "LowBoundary=125000000000" + where1, {"一", kBoundsText}},
      {"an empty title", item1 + "Title=''" + where1, {"地区", kNoTitleText}},
      {"no title", item1 + "Title=NULL" + where1, {"地区", kNoTitleText}},
      {"a title with a line end", item1 + "Title='a'||char(10)||'b'" + where1, {"地区", "a\\nb"}},
      {"a title that is not text", item1 + "Title=x'FFFE'" + where1, {"地区", "名称"}},
      {"a title of 300 characters", item1 + "Title=printf('%.300c', 'x')" + where1, {"地区", "255"}},
      {"sql in the order", group1 + "orderstr='id; delete from DT_GroupItem' where ID=1",
       {"地区", "id; delete from DT_GroupItem"}},
      {"a recursive statement in the order",
       group1 +
           "orderstr='(with recursive r(x) as (select 1 union all select x+1 from r) select count(*) from r)' "
           "where ID=1",
       {"地区", "with recursive"}},
      {"a second sort key", group1 + "orderstr='LowValue DESC, (select 1)' where ID=1", {"地区", "LowValue DESC,"}},
      {"an unknown column", group1 + "orderstr='nonsense ASC' where ID=1", {"地区", "nonsense ASC"}},
      {"an unknown direction", group1 + "orderstr='LowValue sideways' where ID=1", {"地区", "LowValue sideways"}},
      {"a comment after the order", group1 + "orderstr='title DESC --' where ID=1", {"地区", "title DESC --"}},
      {"a column of the table the view lacks", group1 + "orderstr='LowSymbol ASC' where ID=1",
       {"地区", "LowSymbol ASC"}},
      {"no group name", group1 + "Name=NULL where ID=2", {"名称"}},
      {"a group id that is text", kLooseGroups + "(1, '地区', 'LowValue DESC'), ('x', '规模', 'id ASC')", {"x"}},
      {"a group id twice", kLooseGroups + "(1, '地区', 'LowValue DESC'), (1, '规模', 'id ASC')", {"规模", "1"}},
      {"an item of no group", "update DT_GroupItem set GroupID=7 where id=3", {"小", "7"}},
      {"an item whose group is text", "update DT_GroupItem set GroupID='1 or 1=1' where id=3", {"小", "1 or 1=1"}},
  };
}

TEST_F(GroupFileTest, CraftedItemsGroupsAndOrdersAreRefused) {
  const std::vector<testing::Row> before = GroupRows(open);
  int tried = 0;
  for (const Hostile& k : HostileFiles()) {
    SCOPED_TRACE(k.name);
    const fs::path file = Crafted("hostile", k.sql);
    const std::string bytes = ReadFileBytes(file);
    prompts = {};
    EXPECT_FALSE(ImportGroupTablesFrom(*session, prompts, file.string(), GroupTableList()));
    ASSERT_FALSE(prompts.messages.empty());
    const std::string& message = prompts.lastMessage();
    EXPECT_NE(message, kImportDoneText);
    for (const std::string& part : k.named) EXPECT_NE(message.find(part), std::string::npos) << message;
    EXPECT_EQ(GroupRows(open), before);
    EXPECT_EQ(ReadFileBytes(file), bytes) << "the file from elsewhere is never written";
    ++tried;
  }
  EXPECT_EQ(tried, 40);
  // The good file still imports.
  prompts = {};
  EXPECT_TRUE(ImportGroupTablesFrom(*session, prompts, good.string(), GroupTableList())) << prompts.lastMessage();
  EXPECT_EQ(GroupRows(open), GroupRows(good));
}

TEST_F(GroupFileTest, FilesWithoutRealGroupTablesAreRefused) {
  const std::vector<testing::Row> before = GroupRows(open);
  const std::vector<Hostile> cases{
      {"no item table", "drop table DT_GroupItem", {MissingTableText("DT_GroupItem")}},
      {"no group table", "drop table CT_Group", {MissingTableText("CT_Group")}},
      {"the items as a view",
       "alter table DT_GroupItem rename to other; create view DT_GroupItem as select * from other",
       {"DT_GroupItem"}},
      {"the groups as a view",
       "alter table CT_Group rename to other; create view CT_Group as select * from other", {"CT_Group"}},
      {"a view that never ends",
       "drop table DT_GroupItem; create view DT_GroupItem as with recursive r(x) as (select 1 union all "
       "select x+1 from r) select x as id, 't' as Title, 1 as GroupID, 1 as LowBoundary, 2 as HighBoundary, "
       "'>=' as LowSymbol, '<' as HighSymbol from r",
       {"DT_GroupItem"}},
      {"another layout", "drop table DT_GroupItem; create table DT_GroupItem(id, Title)", {"tables.mdb", "GroupID"}},
  };
  for (const Hostile& k : cases) {
    SCOPED_TRACE(k.name);
    const fs::path file = Crafted("tables", k.sql);
    prompts = {};
    EXPECT_FALSE(ImportGroupTablesFrom(*session, prompts, file.string(), GroupTableList()));
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_NE(prompts.lastMessage(), kImportDoneText);
    for (const std::string& part : k.named)
      EXPECT_NE(prompts.lastMessage().find(part), std::string::npos) << prompts.lastMessage();
    EXPECT_EQ(GroupRows(open), before);
  }
}

TEST_F(GroupFileTest, AGroupOverTheLimitIsRefusedAndOneAtTheLimitImports) {
  const std::vector<testing::Row> before = GroupRows(open);
  const std::string fill =
      "delete from DT_GroupItem where GroupID=2;"
      "with recursive n(i) as (select 1 union all select i+1 from n where i<ITEMS) "
      "insert into DT_GroupItem (Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol) "
      "select 'i'||i, 2, i, i+1, '>=', '<' from n";
  auto withItems = [&](int items) {
    std::string sql = fill;
    sql.replace(sql.find("ITEMS"), 5, std::to_string(items));
    return sql;
  };
  prompts = {};
  EXPECT_FALSE(ImportGroupTablesFrom(*session, prompts, Crafted("over", withItems(10001)).string(), GroupTableList()));
  EXPECT_NE(prompts.lastMessage().find("规模"), std::string::npos) << prompts.lastMessage();
  EXPECT_NE(prompts.lastMessage().find("10000"), std::string::npos) << prompts.lastMessage();
  EXPECT_EQ(GroupRows(open), before);

  prompts = {};
  EXPECT_TRUE(ImportGroupTablesFrom(*session, prompts, Crafted("full", withItems(10000)).string(), GroupTableList()))
      << prompts.lastMessage();
  EXPECT_EQ(testing::Scalar(open, "select count(*) from DT_GroupItem where GroupID=2").toInt64(), 10000);
}

TEST_F(GroupFileTest, AFileWithItsWriteAheadLogIsReadAndLeftAsItWas) {
  const fs::path file = dir / "wal.mdb";
  {
    // Copied while its writer still holds it: the newest group is only in the -wal beside it.
    fs::path work = Crafted("writer", "pragma journal_mode=WAL");
    db::Connection c(testing::ConnectionTo(work));
    Exec(c, "pragma wal_autocheckpoint=0");
    Exec(c, "insert into CT_Group (ID, Name, orderstr) values (3, '新的', 'title ASC')");
    fs::copy_file(work, file);
    fs::copy_file(fs::path(work.string() + "-wal"), fs::path(file.string() + "-wal"));
  }
  const std::string bytes = ReadFileBytes(file), wal = ReadFileBytes(fs::path(file.string() + "-wal"));
  ASSERT_FALSE(wal.empty());
  prompts = {};
  EXPECT_TRUE(ImportGroupTablesFrom(*session, prompts, file.string(), GroupTableList())) << prompts.lastMessage();
  EXPECT_EQ(testing::Scalar(open, "select Name from CT_Group where ID=3").toString(), "新的");
  EXPECT_EQ(ReadFileBytes(file), bytes);
  EXPECT_EQ(ReadFileBytes(fs::path(file.string() + "-wal")), wal);
}

}  // namespace
}  // namespace velmora::groups
