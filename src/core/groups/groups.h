#pragma once
// Custom groups: a named group of ranges on the unit code c901 (CT_Group) and its items
// (DT_GroupItem, read and written through view_group_item). Every name, title and sort clause goes
// into its statement as a bound value, so any text is stored exactly as typed.
//
// Group items and sort orders are data, never SQL: a symbol is one of the two of its box, a bound a
// whole number the box takes, a sort order one of the forms the item list stores. A condition or an
// order is made from those checked values through fixed tables; an item or order that is none of
// them (a group file from elsewhere, a database edited by hand) is refused with GroupRefused.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/db/variant.h"
#include "core/survey/codes.h"

namespace velmora::groups {

inline constexpr const char* kDefaultOrder = "id ASC";
inline constexpr const char* kNoTitleText = "必须输入本组数据的名称！";
inline constexpr const char* kBoundsText = "上限必须大于下限！";
inline constexpr const char* kRemoveQuestion = "数据将被彻底删除，确认么？";
// The bounds the boxes take: whole numbers of up to 13 digits (one above the largest 12-digit code).
inline constexpr std::int64_t kMaxBound = 9999999999999;
inline constexpr const char* kBoundRangeText = "编号的上下限必须是0到9999999999999之间的整数！";
// The most items one group may have: the summary keeps a row of figures for each of them.
inline constexpr std::int64_t kMaxItemsPerGroup = 10000;
// "每个分组最多只能有10000个分组项！"
std::string TooManyItemsText();

// A group or an item stored in a database that is not one the dialogs could have stored; what()
// names the group, the item and the value.
class GroupRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Group {
  std::int64_t id = 0;
  std::string name;
  std::string orderstr;
  std::int64_t itemCount = 0;
};

// An item as the editors hold it.
struct ItemDraft {
  std::string title;
  std::int64_t low = 0;
  std::int64_t high = 0;
  std::string lowSymbol = ">=";
  std::string highSymbol = "<";
};

// An item as view_group_item shows it.
struct Item {
  std::int64_t id = 0;
  std::int64_t groupId = 0;
  ItemDraft draft;
  std::string lowValue;   // ">=110000000000"
  std::string highValue;  // "<120000000000"
};

// The symbol lists of the two symbol boxes: lower 1 ">" 2 ">="; upper 1 "<" 2 "<=".
const survey::TMenuItemDataArray& LowSymbols();
const survey::TMenuItemDataArray& HighSymbols();

// The groups in id order with the number of their items.
std::vector<Group> ListGroups(db::Connection& c);
std::optional<Group> FindGroup(db::Connection& c, std::int64_t id);
// Appends a group with orderstr "id ASC"; returns its id.
std::int64_t AddGroup(db::Connection& c, const std::string& name);
void RenameGroup(db::Connection& c, std::int64_t id, const std::string& name);
// Removes the group; the database removes its items with it.
void RemoveGroup(db::Connection& c, std::int64_t id);

// The message that refuses the draft (the title first, then the bounds, then the symbols), or
// nullopt when it may be stored.
std::optional<std::string> ValidateItem(const ItemDraft& draft);
// An item's values as a database holds them (any kind): the checked draft, or the reason it is
// refused naming the value ("编号下限的比较符号“…”只能是“>”或“>=”").
struct CheckedItem {
  std::optional<ItemDraft> draft;
  std::string reason;
};
CheckedItem CheckItemValues(const db::Variant& title, const db::Variant& low, const db::Variant& high,
                            const db::Variant& lowSymbol, const db::Variant& highSymbol);
// "分组“<group>”的分组项“<title>”不能使用：<reason>"
std::string RefusedItemText(const std::string& group, const std::string& title, const std::string& reason);
// "分组“<group>”的排列顺序“<orderstr>”不能使用：…"
std::string RefusedOrderText(const std::string& group, const std::string& orderstr);
// "分组“<group>”有N个分组项，…"
std::string TooManyItemsInGroupText(const std::string& group, std::int64_t count);

// The sort order as the item list stores it ("id ASC", "title|LowValue|HighValue ASC|DESC"; names
// and directions in any case, an empty order is "id ASC"), spelt from the fixed table; nullopt for
// anything else.
std::optional<std::string> CheckedOrder(const std::string& orderstr);

// The message that refuses one more item in the group (the limit), or nullopt.
std::optional<std::string> RoomForItems(db::Connection& c, std::int64_t groupId, std::int64_t more = 1);
// Store a checked draft (ValidateItem first); AddItem returns the new item's id. AddItem throws
// GroupRefused when the group already has kMaxItemsPerGroup items.
std::int64_t AddItem(db::Connection& c, std::int64_t groupId, const ItemDraft& draft);
void EditItem(db::Connection& c, std::int64_t itemId, std::int64_t groupId, const ItemDraft& draft);
void RemoveItem(db::Connection& c, std::int64_t itemId);

// The items of a group, in id order or by a sort clause over the view's columns ("LowValue DESC").
// A clause that CheckedOrder refuses, or a stored item that CheckItemValues refuses, throws
// GroupRefused.
std::vector<Item> LoadItems(db::Connection& c, std::int64_t groupId, const std::string& orderClause = kDefaultOrder);
// The items in the order stored with the group.
std::vector<Item> LoadItemsInGroupOrder(db::Connection& c, std::int64_t groupId);

// The checked range of an item on c901, and whether a code lies in it.
struct ItemRange {
  std::int64_t low = 0;
  std::int64_t high = 0;
  bool lowInclusive = true;   // ">=" rather than ">"
  bool highInclusive = false; // "<=" rather than "<"
  bool holds(std::int64_t code) const {
    return (lowInclusive ? code >= low : code > low) && (highInclusive ? code <= high : code < high);
  }
};
// The range of a draft; throws GroupRefused (naming the title) when its symbols or bounds are not
// ones the boxes take.
ItemRange RangeOf(const ItemDraft& draft);
// "c901>=110000000000 and c901<120000000000", spelt by the program from the range.
std::string RangeCondition(const ItemRange& range);
// The condition of an item on c901 (RangeCondition of RangeOf its draft).
std::string ItemCondition(const Item& item);

// The column sort of the item list: the state belongs to the list, not to the column. State 0 or 2
// sorts ascending next (state 1), state 1 descending (state 2); the list starts at state 1.
struct SortState {
  int state = 1;
  std::string column;  // the sorted column's field name; empty while none is sorted
  bool descending() const { return state == 2; }
};
// Moves the state on for a click on `field`'s title and returns the sort clause ("LowValue DESC").
std::string NextSort(SortState& sort, const std::string& field);
// Stores a clause CheckedOrder takes (spelt as it spells it); throws GroupRefused for another.
void StoreGroupOrder(db::Connection& c, std::int64_t groupId, const std::string& clause);

}  // namespace velmora::groups
