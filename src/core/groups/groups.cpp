#include "core/groups/groups.h"

#include "core/db/statement.h"

namespace velmora::groups {

namespace {

constexpr const char* kItemColumns =
    "SELECT id, GroupID, Title, LowBoundary, HighBoundary, LowSymbol, HighSymbol, LowValue, HighValue "
    "from view_group_item where GroupID=:group";

bool InList(const survey::TMenuItemDataArray& list, const std::string& symbol) {
  return survey::LookupCodeId(list, symbol) != 0;
}

}  // namespace

const survey::TMenuItemDataArray& LowSymbols() {
  static const survey::TMenuItemDataArray list{{1, ">"}, {2, ">="}};
  return list;
}

const survey::TMenuItemDataArray& HighSymbols() {
  static const survey::TMenuItemDataArray list{{1, "<"}, {2, "<="}};
  return list;
}

std::vector<Group> ListGroups(db::Connection& c) {
  db::Statement st(c,
                   "SELECT g.ID, g.Name, g.orderstr, (select count(*) from DT_GroupItem i where i.GroupID=g.ID) "
                   "FROM ct_group g order by g.ID");
  std::vector<Group> out;
  while (st.step()) out.push_back(Group{st.int64(0), st.text(1), st.text(2), st.int64(3)});
  return out;
}

std::optional<Group> FindGroup(db::Connection& c, std::int64_t id) {
  for (Group& g : ListGroups(c))
    if (g.id == id) return g;
  return std::nullopt;
}

std::int64_t AddGroup(db::Connection& c, const std::string& name) {
  db::Statement(c, "insert into ct_group(name, orderstr) values(:name, :order)")
      .bind("name", name)
      .bind("order", std::string(kDefaultOrder))
      .run();
  db::Statement id(c, "select max(id) as GroupID from ct_group");
  return id.step() ? id.int64(0) : 0;
}

void RenameGroup(db::Connection& c, std::int64_t id, const std::string& name) {
  db::Statement(c, "update ct_group set name=:name where id=:id").bind("name", name).bind("id", id).run();
}

void RemoveGroup(db::Connection& c, std::int64_t id) {
  db::Statement(c, "delete from ct_group where id=:id").bind("id", id).run();
}

std::optional<std::string> ValidateItem(const ItemDraft& draft) {
  if (draft.title.empty()) return std::string(kNoTitleText);
  if (draft.high <= draft.low) return std::string(kBoundsText);
  if (!InList(LowSymbols(), draft.lowSymbol)) return std::string("编号下限的比较符号只能是“>”或“>=”！");
  if (!InList(HighSymbols(), draft.highSymbol)) return std::string("编号上限的比较符号只能是“<”或“<=”！");
  return std::nullopt;
}

std::int64_t AddItem(db::Connection& c, std::int64_t groupId, const ItemDraft& d) {
  db::Statement(c,
                "insert into view_group_item(Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol) "
                "values(:title, :group, :low, :high, :ls, :hs)")
      .bind("title", d.title)
      .bind("group", groupId)
      .bind("low", d.low)
      .bind("high", d.high)
      .bind("ls", d.lowSymbol)
      .bind("hs", d.highSymbol)
      .run();
  db::Statement id(c, "select max(id) from DT_GroupItem where GroupID=:group");
  id.bind("group", groupId);
  return id.step() ? id.int64(0) : 0;
}

void EditItem(db::Connection& c, std::int64_t itemId, std::int64_t groupId, const ItemDraft& d) {
  db::Statement(c,
                "update view_group_item set Title=:title, GroupID=:group, LowBoundary=:low, HighBoundary=:high, "
                "LowSymbol=:ls, HighSymbol=:hs where id=:id")
      .bind("title", d.title)
      .bind("group", groupId)
      .bind("low", d.low)
      .bind("high", d.high)
      .bind("ls", d.lowSymbol)
      .bind("hs", d.highSymbol)
      .bind("id", itemId)
      .run();
}

void RemoveItem(db::Connection& c, std::int64_t itemId) {
  db::Statement(c, "delete from view_group_item where id=:id").bind("id", itemId).run();
}

std::vector<Item> LoadItems(db::Connection& c, std::int64_t groupId, const std::string& orderClause) {
  const std::string order = orderClause.empty() ? std::string(kDefaultOrder) : orderClause;
  db::Statement st(c, std::string(kItemColumns) + " order by " + order);
  st.bind("group", groupId);
  std::vector<Item> out;
  while (st.step()) {
    Item item;
    item.id = st.int64(0);
    item.groupId = st.int64(1);
    item.draft = ItemDraft{st.text(2), st.int64(3), st.int64(4), st.text(5), st.text(6)};
    item.lowValue = st.text(7);
    item.highValue = st.text(8);
    out.push_back(std::move(item));
  }
  return out;
}

std::vector<Item> LoadItemsInGroupOrder(db::Connection& c, std::int64_t groupId) {
  db::Statement st(c, "select orderstr from ct_group where id=:id");
  st.bind("id", groupId);
  const std::string order = st.step() ? st.text(0) : std::string();
  st = db::Statement();
  return LoadItems(c, groupId, order);
}

std::string ItemCondition(const Item& item) { return "c901" + item.lowValue + " and c901" + item.highValue; }

std::string NextSort(SortState& sort, const std::string& field) {
  sort.state = sort.state == 1 ? 2 : 1;
  sort.column = field;
  return field + (sort.descending() ? " DESC" : " ASC");
}

void StoreGroupOrder(db::Connection& c, std::int64_t groupId, const std::string& clause) {
  db::Statement(c, "update CT_Group set orderstr=:order where id=:id").bind("order", clause).bind("id", groupId).run();
}

}  // namespace velmora::groups
