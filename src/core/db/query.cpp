#include "core/db/query.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <numeric>
#include <sstream>

#include "core/base/quoting.h"
#include "core/base/text.h"

namespace velmora::db {

namespace {

// Names in statements that go through the dialect translation are bracketed (Jet reads double
// quotes as text); statements prepared natively use SQLite's double quotes.
std::string Bracketed(const std::string& name) { return "[" + name + "]"; }

struct Statement {
  sqlite3_stmt* st = nullptr;
  ~Statement() { sqlite3_finalize(st); }
};

}  // namespace

// The table that edits, appends and deletes go to, and how a row of it is found again.
struct Query::Origin {
  std::string table;                 // empty: the rows cannot be changed
  std::vector<int> keyColumns;       // rowset columns that identify a row of the table
  std::string why;                   // why the rows cannot be changed
};

// ---- Field -------------------------------------------------------------------------------

const std::string& Field::name() const { return q_->names_.at(static_cast<std::size_t>(index_)); }

Variant Field::value() const {
  if (q_->state_ == Query::State::Edit || q_->state_ == Query::State::Insert)
    return q_->buffer_.at(static_cast<std::size_t>(index_));
  q_->requireRow();
  return q_->rows_[static_cast<std::size_t>(q_->physicalRow())][static_cast<std::size_t>(index_)];
}

void Field::setValue(const Variant& v) {
  if (q_->state_ != Query::State::Edit && q_->state_ != Query::State::Insert)
    throw DbError("数据集不在编辑或插入状态");
  q_->buffer_.at(static_cast<std::size_t>(index_)) = v;
}

// ---- Query -------------------------------------------------------------------------------

Query::Query(Connection& connection) : conn_(&connection) {}
Query::~Query() = default;

void Query::clearSql() {
  close();
  lines_.clear();
}
void Query::addSql(const std::string& line) { lines_.push_back(line); }
void Query::setSql(const std::string& text) {
  clearSql();
  lines_.push_back(text);
}
std::string Query::sql() const {
  std::string s;
  for (std::size_t i = 0; i < lines_.size(); ++i) s += (i ? "\n" : "") + lines_[i];
  return s;
}
void Query::setParam(const std::string& name, const Variant& value) { params_[name] = value; }

void Query::open() {
  close();
  load();
  state_ = State::Browse;
  first();
}

void Query::load() {
  rows_.clear();
  names_.clear();
  tables_.clear();
  columns_.clear();
  origin_.reset();
  Statement s;
  try {
    s.st = conn_->prepare(sql());
    BindParameters(s.st, params_);
    int n = sqlite3_column_count(s.st);
    for (int i = 0; i < n; ++i) {
      names_.emplace_back(sqlite3_column_name(s.st, i));
      const char* db = sqlite3_column_database_name(s.st, i);
      const char* table = sqlite3_column_table_name(s.st, i);
      const char* column = sqlite3_column_origin_name(s.st, i);
      bool mainTable = table && (!db || std::string(db) == "main");
      tables_.emplace_back(mainTable ? table : "");
      columns_.emplace_back(mainTable && column ? column : "");
    }
    int rc;
    while ((rc = sqlite3_step(s.st)) == SQLITE_ROW) {
      std::vector<Variant> row;
      row.reserve(static_cast<std::size_t>(n));
      for (int i = 0; i < n; ++i) row.push_back(ColumnValue(s.st, i));
      rows_.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) throw DbError(sqlite3_errmsg(conn_->handle()), sqlite3_extended_errcode(conn_->handle()));
  } catch (...) {
    if (!conn_->inTransaction()) conn_->detachAll();
    throw;
  }
  if (!conn_->inTransaction()) conn_->detachAll();
  order_.resize(rows_.size());
  std::iota(order_.begin(), order_.end(), 0);
  applySort();
}

std::int64_t Query::execSql() {
  close();
  return conn_->execute(sql(), params_);
}

void Query::close() {
  state_ = State::Inactive;
  rows_.clear();
  order_.clear();
  buffer_.clear();
  pos_ = -1;
}

void Query::requery() {
  if (state_ == State::Inactive) {
    open();
    return;
  }
  load();
  state_ = State::Browse;
  first();
}

void Query::requireActive() const {
  if (state_ == State::Inactive) throw DbError("数据集没有打开");
}

void Query::requireRow() const {
  requireActive();
  if (pos_ < 0 || pos_ >= recordCount()) throw DbError("当前没有记录（BOF 或 EOF）");
}

std::int64_t Query::physicalRow() const { return order_[static_cast<std::size_t>(pos_)]; }

void Query::first() {
  requireActive();
  pos_ = order_.empty() ? -1 : 0;
  if (order_.empty()) pos_ = 0;  // bof and eof both hold on an empty set
}
void Query::next() {
  requireActive();
  if (pos_ < recordCount()) ++pos_;
}
void Query::prior() {
  requireActive();
  if (pos_ >= 0) --pos_;
}
void Query::last() {
  requireActive();
  pos_ = recordCount() - 1;
  if (order_.empty()) pos_ = 0;
}
bool Query::eof() const { return state_ == State::Inactive || order_.empty() || pos_ >= recordCount(); }
bool Query::bof() const { return state_ == State::Inactive || order_.empty() || pos_ < 0; }

std::int64_t Query::recNo() const {
  if (state_ == State::Inactive || pos_ < 0 || pos_ >= recordCount()) return 0;
  return pos_ + 1;
}

void Query::setRecNo(std::int64_t n) {
  requireActive();
  if (n < 1 || n > recordCount()) throw DbError("记录号超出范围");
  pos_ = n - 1;
}

bool Query::locate(const std::string& fieldName, const Variant& value) {
  requireActive();
  int c = fieldIndex(fieldName);
  if (c < 0) throw DbError("字段 '" + fieldName + "' 不存在");
  for (std::int64_t i = 0; i < recordCount(); ++i) {
    if (rows_[static_cast<std::size_t>(order_[static_cast<std::size_t>(i)])][static_cast<std::size_t>(c)].sameAs(value)) {
      pos_ = i;
      return true;
    }
  }
  return false;
}

const std::string& Query::fieldName(int index) const { return names_.at(static_cast<std::size_t>(index)); }

int Query::fieldIndex(const std::string& name) const {
  std::string wanted = base::Lower(name);
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (base::Lower(names_[i]) == wanted) return static_cast<int>(i);
  return -1;
}

Field Query::field(int index) {
  if (index < 0 || index >= fieldCount()) throw DbError("字段序号超出范围");
  return Field(*this, index);
}

Field Query::fieldByName(const std::string& name) {
  int i = fieldIndex(name);
  if (i < 0) throw DbError("字段 '" + name + "' 不存在");
  return Field(*this, i);
}

Variant Query::value(int row, int column) const {
  return rows_.at(static_cast<std::size_t>(order_.at(static_cast<std::size_t>(row)))).at(static_cast<std::size_t>(column));
}

// ---- changes -----------------------------------------------------------------------------

const Query::Origin& Query::origin() {
  if (origin_) return *origin_;
  origin_ = std::make_unique<Origin>();
  std::string table;
  for (std::size_t i = 0; i < tables_.size(); ++i) {
    if (tables_[i].empty()) continue;
    if (table.empty()) table = tables_[i];
    else if (base::Lower(table) != base::Lower(tables_[i])) {
      origin_->why = "数据集的列来自多个表，不能更新";
      return *origin_;
    }
  }
  if (table.empty()) {
    origin_->why = "数据集不能更新";
    return *origin_;
  }
  origin_->table = table;
  // The table's own key when the rowset carries it, otherwise every column read from it.
  std::vector<std::string> pk;
  Statement s;
  s.st = conn_->prepareNative("SELECT name FROM pragma_table_info(?1) WHERE pk>0 ORDER BY pk");
  sqlite3_bind_text(s.st, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  while (sqlite3_step(s.st) == SQLITE_ROW) pk.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s.st, 0)));
  std::vector<int> key;
  for (const std::string& k : pk) {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (base::Lower(tables_[i]) == base::Lower(table) && base::Lower(columns_[i]) == base::Lower(k)) {
        key.push_back(static_cast<int>(i));
        break;
      }
    }
  }
  auto columnOf = [&](const std::string& name) {
    for (std::size_t i = 0; i < columns_.size(); ++i)
      if (base::Lower(tables_[i]) == base::Lower(table) && base::Lower(columns_[i]) == base::Lower(name)) return static_cast<int>(i);
    return -1;
  };
  if (pk.empty() || key.size() != pk.size()) {
    // A unique index the rowset carries (dt_data's c901) identifies the row as well.
    key.clear();
    Statement idx;
    idx.st = conn_->prepareNative("SELECT name FROM pragma_index_list(?1) WHERE \"unique\"=1");
    sqlite3_bind_text(idx.st, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    while (key.empty() && sqlite3_step(idx.st) == SQLITE_ROW) {
      Statement cols;
      cols.st = conn_->prepareNative("SELECT name FROM pragma_index_info(?1)");
      sqlite3_bind_text(cols.st, 1, reinterpret_cast<const char*>(sqlite3_column_text(idx.st, 0)), -1, SQLITE_TRANSIENT);
      std::vector<int> candidate;
      bool complete = true;
      while (sqlite3_step(cols.st) == SQLITE_ROW) {
        const unsigned char* n = sqlite3_column_text(cols.st, 0);
        int c = n ? columnOf(reinterpret_cast<const char*>(n)) : -1;
        if (c < 0) complete = false;
        candidate.push_back(c);
      }
      if (complete && !candidate.empty()) key = candidate;
    }
  }
  if (key.empty()) {
    for (std::size_t i = 0; i < columns_.size(); ++i)
      if (base::Lower(tables_[i]) == base::Lower(table)) key.push_back(static_cast<int>(i));
  }
  origin_->keyColumns = key;
  return *origin_;
}

void Query::edit() {
  requireRow();
  if (state_ == State::Edit) return;
  buffer_ = rows_[static_cast<std::size_t>(physicalRow())];
  state_ = State::Edit;
}

void Query::append() {
  requireActive();
  buffer_.assign(names_.size(), Variant());
  state_ = State::Insert;
}

void Query::cancel() {
  if (state_ == State::Edit || state_ == State::Insert) state_ = State::Browse;
  buffer_.clear();
}

void Query::post() {
  if (state_ != State::Edit && state_ != State::Insert) return;
  const Origin& o = origin();
  if (o.table.empty()) throw DbError(o.why);
  sqlite3* db = conn_->handle();
  if (state_ == State::Edit) {
    std::vector<Variant>& row = rows_[static_cast<std::size_t>(physicalRow())];
    std::string set;
    std::vector<Variant> args;
    for (std::size_t i = 0; i < names_.size(); ++i) {
      if (base::Lower(tables_[i]) != base::Lower(o.table) || columns_[i].empty()) continue;
      if (buffer_[i].sameAs(row[i]) && buffer_[i].raw().index() == row[i].raw().index()) continue;
      set += (set.empty() ? "" : ", ") + base::QuoteSqlName(columns_[i]) + "=?";
      args.push_back(buffer_[i]);
    }
    if (!set.empty()) {
      std::string where;
      for (int k : o.keyColumns) {
        where += (where.empty() ? "" : " AND ") + base::QuoteSqlName(columns_[static_cast<std::size_t>(k)]) + " IS ?";
        args.push_back(row[static_cast<std::size_t>(k)]);
      }
      std::string sql = "UPDATE " + base::QuoteSqlName(o.table) + " SET " + set + " WHERE rowid IN (SELECT rowid FROM " +
                        base::QuoteSqlName(o.table) + " WHERE " + where + " LIMIT 1)";
      Statement s;
      s.st = conn_->prepareNative(sql);
      for (std::size_t i = 0; i < args.size(); ++i) BindValue(s.st, static_cast<int>(i + 1), args[i]);
      if (sqlite3_step(s.st) != SQLITE_DONE) throw DbError(sqlite3_errmsg(db), sqlite3_extended_errcode(db));
      if (sqlite3_changes(db) == 0) throw DbError("要更新的行已经不存在");
    }
    row = buffer_;
  } else {
    std::string cols, marks;
    std::vector<Variant> args;
    for (std::size_t i = 0; i < names_.size(); ++i) {
      if (base::Lower(tables_[i]) != base::Lower(o.table) || columns_[i].empty() || buffer_[i].isNull()) continue;
      cols += (cols.empty() ? "" : ", ") + base::QuoteSqlName(columns_[i]);
      marks += marks.empty() ? "?" : ", ?";
      args.push_back(buffer_[i]);
    }
    std::string sql = cols.empty() ? "INSERT INTO " + base::QuoteSqlName(o.table) + " DEFAULT VALUES"
                                   : "INSERT INTO " + base::QuoteSqlName(o.table) + " (" + cols + ") VALUES (" + marks + ")";
    {
      Statement s;
      s.st = conn_->prepareNative(sql);
      for (std::size_t i = 0; i < args.size(); ++i) BindValue(s.st, static_cast<int>(i + 1), args[i]);
      if (sqlite3_step(s.st) != SQLITE_DONE) throw DbError(sqlite3_errmsg(db), sqlite3_extended_errcode(db));
    }
    // Read the stored row back, so defaults and the new key show in the rowset.
    std::int64_t rowid = sqlite3_last_insert_rowid(db);
    std::string select;
    std::vector<std::size_t> which;
    for (std::size_t i = 0; i < names_.size(); ++i) {
      if (base::Lower(tables_[i]) != base::Lower(o.table) || columns_[i].empty()) continue;
      select += (select.empty() ? "" : ", ") + base::QuoteSqlName(columns_[i]);
      which.push_back(i);
    }
    if (!select.empty()) {
      Statement s;
      s.st = conn_->prepareNative("SELECT " + select + " FROM " + base::QuoteSqlName(o.table) + " WHERE rowid=?1");
      sqlite3_bind_int64(s.st, 1, rowid);
      if (sqlite3_step(s.st) == SQLITE_ROW)
        for (std::size_t j = 0; j < which.size(); ++j) buffer_[which[j]] = ColumnValue(s.st, static_cast<int>(j));
    }
    rows_.push_back(buffer_);
    order_.push_back(static_cast<std::int64_t>(rows_.size() - 1));
    pos_ = recordCount() - 1;
  }
  buffer_.clear();
  state_ = State::Browse;
}

void Query::deleteRow() {
  requireRow();
  const Origin& o = origin();
  if (o.table.empty()) throw DbError(o.why);
  sqlite3* db = conn_->handle();
  const std::vector<Variant>& row = rows_[static_cast<std::size_t>(physicalRow())];
  std::string where;
  for (int k : o.keyColumns)
    where += (where.empty() ? "" : " AND ") + base::QuoteSqlName(columns_[static_cast<std::size_t>(k)]) + " IS ?";
  Statement s;
  s.st = conn_->prepareNative("DELETE FROM " + base::QuoteSqlName(o.table) + " WHERE rowid IN (SELECT rowid FROM " +
                              base::QuoteSqlName(o.table) + " WHERE " + where + " LIMIT 1)");
  int i = 1;
  for (int k : o.keyColumns) BindValue(s.st, i++, row[static_cast<std::size_t>(k)]);
  if (sqlite3_step(s.st) != SQLITE_DONE) throw DbError(sqlite3_errmsg(db), sqlite3_extended_errcode(db));
  order_.erase(order_.begin() + pos_);
  state_ = State::Browse;
  if (pos_ >= recordCount() && recordCount() > 0) pos_ = recordCount() - 1;
}

// ---- bookmarks ---------------------------------------------------------------------------

std::vector<Variant> Query::keyOf(std::int64_t physical) const {
  std::vector<Variant> key;
  if (!origin_ || origin_->table.empty()) return key;
  for (int k : origin_->keyColumns) key.push_back(rows_[static_cast<std::size_t>(physical)][static_cast<std::size_t>(k)]);
  return key;
}

Bookmark Query::bookmark() const {
  Bookmark b;
  if (state_ == State::Inactive || pos_ < 0 || pos_ >= recordCount()) return b;
  b.row = physicalRow();
  const_cast<Query*>(this)->origin();
  b.key = keyOf(b.row);
  return b;
}

bool Query::bookmarkValid(const Bookmark& b) const {
  if (!b.valid() || state_ == State::Inactive) return false;
  for (std::int64_t i = 0; i < recordCount(); ++i) {
    std::int64_t phys = order_[static_cast<std::size_t>(i)];
    if (b.key.empty() ? phys == b.row : keyOf(phys) == b.key) return true;
  }
  return false;
}

void Query::gotoBookmark(const Bookmark& b) {
  requireActive();
  if (b.valid()) {
    if (!b.key.empty()) origin();
    for (std::int64_t i = 0; i < recordCount(); ++i) {
      std::int64_t phys = order_[static_cast<std::size_t>(i)];
      if (b.key.empty() ? phys == b.row : keyOf(phys) == b.key) {
        pos_ = i;
        return;
      }
    }
  }
  throw DbError("书签所指的记录已经不存在");
}

// ---- client-side sort --------------------------------------------------------------------

void Query::setSort(const std::string& sort) {
  sort_ = sort;
  if (state_ == State::Inactive) return;
  Bookmark b = bookmark();
  applySort();
  pos_ = order_.empty() ? 0 : 0;
  if (b.valid()) {
    for (std::int64_t i = 0; i < recordCount(); ++i)
      if (order_[static_cast<std::size_t>(i)] == b.row) pos_ = i;
  }
}

void Query::applySort() {
  std::sort(order_.begin(), order_.end());
  if (sort_.empty()) return;
  std::vector<std::pair<int, bool>> keys;  // column, descending
  std::stringstream in(sort_);
  std::string part;
  while (std::getline(in, part, ',')) {
    std::stringstream words(part);
    std::string name, dir;
    words >> name >> dir;
    if (name.size() > 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
    int c = fieldIndex(name);
    if (c < 0) throw DbError("排序字段 '" + name + "' 不存在");
    keys.emplace_back(c, base::Lower(dir) == "desc");
  }
  std::stable_sort(order_.begin(), order_.end(), [&](std::int64_t a, std::int64_t b) {
    for (auto [c, desc] : keys) {
      int r = Variant::compare(rows_[static_cast<std::size_t>(a)][static_cast<std::size_t>(c)],
                               rows_[static_cast<std::size_t>(b)][static_cast<std::size_t>(c)]);
      if (r != 0) return desc ? r > 0 : r < 0;
    }
    return false;
  });
}

// ---- Table -------------------------------------------------------------------------------

std::string Table::orderClause() {
  if (index_.empty()) return {};
  std::string wanted = base::Lower(index_);
  Connection& c = connection();
  std::vector<std::string> columns;
  {
    Statement s;
    s.st = c.prepareNative("SELECT name FROM pragma_index_list(?1)");
    sqlite3_bind_text(s.st, 1, table_.c_str(), -1, SQLITE_TRANSIENT);
    std::string found;
    while (sqlite3_step(s.st) == SQLITE_ROW) {
      std::string n = reinterpret_cast<const char*>(sqlite3_column_text(s.st, 0));
      std::string ln = base::Lower(n);
      if (ln == wanted || (ln.size() > wanted.size() + 1 && ln.compare(ln.size() - wanted.size() - 1, std::string::npos, "_" + wanted) == 0)) {
        found = n;
        break;
      }
    }
    if (!found.empty()) {
      Statement cols;
      cols.st = c.prepareNative("SELECT name FROM pragma_index_info(?1) ORDER BY seqno");
      sqlite3_bind_text(cols.st, 1, found.c_str(), -1, SQLITE_TRANSIENT);
      while (sqlite3_step(cols.st) == SQLITE_ROW)
        columns.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(cols.st, 0)));
    }
  }
  if (columns.empty()) {
    // "PrimaryKey" names the table's key; any other name that is a column orders by it.
    for (const std::string& col : c.columnNames(table_)) {
      if (base::Lower(col) == wanted) columns.push_back(col);
    }
    if (columns.empty() && wanted == "primarykey") {
      Statement s;
      s.st = c.prepareNative("SELECT name FROM pragma_table_info(?1) WHERE pk>0 ORDER BY pk");
      sqlite3_bind_text(s.st, 1, table_.c_str(), -1, SQLITE_TRANSIENT);
      while (sqlite3_step(s.st) == SQLITE_ROW) columns.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s.st, 0)));
    }
    if (columns.empty()) throw DbError("表 '" + table_ + "' 没有索引 '" + index_ + "'");
  }
  std::string order;
  for (const std::string& col : columns) order += (order.empty() ? " ORDER BY " : ", ") + Bracketed(col);
  return order;
}

void Table::open() {
  std::string sql = "SELECT * FROM " + Bracketed(table_);
  if (filtered_ && !filter_.empty()) sql += " WHERE " + filter_;
  sql += orderClause();
  setSql(sql);
  Query::open();
}

}  // namespace velmora::db
