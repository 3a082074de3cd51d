#include "core/records/record_source.h"

#include <algorithm>
#include <cctype>

#include "core/base/text.h"
#include "core/db/error.h"
#include "core/db/translate.h"

namespace velmora::records {

// ---- page cache ----

const RecordPageCache::Page* RecordPageCache::find(std::int64_t page) {
  auto it = index_.find(page);
  if (it == index_.end()) return nullptr;
  entries_.splice(entries_.begin(), entries_, it->second);
  return &it->second->rows;
}

const RecordPageCache::Page& RecordPageCache::insert(std::int64_t page, Page rows) {
  auto it = index_.find(page);
  if (it != index_.end()) {
    entries_.erase(it->second);
    index_.erase(it);
  }
  entries_.push_front(Entry{page, std::move(rows)});
  index_[page] = entries_.begin();
  trim();
  return entries_.front().rows;
}

void RecordPageCache::clear() {
  entries_.clear();
  index_.clear();
}

void RecordPageCache::setMaxPages(std::size_t maxPages) {
  maxPages_ = maxPages < 1 ? 1 : maxPages;
  trim();
}

void RecordPageCache::trim() {
  while (entries_.size() > maxPages_) {
    index_.erase(entries_.back().page);
    entries_.pop_back();
  }
}

// ---- statements ----

namespace {

// The condition without its leading "where", in the engine's dialect.
std::string ConditionExpression(const std::string& condition) {
  std::string sql = db::TranslateJetSql(condition).sql;
  std::size_t b = sql.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  sql = sql.substr(b);
  if (base::Lower(sql.substr(0, 5)) == "where" && (sql.size() == 5 || std::isspace(static_cast<unsigned char>(sql[5]))))
    sql = sql.substr(5);
  return sql;
}

// Binds the values to ?1, ?2 ... (those the statement does not use are skipped), from the start.
db::Statement& Bind(db::Statement& st, const std::vector<db::Variant>& params) {
  st.reset();
  st.clearBindings();
  const int used = st.parameterCount();
  for (std::size_t i = 0; i < params.size() && static_cast<int>(i) < used; ++i)
    st.bind(static_cast<int>(i) + 1, params[i]);
  return st;
}

}  // namespace

// ---- record source ----

RecordSource::RecordSource(db::Connection& connection, std::string view, std::string keyField)
    : connection_(connection), view_(std::move(view)), keyField_(std::move(keyField)) {}

RecordSource::~RecordSource() { dropStatements(); }

void RecordSource::setCondition(const std::string& condition) {
  condition_ = condition;
  conditionSql_ = ConditionExpression(condition);
  dropStatements();
}

void RecordSource::setColumns(std::vector<std::string> names) {
  requested_ = std::move(names);
  if (open_) {
    buildFetchList();
    cache_.clear();
    ++generation_;
  }
}

void RecordSource::setSort(const std::string& column, bool descending) {
  sortColumn_ = column;
  descending_ = descending;
  if (open_) {
    buildFetchList();
    cache_.clear();
    ++generation_;
  }
  dropStatements();
}

std::string RecordSource::sortText() const {
  return (sortColumn_.empty() ? keyField_ : sortColumn_) + (descending_ ? " DESC" : " ASC");
}

void RecordSource::setPageSize(int rows) {
  pageSize_ = std::max(1, rows);
  cache_.clear();
  ++generation_;
}

void RecordSource::open() {
  checkHandle();
  // Let the engine say what is wrong with a missing view or a bad condition.
  statement("SELECT * FROM " + quoted(view_) + (conditionSql_.empty() ? "" : " WHERE " + conditionSql_) +
            " LIMIT 0");
  viewColumns_ = connection_.columnNames(view_);
  buildFetchList();
  open_ = true;
  requery();
}

void RecordSource::requery() {
  if (!open_) {
    open();
    return;
  }
  cache_.clear();
  ++generation_;
  count_ = 0;
  db::Statement& st = Bind(statement("SELECT count(*) " + fromClause("")), {});
  if (st.step()) count_ = st.int64(0);
  st.reset();
}

void RecordSource::close() {
  dropStatements();
  cache_.clear();
  ++generation_;
  open_ = false;
  count_ = 0;
}

bool RecordSource::hasData(int column) const {
  return column >= 0 && column < static_cast<int>(columnSlot_.size()) && columnSlot_[column] >= 0;
}

void RecordSource::buildFetchList() {
  auto resolve = [this](const std::string& name) -> std::string {
    const std::string wanted = base::Lower(name);
    for (const auto& c : viewColumns_)
      if (base::Lower(c) == wanted) return c;
    return {};
  };
  columns_ = requested_.empty() ? viewColumns_ : requested_;
  fetched_.clear();
  columnSlot_.clear();
  auto slotOf = [this](const std::string& viewColumn) {
    auto it = std::find(fetched_.begin(), fetched_.end(), viewColumn);
    if (it != fetched_.end()) return static_cast<int>(it - fetched_.begin());
    fetched_.push_back(viewColumn);
    return static_cast<int>(fetched_.size()) - 1;
  };
  for (const auto& name : columns_) {
    const std::string c = resolve(name);
    columnSlot_.push_back(c.empty() ? -1 : slotOf(c));
  }
  const std::string key = resolve(keyField_);
  keySlot_ = slotOf(key.empty() ? keyField_ : key);
  sortField_ = sortColumn_.empty() ? std::string() : resolve(sortColumn_);
  if (!sortField_.empty() && base::Lower(sortField_) == base::Lower(keyField_)) sortField_.clear();
  sortSlot_ = sortField_.empty() ? keySlot_ : slotOf(sortField_);
  // An empty column ties everywhere: the key breaks the ties, ascending.
  keyDescending_ = descending_ && (sortColumn_.empty() || base::Lower(sortColumn_) == base::Lower(keyField_));
}

bool RecordSource::sortsByKey() const { return sortField_.empty(); }

std::string RecordSource::orderBy() const {
  auto bracketed = [](const std::string& name) { return "[" + name + "]"; };
  const std::string key = bracketed(keyField_);
  // The view's own column names; one that cannot stand in brackets leaves the key's order.
  if (sortsByKey() || sortField_.find(']') != std::string::npos) return " order by " + key + (keyDescending_ ? " DESC" : " ASC");
  return " order by " + bracketed(sortField_) + (descending_ ? " DESC" : " ASC") + ", " + key + " ASC";
}

std::string RecordSource::quoted(const std::string& name) const {
  std::string out = "\"";
  for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string RecordSource::fromClause(const std::string& predicate) const {
  std::string sql = "FROM " + quoted(view_);
  if (!conditionSql_.empty() && !predicate.empty())
    sql += " WHERE (" + conditionSql_ + ") AND " + predicate;
  else if (!conditionSql_.empty())
    sql += " WHERE " + conditionSql_;
  else if (!predicate.empty())
    sql += " WHERE " + predicate;
  return sql;
}

std::string RecordSource::orderClause(bool reversed) const {
  const std::string key = quoted(keyField_);
  if (sortsByKey()) return " ORDER BY " + key + ((keyDescending_ != reversed) ? " DESC" : " ASC");
  return " ORDER BY " + quoted(sortField_) + ((descending_ != reversed) ? " DESC" : " ASC") + ", " + key +
         (reversed ? " DESC" : " ASC");
}

// Rows strictly after the row (?2 = its sort value, ?3 = its key) in the order (reversed or
// not). Nulls come first in ascending order and last in descending order, as the engine sorts.
std::string RecordSource::afterPredicate(bool reversed, bool sortValueNull) const {
  const std::string key = quoted(keyField_);
  if (sortsByKey()) return key + ((keyDescending_ != reversed) ? " < ?3" : " > ?3");
  const std::string col = quoted(sortField_);
  const bool desc = descending_ != reversed;
  std::string beyond;
  if (!desc)
    beyond = sortValueNull ? col + " IS NOT NULL" : col + " > ?2";
  else
    beyond = sortValueNull ? "0" : "(" + col + " < ?2 OR " + col + " IS NULL)";
  const std::string same = sortValueNull ? col + " IS NULL" : col + " = ?2";
  const std::string keyBeyond = key + (reversed ? " < ?3" : " > ?3");
  return "(" + beyond + " OR (" + same + " AND " + keyBeyond + "))";
}

db::Statement& RecordSource::statement(const std::string& sql) {
  checkHandle();
  auto it = statements_.find(sql);
  if (it == statements_.end()) it = statements_.emplace(sql, db::Statement::Native(connection_, sql)).first;
  return it->second;
}

void RecordSource::dropStatements() { statements_.clear(); }

void RecordSource::checkHandle() {
  // Statements of an earlier open died with it.
  const std::uint64_t now = connection_.isOpen() ? connection_.openCount() : 0;
  if (now != openSeen_) dropStatements();
  connection_.open();
  openSeen_ = connection_.openCount();
}

RecordPageCache::Page RecordSource::runPageQuery(const std::string& sql, const std::vector<db::Variant>& params,
                                                 std::int64_t expected, bool reversed) {
  ++pageReads_;
  db::Statement& st = Bind(statement(sql), params);
  RecordPageCache::Page rows;
  rows.reserve(static_cast<std::size_t>(expected));
  const int n = static_cast<int>(fetched_.size());
  while (static_cast<std::int64_t>(rows.size()) < expected && st.step()) {
    RecordPageCache::Row row;
    row.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) row.push_back(st.value(i));
    rows.push_back(std::move(row));
  }
  st.reset();
  if (reversed) std::reverse(rows.begin(), rows.end());
  // Rows that went away since the count read as empty rows at the end.
  rows.resize(static_cast<std::size_t>(expected));
  return rows;
}

RecordPageCache::Page RecordSource::readPage(std::int64_t page) {
  const std::int64_t k = pageSize_;
  const std::int64_t start = page * k;
  const std::int64_t end = std::min(start + k, count_);
  const std::int64_t n = end - start;
  std::string columns;
  for (const auto& c : fetched_) columns += (columns.empty() ? "" : ", ") + quoted(c);
  const std::string select = "SELECT " + columns + " ";

  // From a neighbouring page, by key: the rows after its last row or before its first row.
  auto boundary = [&](std::int64_t neighbour, bool last) -> std::optional<RecordPageCache::Row> {
    if (neighbour < 0 || !cache_.contains(neighbour)) return std::nullopt;
    const RecordPageCache::Page* p = cache_.find(neighbour);
    if (!p || p->empty()) return std::nullopt;
    const RecordPageCache::Row& row = last ? p->back() : p->front();
    if (row.empty() || row[keySlot_].isNull()) return std::nullopt;
    return row;
  };
  for (bool reversed : {false, true}) {
    auto row = boundary(reversed ? page + 1 : page - 1, !reversed);
    if (!row) continue;
    const db::Variant sortValue = (*row)[sortSlot_];
    const std::string sql = select + fromClause(afterPredicate(reversed, sortValue.isNull())) +
                            orderClause(reversed) + " LIMIT ?1";
    return runPageQuery(sql, {db::Variant(n), sortValue, (*row)[keySlot_]}, n, reversed);
  }
  // A far jump: from whichever end is nearer.
  const bool fromEnd = start > count_ - end;
  const std::int64_t offset = fromEnd ? count_ - end : start;
  const std::string sql = select + fromClause("") + orderClause(fromEnd) + " LIMIT ?1 OFFSET ?2";
  return runPageQuery(sql, {db::Variant(n), db::Variant(offset)}, n, fromEnd);
}

const RecordPageCache::Row* RecordSource::rowAt(std::int64_t row) {
  if (!open_ || row < 0 || row >= count_) return nullptr;
  const std::int64_t page = row / pageSize_;
  const RecordPageCache::Page* p = cache_.find(page);
  if (!p) p = &cache_.insert(page, readPage(page));
  const auto index = static_cast<std::size_t>(row - page * pageSize_);
  if (index >= p->size() || (*p)[index].empty()) return nullptr;
  return &(*p)[index];
}

db::Variant RecordSource::value(std::int64_t row, int column) {
  if (!hasData(column)) return {};
  const RecordPageCache::Row* r = rowAt(row);
  return r ? (*r)[columnSlot_[column]] : db::Variant();
}

db::Variant RecordSource::key(std::int64_t row) {
  const RecordPageCache::Row* r = rowAt(row);
  return r ? (*r)[keySlot_] : db::Variant();
}

std::int64_t RecordSource::rowOfKey(const db::Variant& key) {
  if (!open_ || key.isNull() || count_ == 0) return -1;
  const std::string keyName = quoted(keyField_);
  const std::string sortName = sortsByKey() ? keyName : quoted(sortField_);
  db::Statement& found =
      Bind(statement("SELECT " + sortName + " " + fromClause(keyName + " = ?1") + " LIMIT 1"), {key});
  if (!found.step()) {
    found.reset();
    return -1;
  }
  const db::Variant sortValue = found.value(0);
  found.reset();
  // The rows before it: those after it in the reversed order.
  db::Statement& count = Bind(statement("SELECT count(*) " + fromClause(afterPredicate(true, sortValue.isNull()))),
                              {db::Variant(), sortValue, key});
  std::int64_t before = count.step() ? count.int64(0) : 0;
  count.reset();
  return before;
}

}  // namespace velmora::records
