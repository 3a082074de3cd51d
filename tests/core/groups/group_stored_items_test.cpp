// Group items already stored in a database (edited by hand, or from an older import) that no dialog
// could have stored: the summary and the data list refuse them naming the group, the item and the
// value, and never count other units for them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/exchange/data_list.h"
#include "core/summary/summary.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora {
namespace {

using testing::Exec;

class StoredGroupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file = dir.copyOfShipped();
    db.setConnectionString(testing::ConnectionTo(file));
    Exec(db,
         "insert into dt_data (c901) values (110000000001), (110000000002), (120000000001), (130000000001);"
         "insert into CT_Group (ID, Name, orderstr) values (1, '地区', 'id ASC');"
         "insert into DT_GroupItem (id, Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol) values "
         "(1, '一', 1, 110000000000, 120000000000, '>=', '<'),"
         "(2, '二', 1, 120000000000, 130000000000, '>=', '<')");
  }
  // The units each item counts on worksheet 2, in worksheet order.
  std::vector<std::pair<std::string, std::int64_t>> Counts(bool onePass) {
    const summary::SummaryRun run =
        onePass ? summary::Summarize(db, {2}, summary::kByGroup, 1) : summary::SummarizeSheet(db, 2, summary::kByGroup, 1);
    std::vector<std::pair<std::string, std::int64_t>> counts;
    for (const summary::SummaryRow& row : run.sheets.at(0).rows) counts.emplace_back(row.label, row.cells.at(0).toInt64());
    return counts;
  }

  testing::TempDir dir;
  std::filesystem::path file;
  db::Connection db;
};

struct StoredCase {
  const char* name;
  std::string sql;
  std::vector<std::string> named;  // parts of the refusal
};

TEST_F(StoredGroupTest, TheSummaryRefusesItemsAndOrdersNoDialogStores) {
  const std::string item1 = "update DT_GroupItem set ";
  const std::vector<StoredCase> cases{
      {"sql in the low symbol", item1 + "LowSymbol='>=0 or 1=1 or c901>=' where id=1",
       {"地区", "一", ">=0 or 1=1 or c901>="}},
      {"sql in the high symbol", item1 + "HighSymbol='<0 or 1=1 or c901<' where id=2",
       {"地区", "二", "<0 or 1=1 or c901<"}},
      {"not equal", item1 + "LowSymbol='<>' where id=1", {"一", "<>"}},
      {"a trailing blank", item1 + "HighSymbol='< ' where id=1", {"一", "< "}},
      {"sql in a bound", item1 + "LowBoundary='0 or 1=1' where id=1", {"一", "0 or 1=1"}},
      {"a fraction", item1 + "LowBoundary=1.5 where id=1", {"一", "1.5"}},
      {"a negative bound", item1 + "LowBoundary=-5 where id=1", {"一", "-5"}},
      {"no bound", item1 + "HighBoundary=NULL where id=2", {"二", "编号上限"}},
      {"bounds the wrong way", item1 + "LowBoundary=125000000000 where id=1", {"一", "上限必须大于下限"}},
      {"sql in the order", "update CT_Group set orderstr='id; select 1' where ID=1", {"地区", "id; select 1"}},
      {"a subquery as the order", "update CT_Group set orderstr='(select 1) ASC' where ID=1", {"地区", "(select 1) ASC"}},
      {"an unknown column", "update CT_Group set orderstr='nonsense ASC' where ID=1", {"地区", "nonsense ASC"}},
  };
  for (const StoredCase& k : cases) {
    SCOPED_TRACE(k.name);
    Exec(db, "savepoint crafted");
    Exec(db, k.sql);
    for (bool onePass : {true, false}) {
      SCOPED_TRACE(onePass ? "one pass" : "statements");
      try {
        const auto counts = Counts(onePass);
        ADD_FAILURE() << "summarised: " << (counts.empty() ? 0 : counts.back().second) << " units in the first item";
      } catch (const std::exception& e) {
        const std::string message = e.what();
        for (const std::string& part : k.named) EXPECT_NE(message.find(part), std::string::npos) << message;
      }
    }
    Exec(db, "rollback to crafted; release crafted");
  }
  // The sound group still counts each item's own units.
  for (bool onePass : {true, false}) {
    const std::vector<std::pair<std::string, std::int64_t>> expected{{"一", 2}, {"二", 1}};  // the stored order, id ASC
    EXPECT_EQ(Counts(onePass), expected);
  }
}

TEST_F(StoredGroupTest, ARecursiveOrderIsRefusedBeforeItRuns) {
  Exec(db,
       "update CT_Group set orderstr='(with recursive r(x) as (select 1 union all select x+1 from r) "
       "select count(*) from r) ASC' where ID=1");
  for (bool onePass : {true, false}) {
    try {
      Counts(onePass);
      ADD_FAILURE() << "no refusal";
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find("with recursive"), std::string::npos) << e.what();
    }
  }
}

TEST_F(StoredGroupTest, AGroupOverTheLimitIsRefusedByTheSummary) {
  Exec(db,
       "with recursive n(i) as (select 3 union all select i+1 from n where i<10001) "
       "insert into DT_GroupItem (Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol) "
       "select 'i'||i, 1, i, i+1, '>=', '<' from n");
  for (bool onePass : {true, false}) {
    try {
      Counts(onePass);
      ADD_FAILURE() << "no refusal";
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find("10000"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("地区"), std::string::npos) << e.what();
    }
  }
  Exec(db, "delete from DT_GroupItem where id=10001");  // back at the limit
  EXPECT_EQ(Counts(true).size(), 10000u);
}

TEST_F(StoredGroupTest, TheDataListRefusesAStoredItemNoDialogStores) {
  const std::string item1 = "update DT_GroupItem set ";
  const std::vector<StoredCase> cases{
      {"a high symbol as the low", item1 + "LowSymbol='<=' where id=1", {"一"}},
      {"a low symbol as the high", item1 + "HighSymbol='>' where id=1", {"一"}},
      {"sql in the symbol", item1 + "LowSymbol='>=0 or 1=1 --' where id=1", {"一"}},
      {"text as the bound", item1 + "LowBoundary='0 or 1=1' where id=1", {"一", "0 or 1=1"}},
      {"a fraction", item1 + "HighBoundary=120000000000.5 where id=1", {"一", "120000000000.5"}},
      {"a huge bound", item1 + "HighBoundary=1e300 where id=1", {"一"}},
      {"a negative bound", item1 + "LowBoundary=-1 where id=1", {"一", "-1"}},
  };
  for (const StoredCase& k : cases) {
    SCOPED_TRACE(k.name);
    Exec(db, "savepoint crafted");
    Exec(db, k.sql);
    testing::ScriptedPrompts prompts;
    exchange::DataListRequest request;
    request.scope = exchange::DataListScope::Group;
    request.group = exchange::ReadGroupItem(db, 1);
    ASSERT_TRUE(request.group);
    const std::optional<std::string> sql = exchange::DataListSql(db, request, prompts);
    EXPECT_FALSE(sql) << *sql;
    ASSERT_FALSE(prompts.messages.empty());
    for (const std::string& part : k.named)
      EXPECT_NE(prompts.lastMessage().find(part), std::string::npos) << prompts.lastMessage();
    Exec(db, "rollback to crafted; release crafted");
  }
}

}  // namespace
}  // namespace velmora
