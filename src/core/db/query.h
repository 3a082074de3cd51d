#pragma once
// A statement on a connection and its rows as a static, scrollable rowset: every row is read
// when the statement is opened, so the record count is known at once and the set does not
// change under the caller until it is re-queried. Rows can be edited, appended and deleted;
// the change goes to the table the columns come from.
//
// Meant for the program's small and medium sets (catalogue, codes, rule rows, one record, a
// group list). Lists over all records read pages by key instead (see the record list).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/db/connection.h"

namespace velmora::db {

class Query;

// One column of the current row.
class Field {
 public:
  Field(Query& q, int index) : q_(&q), index_(index) {}
  const std::string& name() const;
  Variant value() const;
  bool isNull() const { return value().isNull(); }
  std::string asString() const { return value().toString(); }
  std::int32_t asInteger() const { return value().toInt(); }
  std::int64_t asInt64() const { return value().toInt64(); }
  double asFloat() const { return value().toDouble(); }
  bool asBoolean() const { return value().toBool(); }
  // Sets the value in the edit buffer (the rowset must be in edit or append state).
  void setValue(const Variant& v);
  Field& operator=(const Variant& v) {
    setValue(v);
    return *this;
  }

 private:
  Query* q_;
  int index_;
};

// A place in a rowset: the row's key (or its position when the rows have no key).
struct Bookmark {
  std::int64_t row = -1;
  std::vector<Variant> key;
  bool valid() const { return row >= 0; }
};

class Query {
 public:
  enum class State { Inactive, Browse, Edit, Insert };

  explicit Query(Connection& connection);
  ~Query();
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  Connection& connection() { return *conn_; }

  // The statement, in lines as the program builds it.
  void clearSql();
  void addSql(const std::string& line);
  void setSql(const std::string& text);
  std::string sql() const;
  void setParam(const std::string& name, const Variant& value);
  void clearParams() { params_.clear(); }

  // Opens a statement returning rows; throws DbError.
  void open();
  // Runs a statement returning no rows; returns the rows changed.
  std::int64_t execSql();
  void close();
  bool active() const { return state_ != State::Inactive; }
  State state() const { return state_; }
  // Re-runs the statement, keeping the sort; the position goes to the first row.
  void requery();

  // Navigation. recNo() is 1-based, 0 when there are no rows.
  void first();
  void next();
  void prior();
  void last();
  bool eof() const;
  bool bof() const;
  std::int64_t recordCount() const { return static_cast<std::int64_t>(order_.size()); }
  std::int64_t recNo() const;
  void setRecNo(std::int64_t n);
  bool isEmpty() const { return order_.empty(); }
  // Moves to the first row (in the current order) whose field equals the value exactly.
  bool locate(const std::string& fieldName, const Variant& value);

  // Fields.
  int fieldCount() const { return static_cast<int>(names_.size()); }
  const std::string& fieldName(int index) const;
  int fieldIndex(const std::string& name) const;  // -1 when missing (case-insensitive)
  bool hasField(const std::string& name) const { return fieldIndex(name) >= 0; }
  Field field(int index);
  Field fieldByName(const std::string& name);  // throws DbError when missing
  Field operator[](const std::string& name) { return fieldByName(name); }
  Variant value(int row, int column) const;  // row in the current order, 0-based

  // Changes.
  void edit();
  void append();
  void post();
  void cancel();
  void deleteRow();

  // Bookmarks.
  Bookmark bookmark() const;
  // Returns to a bookmarked row; throws DbError when the row is no longer in the set.
  void gotoBookmark(const Bookmark& b);
  bool bookmarkValid(const Bookmark& b) const;

  // Client-side sort: "c901 ASC", "Name DESC", several separated by commas; "" restores the
  // engine's order.
  void setSort(const std::string& sort);
  const std::string& sort() const { return sort_; }

 private:
  friend class Field;
  void load();
  void requireActive() const;
  void requireRow() const;
  std::int64_t physicalRow() const;
  std::vector<Variant>& editRow();
  void applySort();
  std::vector<Variant> keyOf(std::int64_t physical) const;
  struct Origin;
  const Origin& origin();

  Connection* conn_;
  std::vector<std::string> lines_;
  std::map<std::string, Variant> params_;
  std::vector<std::string> names_;
  std::vector<std::string> tables_;   // origin table of each column ("" for expressions)
  std::vector<std::string> columns_;  // origin column of each column
  std::vector<std::vector<Variant>> rows_;
  std::vector<std::int64_t> order_;   // rows in the current order
  std::int64_t pos_ = -1;             // index into order_; -1 before the first row, size() at eof
  State state_ = State::Inactive;
  std::vector<Variant> buffer_;
  std::string sort_;
  std::unique_ptr<Origin> origin_;
};

// A table read directly by name, in the order of a named index, optionally filtered
// ("dt_fieldlist" by "sequence", "CT_Economic" with "ID<>0").
class Table : public Query {
 public:
  explicit Table(Connection& connection) : Query(connection) {}
  void setTableName(const std::string& name) { table_ = name; }
  const std::string& tableName() const { return table_; }
  void setIndexName(const std::string& name) { index_ = name; }
  void setFilter(const std::string& filter) { filter_ = filter; }
  void setFiltered(bool on) { filtered_ = on; }
  bool filtered() const { return filtered_; }
  void open();

 private:
  std::string orderClause();
  std::string table_, index_, filter_;
  bool filtered_ = false;
};

}  // namespace velmora::db
