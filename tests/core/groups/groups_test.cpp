// Custom groups in the database: names and titles kept exactly, the item checks, the ranges on
// c901, the column sort and its stored order, and the removal of a group.
#include "core/groups/groups.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/db/statement.h"
#include "core/session/session.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::groups {
namespace {

using testing::Scalar;

class GroupsTest : public ::testing::Test {
 protected:
  GroupsTest() : file(dir.copyOfShipped()), c(testing::ConnectionTo(file)) {}
  testing::TempDir dir;
  std::filesystem::path file;
  db::Connection c;
};

TEST_F(GroupsTest, NamesAndTitlesAreStoredExactly) {
  const std::vector<std::string> names{
      "O'Brien's 分组", "\"引号\" 与 '撇号'", "100% 完成_%", std::string(200, 'x'),
      std::string(50, 'a') + "工会" + std::string(144, 'b'), "𠀀𠀁 emoji 😀 €", "a'); drop table dt_data; --"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::int64_t id = AddGroup(c, name);
    const std::int64_t item = AddItem(c, id, ItemDraft{name, 1, 2, ">=", "<"});
    std::optional<Group> g = FindGroup(c, id);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->name, name);
    EXPECT_EQ(g->orderstr, "id ASC");
    EXPECT_EQ(g->itemCount, 1);
    const std::vector<Item> items = LoadItems(c, id);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].id, item);
    EXPECT_EQ(items[0].draft.title, name);
    RenameGroup(c, id, name + "'");
    EXPECT_EQ(FindGroup(c, id)->name, name + "'");
  }
  EXPECT_EQ(ListGroups(c).size(), names.size());
  EXPECT_TRUE(c.TableExists("dt_data"));
}

TEST_F(GroupsTest, ItemChecks) {
  struct Case {
    ItemDraft draft;
    std::optional<std::string> message;
  };
  const std::vector<Case> cases{
      {{"甲", 110000000000, 120000000000, ">=", "<"}, std::nullopt},
      {{"", 1, 2, ">=", "<"}, std::string(kNoTitleText)},
      {{"", 5, 5, ">=", "<"}, std::string(kNoTitleText)},  // the title is checked first
      {{"甲", 5, 5, ">=", "<"}, std::string(kBoundsText)},
      {{"甲", 6, 5, ">", "<="}, std::string(kBoundsText)},
      {{"甲", 5, 6, "<", "<"}, std::string("编号下限的比较符号只能是“>”或“>=”！")},
      {{"甲", 5, 6, ">", "="}, std::string("编号上限的比较符号只能是“<”或“<=”！")},
      {{"甲", 5, 6, ">", "<="}, std::nullopt},
      {{"甲", -1, 6, ">", "<="}, std::string(kBoundRangeText)},
      {{"甲", 0, kMaxBound, ">=", "<="}, std::nullopt},
      {{"甲", 0, kMaxBound + 1, ">=", "<="}, std::string(kBoundRangeText)},
      {{"甲", 1, 2, ">=0 or 1=1 or c901>=", "<"}, std::string("编号下限的比较符号只能是“>”或“>=”！")},
      {{"甲\n乙", 1, 2, ">=", "<"}, std::string("分组项的名称不能含有控制字符！")},
      {{std::string(256, 'x'), 1, 2, ">=", "<"}, std::string("分组项的名称最多只能有255个字！")},
      {{std::string(255, 'x'), 1, 2, ">=", "<"}, std::nullopt},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.draft.title + " " + std::to_string(k.draft.low) + k.draft.lowSymbol + k.draft.highSymbol);
    EXPECT_EQ(ValidateItem(k.draft), k.message);
  }
}

TEST_F(GroupsTest, ItemRangesSplitTheCodes) {
  const std::int64_t id = AddGroup(c, "地区");
  AddItem(c, id, ItemDraft{"一", 110000000000, 120000000000, ">=", "<"});
  AddItem(c, id, ItemDraft{"二", 120000000000, 130000000000, ">=", "<"});
  AddItem(c, id, ItemDraft{"三", 130000000000, 140000000000, ">", "<="});
  const std::vector<Item> items = LoadItems(c, id);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].lowValue, ">=110000000000");
  EXPECT_EQ(items[0].highValue, "<120000000000");
  EXPECT_EQ(ItemCondition(items[2]), "c901>130000000000 and c901<=140000000000");
  struct Case {
    std::int64_t code;
    std::vector<bool> in;
  };
  const std::vector<Case> cases{{110000000000, {true, false, false}},
                                {119999999999, {true, false, false}},
                                {120000000000, {false, true, false}},
                                {130000000000, {false, false, false}},
                                {140000000000, {false, false, true}},
                                {140000000001, {false, false, false}}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.code);
    for (std::size_t i = 0; i < items.size(); ++i) {
      db::Statement st(c, "select count(*) from (select " + std::to_string(k.code) + " as c901) where " +
                              ItemCondition(items[i]));
      ASSERT_TRUE(st.step());
      EXPECT_EQ(st.int64(0) == 1, k.in[i]) << items[i].draft.title;
    }
  }
}

TEST_F(GroupsTest, EditAndRemoveItems) {
  const std::int64_t id = AddGroup(c, "g");
  const std::int64_t a = AddItem(c, id, ItemDraft{"a", 1, 5, ">=", "<"});
  const std::int64_t b = AddItem(c, id, ItemDraft{"b", 5, 9, ">=", "<"});
  EditItem(c, a, id, ItemDraft{"a'", 2, 4, ">", "<="});
  RemoveItem(c, b);
  const std::vector<Item> items = LoadItems(c, id);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].draft.title, "a'");
  EXPECT_EQ(items[0].lowValue, ">2");
  EXPECT_EQ(items[0].highValue, "<=4");
}

TEST_F(GroupsTest, ColumnSortAlternatesAndIsStored) {
  const std::int64_t id = AddGroup(c, "g");
  AddItem(c, id, ItemDraft{"b", 300, 400, ">=", "<"});
  AddItem(c, id, ItemDraft{"a", 100, 200, ">=", "<"});
  AddItem(c, id, ItemDraft{"c", 200, 300, ">=", "<"});
  SortState sort;
  struct Click {
    std::string field;
    std::string clause;
    std::vector<std::string> titles;
  };
  const std::vector<Click> clicks{{"LowValue", "LowValue DESC", {"b", "c", "a"}},
                                  {"LowValue", "LowValue ASC", {"a", "c", "b"}},
                                  {"title", "title DESC", {"c", "b", "a"}},
                                  {"HighValue", "HighValue ASC", {"a", "c", "b"}}};
  for (const Click& k : clicks) {
    SCOPED_TRACE(k.clause);
    const std::string clause = NextSort(sort, k.field);
    EXPECT_EQ(clause, k.clause);
    EXPECT_EQ(sort.column, k.field);
    StoreGroupOrder(c, id, clause);
    EXPECT_EQ(FindGroup(c, id)->orderstr, k.clause);
    std::vector<std::string> titles;
    for (const Item& i : LoadItemsInGroupOrder(c, id)) titles.push_back(i.draft.title);
    EXPECT_EQ(titles, k.titles);
  }
}

TEST_F(GroupsTest, OnlyTheOrdersTheListStoresAreTaken) {
  struct Case {
    const char* clause;
    std::optional<std::string> order;  // as it is spelt; nullopt when refused
  };
  const std::vector<Case> cases{
      {"id ASC", "id ASC"},
      {"", "id ASC"},
      {"  ", "id ASC"},
      {"LowValue DESC", "LowValue DESC"},
      {"lowvalue  desc", "LowValue DESC"},
      {"Title asc", "title ASC"},
      {"HighValue DESC", "HighValue DESC"},
      {"nosuchcolumn DESC", std::nullopt},
      {"LowValue sideways", std::nullopt},
      {"LowValue", std::nullopt},
      {"))", std::nullopt},
      {"id; delete from DT_GroupItem", std::nullopt},
      {"id ASC; delete from DT_GroupItem", std::nullopt},
      {"LowValue DESC, (select 1)", std::nullopt},
      {"(with recursive r(x) as (select 1 union all select x+1 from r) select count(*) from r)", std::nullopt},
      {"LowSymbol ASC", std::nullopt},
      {"id ASC --", std::nullopt},
  };
  const std::int64_t id = AddGroup(c, "g");
  AddItem(c, id, ItemDraft{"a", 1, 2, ">=", "<"});
  for (const Case& k : cases) {
    SCOPED_TRACE(k.clause);
    EXPECT_EQ(CheckedOrder(k.clause), k.order);
    // Stored by hand, the order is refused when the items are read; the dialog's store refuses it too.
    db::Statement(c, "update CT_Group set orderstr=:o where ID=:id").bind("o", std::string(k.clause)).bind("id", id).run();
    if (k.order) {
      EXPECT_EQ(LoadItemsInGroupOrder(c, id).size(), 1u);
      StoreGroupOrder(c, id, k.clause);
      EXPECT_EQ(FindGroup(c, id)->orderstr, *k.order);
    } else {
      try {
        LoadItemsInGroupOrder(c, id);
        ADD_FAILURE() << "no refusal";
      } catch (const GroupRefused& e) {
        EXPECT_NE(std::string(e.what()).find("“g”"), std::string::npos) << e.what();
      }
      EXPECT_THROW(StoreGroupOrder(c, id, k.clause), GroupRefused);
      EXPECT_THROW(LoadItems(c, id, k.clause), GroupRefused);
    }
    EXPECT_EQ(testing::Count(c, "DT_GroupItem"), 1);
  }
}

TEST_F(GroupsTest, AGroupTakesAtMostTheLimitOfItems) {
  const std::int64_t id = AddGroup(c, "大");
  testing::Exec(c, "with recursive n(i) as (select 1 union all select i+1 from n where i<" +
                       std::to_string(kMaxItemsPerGroup - 1) +
                       ") insert into DT_GroupItem (Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol) "
                       "select 'i'||i, " + std::to_string(id) + ", i, i+1, '>=', '<' from n");
  EXPECT_FALSE(RoomForItems(c, id));
  AddItem(c, id, ItemDraft{"最后一个", 1, 2, ">=", "<"});
  EXPECT_EQ(RoomForItems(c, id), TooManyItemsText());
  try {
    AddItem(c, id, ItemDraft{"多的", 1, 2, ">=", "<"});
    ADD_FAILURE() << "no refusal";
  } catch (const GroupRefused& e) {
    EXPECT_EQ(std::string(e.what()), TooManyItemsText());
  }
  EXPECT_EQ(testing::Count(c, "DT_GroupItem"), kMaxItemsPerGroup);
  // Another group still takes items.
  EXPECT_GT(AddItem(c, AddGroup(c, "小"), ItemDraft{"x", 1, 2, ">=", "<"}), 0);
}

TEST_F(GroupsTest, AStoredItemNoDialogStoresIsRefusedWhenRead) {
  const std::int64_t id = AddGroup(c, "地区");
  AddItem(c, id, ItemDraft{"一", 1, 2, ">=", "<"});
  testing::Exec(c, "update DT_GroupItem set LowSymbol='>=0 or 1=1 or c901>='");
  try {
    LoadItems(c, id);
    ADD_FAILURE() << "no refusal";
  } catch (const GroupRefused& e) {
    EXPECT_EQ(std::string(e.what()),
              "分组“地区”的分组项“一”不能使用：编号下限的比较符号“>=0 or 1=1 or c901>=”只能是“>”或“>=”");
  }
  Item forged;
  forged.draft = ItemDraft{"一", 1, 2, ">=0 or 1=1 or c901>=", "<"};
  EXPECT_THROW(ItemCondition(forged), GroupRefused);
  EXPECT_THROW(AddItem(c, id, forged.draft), GroupRefused);
}

TEST_F(GroupsTest, ARemovedGroupTakesItsItemsWithIt) {
  const std::int64_t first = AddGroup(c, "first");
  const std::int64_t kept = AddGroup(c, "kept");
  const std::int64_t last = AddGroup(c, "last");
  AddItem(c, kept, ItemDraft{"k", 1, 2, ">=", "<"});
  AddItem(c, last, ItemDraft{"x", 1, 2, ">=", "<"});
  RemoveGroup(c, last);
  RemoveGroup(c, first);
  // The next group may get the id of the last one removed: it starts with no items.
  const std::int64_t again = AddGroup(c, "again");
  EXPECT_TRUE(LoadItems(c, again).empty());
  EXPECT_EQ(LoadItems(c, kept).size(), 1u);
  EXPECT_EQ(testing::Count(c, "DT_GroupItem"), 1);
}

}  // namespace
}  // namespace velmora::groups
