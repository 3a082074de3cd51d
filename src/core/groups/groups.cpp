#include "core/groups/groups.h"

#include <array>
#include <cctype>

#include "core/db/statement.h"
#include "core/intake/source_file.h"

namespace velmora::groups {

namespace {

constexpr const char* kItemColumns =
    "SELECT id, GroupID, Title, LowBoundary, HighBoundary, LowSymbol, HighSymbol "
    "from view_group_item where GroupID=:group";

constexpr std::size_t kMaxTitleChars = 255;

bool InList(const survey::TMenuItemDataArray& list, const std::string& symbol) {
  return survey::LookupCodeId(list, symbol) != 0;
}

// The columns the item list sorts by, as it spells them, and the two directions.
constexpr std::array<const char*, 4> kOrderColumns{"id", "title", "LowValue", "HighValue"};
constexpr std::array<const char*, 2> kOrderDirections{"ASC", "DESC"};

bool SameNoCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return i == a.size() && !b[i];
}

// Characters in a title: valid UTF-8 without control characters, or nullopt.
std::optional<std::size_t> TitleChars(const std::string& s) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < s.size(); ++chars) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 || c == 0x7f) return std::nullopt;
    const int follow = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
    if (follow < 0 || i + static_cast<std::size_t>(follow) >= s.size()) return std::nullopt;
    for (int k = 1; k <= follow; ++k)
      if ((static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) >> 6) != 0x2) return std::nullopt;
    i += static_cast<std::size_t>(follow) + 1;
  }
  return chars;
}

// A stored value as a message names it.
std::string Shown(const db::Variant& v) {
  if (v.isNull()) return "（空）";
  return "“" + intake::ShownValue(v.toString()) + "”";
}

bool InRange(std::int64_t v) { return v >= 0 && v <= kMaxBound; }

std::string GroupName(db::Connection& c, std::int64_t groupId) {
  db::Statement st(c, "select Name from CT_Group where ID=:id");
  st.bind("id", groupId);
  return st.step() ? st.value(0).toString() : std::to_string(groupId);
}

}  // namespace

std::string TooManyItemsText() {
  return "每个分组最多只能有" + std::to_string(kMaxItemsPerGroup) + "个分组项！";
}

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
  const std::optional<std::size_t> chars = TitleChars(draft.title);
  if (!chars) return std::string("分组项的名称不能含有控制字符！");
  if (*chars > kMaxTitleChars) return "分组项的名称最多只能有" + std::to_string(kMaxTitleChars) + "个字！";
  if (!InRange(draft.low) || !InRange(draft.high)) return std::string(kBoundRangeText);
  if (draft.high <= draft.low) return std::string(kBoundsText);
  if (!InList(LowSymbols(), draft.lowSymbol)) return std::string("编号下限的比较符号只能是“>”或“>=”！");
  if (!InList(HighSymbols(), draft.highSymbol)) return std::string("编号上限的比较符号只能是“<”或“<=”！");
  return std::nullopt;
}

CheckedItem CheckItemValues(const db::Variant& title, const db::Variant& low, const db::Variant& high,
                            const db::Variant& lowSymbol, const db::Variant& highSymbol) {
  CheckedItem out;
  if (!title.isText() && !title.isNull()) {
    out.reason = "名称" + Shown(title) + "不是文字";
    return out;
  }
  ItemDraft d;
  d.title = title.isNull() ? std::string() : title.toString();
  if (!lowSymbol.isText() || !InList(LowSymbols(), lowSymbol.toString())) {
    out.reason = "编号下限的比较符号" + Shown(lowSymbol) + "只能是“>”或“>=”";
    return out;
  }
  if (!highSymbol.isText() || !InList(HighSymbols(), highSymbol.toString())) {
    out.reason = "编号上限的比较符号" + Shown(highSymbol) + "只能是“<”或“<=”";
    return out;
  }
  d.lowSymbol = lowSymbol.toString();
  d.highSymbol = highSymbol.toString();
  for (const auto& [value, name] : {std::pair{&low, "编号下限"}, std::pair{&high, "编号上限"}}) {
    if (!value->isInteger() || !InRange(value->toInt64())) {
      out.reason = std::string(name) + Shown(*value) + "不是0到" + std::to_string(kMaxBound) + "之间的整数";
      return out;
    }
  }
  d.low = low.toInt64();
  d.high = high.toInt64();
  if (std::optional<std::string> refused = ValidateItem(d)) {
    out.reason = *refused;
    return out;
  }
  out.draft = std::move(d);
  return out;
}

std::string RefusedItemText(const std::string& group, const std::string& title, const std::string& reason) {
  return "分组“" + intake::ShownValue(group) + "”的分组项“" + intake::ShownValue(title) + "”不能使用：" + reason;
}

std::string RefusedOrderText(const std::string& group, const std::string& orderstr) {
  return "分组“" + intake::ShownValue(group) + "”的排列顺序“" + intake::ShownValue(orderstr) +
         "”不能使用：只能按编号、名称、下限或上限升序（ASC）或降序（DESC）排列";
}

std::string TooManyItemsInGroupText(const std::string& group, std::int64_t count) {
  return "分组“" + intake::ShownValue(group) + "”有" + std::to_string(count) + "个分组项，" + TooManyItemsText();
}

std::optional<std::string> CheckedOrder(const std::string& orderstr) {
  std::vector<std::string> words;
  std::string word;
  for (char ch : orderstr + " ") {
    if (ch == ' ' || ch == '\t') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += ch;
    }
  }
  if (words.empty()) return std::string(kDefaultOrder);
  if (words.size() != 2) return std::nullopt;
  for (const char* column : kOrderColumns) {
    if (!SameNoCase(words[0], column)) continue;
    for (const char* direction : kOrderDirections)
      if (SameNoCase(words[1], direction)) return std::string(column) + " " + direction;
  }
  return std::nullopt;
}

std::optional<std::string> RoomForItems(db::Connection& c, std::int64_t groupId, std::int64_t more) {
  db::Statement st(c, "select count(*) from DT_GroupItem where GroupID=:group");
  st.bind("group", groupId);
  const std::int64_t count = st.step() ? st.int64(0) : 0;
  if (count + more > kMaxItemsPerGroup) return TooManyItemsText();
  return std::nullopt;
}

std::int64_t AddItem(db::Connection& c, std::int64_t groupId, const ItemDraft& d) {
  RangeOf(d);
  if (std::optional<std::string> full = RoomForItems(c, groupId)) throw GroupRefused(*full);
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
  RangeOf(d);
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
  const std::optional<std::string> order = CheckedOrder(orderClause);
  if (!order) throw GroupRefused(RefusedOrderText(GroupName(c, groupId), orderClause));
  // The order comes from the fixed table of CheckedOrder, never from the text stored.
  db::Statement st(c, std::string(kItemColumns) + " order by " + *order);
  st.bind("group", groupId);
  std::vector<Item> out;
  while (st.step()) {
    CheckedItem checked = CheckItemValues(st.value(2), st.value(3), st.value(4), st.value(5), st.value(6));
    if (!checked.draft) {
      const std::string title = st.value(2).toString();
      st = db::Statement();
      throw GroupRefused(RefusedItemText(GroupName(c, groupId), title, checked.reason));
    }
    Item item;
    item.id = st.int64(0);
    item.groupId = st.int64(1);
    item.draft = std::move(*checked.draft);
    item.lowValue = item.draft.lowSymbol + std::to_string(item.draft.low);
    item.highValue = item.draft.highSymbol + std::to_string(item.draft.high);
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

ItemRange RangeOf(const ItemDraft& draft) {
  ItemRange r;
  const bool lowOk = draft.lowSymbol == ">" || draft.lowSymbol == ">=";
  const bool highOk = draft.highSymbol == "<" || draft.highSymbol == "<=";
  if (!lowOk || !highOk || !InRange(draft.low) || !InRange(draft.high)) {
    const CheckedItem checked = CheckItemValues(draft.title, draft.low, draft.high, draft.lowSymbol, draft.highSymbol);
    throw GroupRefused("分组项“" + intake::ShownValue(draft.title) + "”不能使用：" + checked.reason);
  }
  r.low = draft.low;
  r.high = draft.high;
  r.lowInclusive = draft.lowSymbol == ">=";
  r.highInclusive = draft.highSymbol == "<=";
  return r;
}

std::string RangeCondition(const ItemRange& range) {
  return std::string("c901") + (range.lowInclusive ? ">=" : ">") + std::to_string(range.low) + " and c901" +
         (range.highInclusive ? "<=" : "<") + std::to_string(range.high);
}

std::string ItemCondition(const Item& item) { return RangeCondition(RangeOf(item.draft)); }

std::string NextSort(SortState& sort, const std::string& field) {
  sort.state = sort.state == 1 ? 2 : 1;
  sort.column = field;
  return field + (sort.descending() ? " DESC" : " ASC");
}

void StoreGroupOrder(db::Connection& c, std::int64_t groupId, const std::string& clause) {
  const std::optional<std::string> order = CheckedOrder(clause);
  if (!order) throw GroupRefused(RefusedOrderText(GroupName(c, groupId), clause));
  db::Statement(c, "update CT_Group set orderstr=:order where id=:id").bind("order", *order).bind("id", groupId).run();
}

}  // namespace velmora::groups
