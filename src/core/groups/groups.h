#pragma once
// Custom groups: a named group of ranges on the unit code c901 (CT_Group) and its items
// (DT_GroupItem, read and written through view_group_item). Every name, title and sort clause goes
// into its statement as a bound value, so any text is stored exactly as typed.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/survey/codes.h"

namespace velmora::groups {

inline constexpr const char* kDefaultOrder = "id ASC";
inline constexpr const char* kNoTitleText = "必须输入本组数据的名称！";
inline constexpr const char* kBoundsText = "上限必须大于下限！";
inline constexpr const char* kRemoveQuestion = "数据将被彻底删除，确认么？";

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
// Store a checked draft (ValidateItem first); AddItem returns the new item's id.
std::int64_t AddItem(db::Connection& c, std::int64_t groupId, const ItemDraft& draft);
void EditItem(db::Connection& c, std::int64_t itemId, std::int64_t groupId, const ItemDraft& draft);
void RemoveItem(db::Connection& c, std::int64_t itemId);

// The items of a group, in id order or by a sort clause over the view's columns ("LowValue DESC").
// A clause the engine cannot read throws db::DbError with the engine's text.
std::vector<Item> LoadItems(db::Connection& c, std::int64_t groupId, const std::string& orderClause = kDefaultOrder);
// The items in the order stored with the group.
std::vector<Item> LoadItemsInGroupOrder(db::Connection& c, std::int64_t groupId);

// The condition of an item on c901: "c901>=110000000000 and c901<120000000000".
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
void StoreGroupOrder(db::Connection& c, std::int64_t groupId, const std::string& clause);

}  // namespace velmora::groups
