#include "core/summary/summary.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unordered_map>

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
  auto it = std::search(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
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
  if (groupId == 0) return "select * from view_group_item order by " + reversedOrder;
  return "select * from view_group_item where groupid=" + std::to_string(groupId) + " order by " + reversedOrder;
}

std::string GroupItemStatement(int sheet, const std::string& title, int number, const std::string& lowValue,
                               const std::string& highValue) {
  return " select " + db::QuoteText(title) + " as ItemName," + std::to_string(number) + " as sid," +
         SumColumns(sheet) + " where c901" + lowValue + " and c901" + highValue;
}

std::vector<GroupItem> ReadGroupItems(db::Connection& connection, int groupId) {
  std::string orderstr;
  {
    db::Statement st(connection, "select orderstr from ct_group where id=" + std::to_string(groupId));
    if (st.step()) orderstr = st.value(0).toString();
  }
  db::Statement st(connection, GroupItemsStatement(groupId, ReversedOrder(orderstr)));
  const int title = st.findColumn("Title"), low = st.findColumn("LowValue"), high = st.findColumn("HighValue");
  std::vector<GroupItem> items;
  while (st.step()) items.push_back({st.value(title).toString(), st.value(low).toString(), st.value(high).toString()});
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
    db::Statement st(connection,
                     GroupItemStatement(sheet, item.title, static_cast<int>(i) + 1, item.lowValue, item.highValue));
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

// A bound of a group item as its text stands after "c901": a comparison and a number.
struct Bound {
  int op = 0;  // index into kBoundOps
  Value value;
};

constexpr std::array<const char*, 6> kBoundOps = {">=", "<=", "<>", ">", "<", "="};

std::optional<Bound> ParseBound(const std::string& text) {
  Bound b;
  std::size_t at = std::string::npos;
  for (std::size_t k = 0; k < kBoundOps.size(); ++k) {
    const std::size_t n = std::strlen(kBoundOps[k]);
    if (text.compare(0, n, kBoundOps[k]) == 0) {
      b.op = static_cast<int>(k);
      at = n;
      break;
    }
  }
  if (at == std::string::npos) return std::nullopt;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  const std::string digits = text.substr(at);
  std::size_t dots = 0, figures = 0;
  for (char c : digits) {
    if (c == '.') ++dots;
    else if (c >= '0' && c <= '9') ++figures;
    else return std::nullopt;
  }
  if (figures == 0 || dots > 1) return std::nullopt;
  if (dots == 0) {
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(digits.c_str(), &end, 10);
    if (errno == 0) {
      b.value = Value::Of(negative ? -v : v);
      return b;
    }
  }
  const double d = std::strtod(digits.c_str(), nullptr);
  b.value = Value::OfReal(negative ? -d : d);
  return b;
}

// The two bounds of an item hold a code: c901 <op> bound, as the engine compares numbers.
bool Holds(const Bound& b, const Value& code) {
  const Value& v = b.value;
  int c = 0;
  if (code.kind == Value::Int && v.kind == Value::Int) c = code.i < v.i ? -1 : code.i > v.i ? 1 : 0;
  else {
    const long double x = code.kind == Value::Int ? static_cast<long double>(code.i) : code.r;
    const long double y = v.kind == Value::Int ? static_cast<long double>(v.i) : v.r;
    c = x < y ? -1 : x > y ? 1 : 0;
  }
  switch (b.op) {
    case 0: return c >= 0;
    case 1: return c <= 0;
    case 2: return c != 0;
    case 3: return c > 0;
    case 4: return c < 0;
    default: return c == 0;
  }
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

  // A group's items and their bounds; a bound the pass does not read leaves the group to its statements.
  std::vector<GroupItem> items;
  std::vector<std::pair<Bound, Bound>> ranges;
  if (byGroup) {
    items = ReadGroupItems(connection, groupId);
    for (const GroupItem& item : items) {
      auto low = ParseBound(item.lowValue), high = ParseBound(item.highValue);
      if (!low || !high) return detail::ByStatements(connection, wanted, classification, groupId, job);
      ranges.emplace_back(*low, *high);
    }
  }

  // Every select list over one list of columns; column 0 is the class key (c901 for a group).
  std::vector<std::string> columns{byGroup ? "c901" : kClassifications[classification].key};
  std::vector<AggregateList> lists;
  std::vector<int> offsets;
  int aggregates = 0;
  for (int sheet : wanted) {
    lists.emplace_back(SumColumns(sheet));
    lists.back().useColumns(columns);
    offsets.push_back(aggregates);
    aggregates += lists.back().aggregateCount();
  }
  bool keyComputedWith = false;
  for (const AggregateList& list : lists)
    keyComputedWith = keyComputedWith || std::find(list.columns().begin(), list.columns().end(), columns[0]) != list.columns().end();
  std::string sql = "select ";
  for (std::size_t c = 0; c < columns.size(); ++c) sql += (c ? "," : "") + columns[c];
  sql += " from dt_data";
  // The range statements read an item's records through the index on c901: in code order.
  if (byGroup) sql += " order by c901";

  std::int64_t total = 0;
  {
    db::Statement count = db::Statement::Native(connection, "select count(*) from dt_data");
    if (count.step()) total = count.int64(0);
  }
  job.start(total, 0);
  jobs::JobTicker ticker(job, 1);

  std::vector<std::vector<SumState>> classes(byGroup ? items.size() : 0,
                                             std::vector<SumState>(static_cast<std::size_t>(aggregates)));
  std::unordered_map<std::string, std::size_t> classOfKey;
  std::vector<std::string> keys;
  std::vector<Value> row(columns.size());
  std::vector<Value> inputs(static_cast<std::size_t>(aggregates));
  std::string key, lastKey = "\x01";
  std::size_t lastClass = 0;
  const int columnCount = static_cast<int>(columns.size());

  db::Statement st = db::Statement::Native(connection, sql);
  std::int64_t read = 0, sinceTick = 0;
  while (st.step()) {
    ++read;
    bool readable = true;
    for (int c = 0; c < columnCount && readable; ++c) {
      switch (st.kind(c)) {
        case db::ValueKind::Null: row[c] = {}; break;
        case db::ValueKind::Integer: row[c] = Value::Of(st.int64(c)); break;
        case db::ValueKind::Float: row[c] = Value::OfReal(st.real(c)); break;
        default:  // a text key groups and joins; text to compute with is left to the statements
          row[c] = {};
          readable = c == 0 && !byGroup && !keyComputedWith;
          break;
      }
    }
    if (!readable) return detail::ByStatements(connection, wanted, classification, groupId, job);

    auto evaluate = [&] {
      for (std::size_t l = 0; l < lists.size(); ++l) lists[l].inputs(row.data(), inputs.data() + offsets[l]);
    };
    auto accumulate = [&](std::vector<SumState>& states) {
      for (int a = 0; a < aggregates; ++a) states[a].add(inputs[a]);
    };
    if (byGroup) {
      bool evaluated = false;
      if (row[0].kind != Value::Null) {
        for (std::size_t i = 0; i < ranges.size(); ++i) {
          if (!Holds(ranges[i].first, row[0]) || !Holds(ranges[i].second, row[0])) continue;
          if (!evaluated) evaluate();
          evaluated = true;
          accumulate(classes[i]);
        }
      }
    } else {
      KeyOf(st, 0, key);
      if (key != lastKey) {
        auto [it, added] = classOfKey.try_emplace(key, classes.size());
        if (added) {
          classes.emplace_back(static_cast<std::size_t>(aggregates));
          keys.push_back(key);
        }
        lastKey = key;
        lastClass = it->second;
      }
      evaluate();
      accumulate(classes[lastClass]);
    }
    if (++sinceTick == kRowsPerTick) {
      job.step(sinceTick);
      sinceTick = 0;
      if (!ticker.tick()) return SummaryRun{{}, true, false};
    }
  }
  job.step(sinceTick);

  // Every class's figures are finished, also those of codes outside the code table, as the grouped
  // statement finishes them.
  std::vector<std::vector<std::vector<db::Variant>>> figures(classes.size());
  for (std::size_t k = 0; k < classes.size(); ++k)
    for (std::size_t l = 0; l < lists.size(); ++l) figures[k].push_back(lists[l].outputs(classes[k].data() + offsets[l]));

  SummaryRun run;
  for (int sheet : wanted) run.sheets.push_back({sheet, {}});
  if (byGroup) {
    for (std::size_t i = items.size(); i-- > 0;)
      for (std::size_t l = 0; l < lists.size(); ++l) run.sheets[l].rows.push_back({items[i].title, figures[i][l]});
    return run;
  }
  db::Statement codes(connection, kClassifications[classification].codes);
  std::vector<std::pair<std::string, std::string>> codeRows;  // label, key
  while (codes.step()) codeRows.emplace_back(codes.value(0).toString(), KeyOf(codes.value(1)));
  for (auto it = codeRows.rbegin(); it != codeRows.rend(); ++it) {
    auto found = classOfKey.find(it->second);
    for (std::size_t l = 0; l < lists.size(); ++l) {
      SummaryRow r{it->first, {}};
      if (found != classOfKey.end()) r.cells = figures[found->second][l];
      else r.cells.assign(static_cast<std::size_t>(lists[l].outputCount()), db::Variant());
      run.sheets[l].rows.push_back(std::move(r));
    }
  }
  return run;
}

}  // namespace velmora::summary
