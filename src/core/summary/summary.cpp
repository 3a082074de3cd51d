#include "core/summary/summary.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unordered_map>

#include "core/base/text.h"
#include "core/db/progress_scope.h"
#include "core/db/statement.h"
#include "core/db/translate.h"
#include "core/summary/aggregate_expression.h"
#include "core/summary/sum_columns.h"

namespace velmora::summary {

namespace {

struct ClassificationDef {
  const char* label;
  const char* key;     // the column of dt_data
  const char* prefix;  // up to the select list
  const char* codes;   // the code rows, label and id, in the statement's order
};

const std::array<ClassificationDef, 5> kClassifications = {{
    {"所在行业", "c905", "select code.name,sum_table.*  from CT_Industry code left join (select c905,",
     "select code.name,code.id from CT_Industry code order by code.id desc"},
    {"单位类别", "c906", "select code.name,sum_table.*  from CT_Economic code left join (select c906,",
     "select code.name,code.id from CT_Economic code order by code.id desc"},
    {"组织类型", "c904", "select code.name,sum_table.*  from CT_LevelCode code left join (select c904,",
     "select code.name,code.id from CT_LevelCode code order by code.id desc"},
    {"产业类别", "c907",
     "select ('(' + code.id + ')' + code.name) as name,sum_table.*  from (select * from CT_UnionDomain where "
     "Code2<>0 or id='Z00') code left join (select c907,",
     "select ('(' + code.id + ')' + code.name) as name,code.id from (select * from CT_UnionDomain where "
     "Code2<>0 or id='Z00') code order by code.id desc"},
    {"填报状态", "c912", "select code.name,sum_table.*  from CT_state code left join (select c912,",
     "select code.name,code.id from CT_state code order by code.id desc"},
}};

constexpr const char* kGroupLabel = "分    组";

bool ValidSheet(int sheet) { return sheet >= kFirstSummarySheet && sheet <= kLastSummarySheet; }

// Finds `word` in `text` without regard to ASCII letter case.
std::size_t FindNoCase(const std::string& text, const std::string& word) {
  auto it = std::search(text.begin(), text.end(), word.begin(), word.end(),
                        [](char a, char b) { return base::LowerChar(a) == base::LowerChar(b); });
  return it == text.end() ? std::string::npos : static_cast<std::size_t>(it - text.begin());
}

SummaryRow RowOf(db::Statement& st) {
  SummaryRow row;
  row.label = st.value(0).toString();
  for (int c = 2; c < st.columnCount(); ++c) row.cells.push_back(st.value(c));
  return row;
}

}  // namespace

std::string ClassificationLabel(int classification) {
  if (classification >= 0 && classification < static_cast<int>(kClassifications.size()))
    return kClassifications[classification].label;
  return classification == kByGroup ? kGroupLabel : "";
}

std::string ClassificationStatement(int sheet, int classification) {
  const ClassificationDef& d = kClassifications.at(static_cast<std::size_t>(classification));
  const std::string key = d.key;
  return d.prefix + SumColumns(sheet) + " group by " + key + ") sum_table" + " on code.id = sum_table." + key +
         " order by code.id desc";
}

std::string ReversedOrder(const std::string& orderstr) {
  std::string order = orderstr.empty() ? "id ASC" : orderstr;
  if (order.find("DESC") != std::string::npos) {
    if (std::size_t at = FindNoCase(order, "desc"); at != std::string::npos) order.replace(at, 4, "asc");
  } else if (order.find("ASC") != std::string::npos) {
    if (std::size_t at = FindNoCase(order, "asc"); at != std::string::npos) order.replace(at, 3, "desc");
  }
  return order;
}

std::string GroupItemsStatement(int groupId, const std::string& reversedOrder) {
  // The order is spelt again from the fixed table: the text given never reaches the statement.
  const std::optional<std::string> order = groups::CheckedOrder(reversedOrder);
  if (!order) throw groups::GroupRefused(groups::RefusedOrderText(std::to_string(groupId), reversedOrder));
  const std::string columns = "select id, Title, LowBoundary, HighBoundary, LowSymbol, HighSymbol from view_group_item";
  if (groupId == 0) return columns + " order by " + *order;
  return columns + " where groupid=" + std::to_string(groupId) + " order by " + *order;
}

std::string GroupItemStatement(int sheet, const std::string& title, int number, const groups::ItemRange& range) {
  return " select " + db::QuoteText(title) + " as ItemName," + std::to_string(number) + " as sid," +
         SumColumns(sheet) + " where " + groups::RangeCondition(range);
}

std::string GroupItemStatement(int sheet, const std::string& title, int number, const std::string& lowValue,
                               const std::string& highValue) {
  auto split = [](const std::string& text, std::string& symbol, std::int64_t& bound) {
    const std::size_t digits = text.find_first_of("0123456789");
    if (digits == std::string::npos || digits == 0 || text.size() - digits > 13) return false;
    symbol = text.substr(0, digits);
    bound = 0;
    for (std::size_t i = digits; i < text.size(); ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      bound = bound * 10 + (text[i] - '0');
    }
    return true;
  };
  groups::ItemDraft draft;
  draft.title = title;
  if (!split(lowValue, draft.lowSymbol, draft.low) || !split(highValue, draft.highSymbol, draft.high))
    throw groups::GroupRefused(groups::RefusedItemText("", title, "编号的上下限“" + lowValue + "”“" + highValue + "”不合要求"));
  return GroupItemStatement(sheet, title, number, groups::RangeOf(draft));
}

std::vector<GroupItem> ReadGroupItems(db::Connection& connection, int groupId) {
  std::string name = std::to_string(groupId), orderstr;
  {
    db::Statement st(connection, "select Name, orderstr from ct_group where id=:id");
    st.bind("id", groupId);
    if (st.step()) {
      name = st.value(0).toString();
      orderstr = st.value(1).toString();
    }
  }
  const std::optional<std::string> order = groups::CheckedOrder(orderstr);
  if (!order) throw groups::GroupRefused(groups::RefusedOrderText(name, orderstr));
  {
    // A group of more items than the limit is refused before any is read: the summary keeps
    // figures for every item.
    db::Statement st(connection, groupId == 0 ? std::string("select count(*) from DT_GroupItem")
                                              : std::string("select count(*) from DT_GroupItem where GroupID=:id"));
    if (groupId != 0) st.bind("id", groupId);
    const std::int64_t count = st.step() ? st.int64(0) : 0;
    if (count > groups::kMaxItemsPerGroup) throw groups::GroupRefused(groups::TooManyItemsInGroupText(name, count));
  }
  db::Statement st(connection, GroupItemsStatement(groupId, ReversedOrder(*order)));
  std::vector<GroupItem> items;
  while (st.step()) {
    groups::CheckedItem checked =
        groups::CheckItemValues(st.value(1), st.value(2), st.value(3), st.value(4), st.value(5));
    if (!checked.draft) throw groups::GroupRefused(groups::RefusedItemText(name, st.value(1).toString(), checked.reason));
    const groups::ItemDraft& d = *checked.draft;
    items.push_back({d.title, d.lowSymbol + std::to_string(d.low), d.highSymbol + std::to_string(d.high),
                     groups::RangeOf(d)});
  }
  return items;
}

namespace detail {

// The statements of one worksheet; the rows in query order.
std::vector<SummaryRow> SheetStatements(db::Connection& connection, int sheet, int classification,
                                        const std::vector<GroupItem>* items) {
  std::vector<SummaryRow> rows;
  if (classification != kByGroup) {
    db::Statement st(connection, ClassificationStatement(sheet, classification));
    while (st.step()) rows.push_back(RowOf(st));
    return rows;
  }
  for (std::size_t i = 0; i < items->size(); ++i) {
    const GroupItem& item = (*items)[i];
    db::Statement st(connection, GroupItemStatement(sheet, item.title, static_cast<int>(i) + 1, item.range));
    if (st.step()) rows.push_back(RowOf(st));
  }
  return rows;
}

// The listed worksheets through their statements, each in worksheet order.
SummaryRun ByStatements(db::Connection& connection, const std::vector<int>& sheets, int classification, int groupId,
                        jobs::Job& job) {
  SummaryRun run;
  run.usedStatements = true;
  std::vector<GroupItem> items;
  if (classification == kByGroup) items = ReadGroupItems(connection, groupId);
  try {
    db::ProgressScope scope(connection, job);
    for (int sheet : sheets) {
      if (!ValidSheet(sheet)) continue;
      SummarySheetResult result{sheet, SheetStatements(connection, sheet, classification, &items)};
      std::reverse(result.rows.begin(), result.rows.end());
      run.sheets.push_back(std::move(result));
      if (job.stopRequested()) break;
    }
  } catch (const db::DbError& e) {
    if (!db::IsInterrupted(e) && !job.stopRequested()) throw;
  }
  if (job.stopRequested()) {
    run.sheets.clear();
    run.stopped = true;
  }
  return run;
}

}  // namespace detail

SummaryRun SummarizeSheet(db::Connection& connection, int sheet, int classification, int groupId, jobs::Job& job) {
  if (!ValidSheet(sheet)) return {};
  if (classification < 0 || classification > kByGroup) throw db::DbError("unknown classification");
  return detail::ByStatements(connection, {sheet}, classification, groupId, job);
}

namespace {

// A code against a bound of a group item, as the engine compares numbers: -1, 0 or 1.
int CompareCode(const Value& code, std::int64_t bound) {
  if (code.kind == Value::Int) return code.i < bound ? -1 : code.i > bound ? 1 : 0;
  const long double x = code.r, y = static_cast<long double>(bound);
  return x < y ? -1 : x > y ? 1 : 0;
}

bool AboveLow(const groups::ItemRange& r, const Value& code) {
  const int c = CompareCode(code, r.low);
  return r.lowInclusive ? c >= 0 : c > 0;
}

bool BelowHigh(const groups::ItemRange& r, const Value& code) {
  const int c = CompareCode(code, r.high);
  return r.highInclusive ? c <= 0 : c < 0;
}

// The key of a class as the engine groups and joins it: by kind and value.
void KeyOf(db::Statement& st, int column, std::string& key) {
  key.clear();
  switch (st.kind(column)) {
    case db::ValueKind::Null: key = "n"; break;
    case db::ValueKind::Integer: {
      const std::int64_t v = st.int64(column);
      key.assign("i");
      key.append(reinterpret_cast<const char*>(&v), sizeof v);
      break;
    }
    case db::ValueKind::Float: {
      const double v = st.real(column);
      key.assign("r");
      key.append(reinterpret_cast<const char*>(&v), sizeof v);
      break;
    }
    default: key.assign("t").append(st.textView(column)); break;
  }
}

std::string KeyOf(const db::Variant& id) {
  std::string key;
  if (id.isInteger()) {
    const std::int64_t v = id.toInt64();
    key.assign("i").append(reinterpret_cast<const char*>(&v), sizeof v);
  } else if (id.isFloat()) {
    const double v = id.toDouble();
    key.assign("r").append(reinterpret_cast<const char*>(&v), sizeof v);
  } else if (id.isText()) {
    key = "t" + id.toString();
  }  // a null code joins no class: its key stays empty, and no class has an empty key

  return key;
}

struct FinishJob {
  jobs::Job& job;
  ~FinishJob() { job.finish(); }
};

constexpr int kRowsPerTick = 4096;

// The aggregates of every wanted sheet over one list of columns read once a record; column 0 is
// the class key (c901 for a group).
struct SheetAggregates {
  SheetAggregates(const std::vector<int>& wanted, const std::string& key) : columns{key} {
    for (int sheet : wanted) {
      lists.emplace_back(SumColumns(sheet));
      lists.back().useColumns(columns);
      offsets.push_back(aggregates);
      aggregates += lists.back().aggregateCount();
    }
    for (const AggregateList& list : lists)
      keyComputedWith = keyComputedWith || std::find(list.columns().begin(), list.columns().end(), columns[0]) != list.columns().end();
    row.resize(columns.size());
    inputs.resize(static_cast<std::size_t>(aggregates));
  }

  // Every aggregate's argument on the current row.
  void evaluate() {
    for (std::size_t l = 0; l < lists.size(); ++l) lists[l].inputs(row.data(), inputs.data() + offsets[l]);
  }
  void accumulate(std::vector<SumState>& states) const {
    for (int a = 0; a < aggregates; ++a) states[a].add(inputs[a]);
  }
  std::vector<db::Variant> outputs(std::size_t list, const SumState* states) const {
    return lists[list].outputs(states + offsets[list]);
  }

  std::vector<std::string> columns;
  std::vector<AggregateList> lists;
  std::vector<int> offsets;
  int aggregates = 0;
  bool keyComputedWith = false;  // the key column is also an argument of an aggregate
  std::vector<Value> row;        // the current record's columns
  std::vector<Value> inputs;     // its aggregates' arguments
};

// Reads the current record's columns into `row`; false when a column holds text to compute with,
// which is left to the statements (a text key groups and joins when nothing computes with it).
bool ReadRow(const db::Statement& st, bool byGroup, bool keyComputedWith, std::vector<Value>& row) {
  const int columnCount = static_cast<int>(row.size());
  for (int c = 0; c < columnCount; ++c) {
    switch (st.kind(c)) {
      case db::ValueKind::Null: row[c] = {}; break;
      case db::ValueKind::Integer: row[c] = Value::Of(st.int64(c)); break;
      case db::ValueKind::Float: row[c] = Value::OfReal(st.real(c)); break;
      default:
        row[c] = {};
        if (!(c == 0 && !byGroup && !keyComputedWith)) return false;
        break;
    }
  }
  return true;
}

// A group's checked items, and their indexes by lower bound: the records come in code order, so
// an item starts to take records when the code reaches its lower bound and takes none once the
// code has passed its upper bound.
class GroupItemCursor {
 public:
  explicit GroupItemCursor(std::vector<GroupItem> items) : items_(std::move(items)) {
    for (std::size_t i = 0; i < items_.size(); ++i) byLow_.push_back(i);
    std::stable_sort(byLow_.begin(), byLow_.end(),
                     [&](std::size_t a, std::size_t b) { return items_[a].range.low < items_[b].range.low; });
  }
  const std::vector<GroupItem>& items() const { return items_; }

  // Calls take(i) for every item i whose range holds `code` (not null); codes only grow.
  template <class Take>
  void forEachHolding(const Value& code, Take&& take) {
    while (nextLow_ < byLow_.size() && CompareCode(code, items_[byLow_[nextLow_]].range.low) >= 0)
      open_.push_back(byLow_[nextLow_++]);
    for (std::size_t k = 0; k < open_.size();) {
      const std::size_t i = open_[k];
      if (!BelowHigh(items_[i].range, code)) {  // passed for good: the codes only grow
        open_[k] = open_.back();
        open_.pop_back();
        continue;
      }
      ++k;
      if (AboveLow(items_[i].range, code)) take(i);
    }
  }

 private:
  std::vector<GroupItem> items_;
  std::vector<std::size_t> byLow_;
  std::size_t nextLow_ = 0;
  std::vector<std::size_t> open_;  // items whose range the code has entered and not yet passed
};

// Each item's figures go straight into the rows and its states are let go; the figures of an item
// without records are made once.
void GroupRows(const SheetAggregates& sums, const std::vector<GroupItem>& items,
               std::vector<std::vector<SumState>>& classes, SummaryRun& run) {
  std::vector<std::vector<db::Variant>> none;
  for (std::size_t i = items.size(); i-- > 0;) {
    if (classes[i].empty() && none.empty()) {
      const std::vector<SumState> zero(static_cast<std::size_t>(sums.aggregates));
      for (std::size_t l = 0; l < sums.lists.size(); ++l) none.push_back(sums.outputs(l, zero.data()));
    }
    for (std::size_t l = 0; l < sums.lists.size(); ++l)
      run.sheets[l].rows.push_back({items[i].title, classes[i].empty() ? none[l] : sums.outputs(l, classes[i].data())});
    std::vector<SumState>().swap(classes[i]);
  }
}

// Every class's figures are finished, also those of codes outside the code table, as the grouped
// statement finishes them; the rows are the code table's, each with its class's figures or none.
void ClassRows(db::Connection& connection, int classification, const SheetAggregates& sums,
               const std::vector<std::vector<SumState>>& classes,
               const std::unordered_map<std::string, std::size_t>& classOfKey, SummaryRun& run) {
  std::vector<std::vector<std::vector<db::Variant>>> figures(classes.size());
  for (std::size_t k = 0; k < classes.size(); ++k)
    for (std::size_t l = 0; l < sums.lists.size(); ++l) figures[k].push_back(sums.outputs(l, classes[k].data()));

  db::Statement codes(connection, kClassifications[classification].codes);
  std::vector<std::pair<std::string, std::string>> codeRows;  // label, key
  while (codes.step()) codeRows.emplace_back(codes.value(0).toString(), KeyOf(codes.value(1)));
  for (auto it = codeRows.rbegin(); it != codeRows.rend(); ++it) {
    auto found = classOfKey.find(it->second);
    for (std::size_t l = 0; l < sums.lists.size(); ++l) {
      SummaryRow r{it->first, {}};
      if (found != classOfKey.end()) r.cells = figures[found->second][l];
      else r.cells.assign(static_cast<std::size_t>(sums.lists[l].outputCount()), db::Variant());
      run.sheets[l].rows.push_back(std::move(r));
    }
  }
}

std::int64_t CountRecords(db::Connection& connection) {
  db::Statement count = db::Statement::Native(connection, "select count(*) from dt_data");
  return count.step() ? count.int64(0) : 0;
}

}  // namespace

SummaryRun Summarize(db::Connection& connection, const std::vector<int>& sheets, int classification, int groupId,
                     jobs::Job& job) {
  if (classification < 0 || classification > kByGroup) throw db::DbError("unknown classification");
  std::vector<int> wanted;
  for (int s : sheets)
    if (ValidSheet(s)) wanted.push_back(s);
  if (wanted.empty()) return {};
  FinishJob finishing{job};
  const bool byGroup = classification == kByGroup;

  GroupItemCursor group(byGroup ? ReadGroupItems(connection, groupId) : std::vector<GroupItem>{});
  SheetAggregates sums(wanted, byGroup ? "c901" : kClassifications[classification].key);
  std::string sql = "select ";
  for (std::size_t c = 0; c < sums.columns.size(); ++c) sql += (c ? "," : "") + sums.columns[c];
  sql += " from dt_data";
  // The range statements read an item's records through the index on c901: in code order.
  if (byGroup) sql += " order by c901";

  job.start(CountRecords(connection), 0);
  jobs::JobTicker ticker(job, 1);

  // An item's states are made when its first record comes: items without records take no memory.
  std::vector<std::vector<SumState>> classes(byGroup ? group.items().size() : 0);
  std::unordered_map<std::string, std::size_t> classOfKey;
  std::string key, lastKey = "\x01";
  std::size_t lastClass = 0;

  db::Statement st = db::Statement::Native(connection, sql);
  std::int64_t sinceTick = 0;
  while (st.step()) {
    if (!ReadRow(st, byGroup, sums.keyComputedWith, sums.row))
      return detail::ByStatements(connection, wanted, classification, groupId, job);
    if (byGroup) {
      if (sums.row[0].kind != Value::Null) {
        bool evaluated = false;
        group.forEachHolding(sums.row[0], [&](std::size_t i) {
          if (!evaluated) sums.evaluate();
          evaluated = true;
          if (classes[i].empty()) classes[i].resize(static_cast<std::size_t>(sums.aggregates));
          sums.accumulate(classes[i]);
        });
      }
    } else {
      KeyOf(st, 0, key);
      if (key != lastKey) {
        auto [it, added] = classOfKey.try_emplace(key, classes.size());
        if (added) classes.emplace_back(static_cast<std::size_t>(sums.aggregates));
        lastKey = key;
        lastClass = it->second;
      }
      sums.evaluate();
      sums.accumulate(classes[lastClass]);
    }
    if (++sinceTick == kRowsPerTick) {
      job.step(sinceTick);
      sinceTick = 0;
      if (!ticker.tick()) return SummaryRun{{}, true, false};
    }
  }
  job.step(sinceTick);

  SummaryRun run;
  for (int sheet : wanted) run.sheets.push_back({sheet, {}});
  if (byGroup) GroupRows(sums, group.items(), classes, run);
  else ClassRows(connection, classification, sums, classes, classOfKey, run);
  return run;
}

}  // namespace velmora::summary
