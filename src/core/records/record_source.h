#pragma once
// Paged access to a record list of any size: the list's rows (a view, optionally narrowed by a
// condition) in the order of one column with the key breaking ties, read in pages by key as
// they are needed. Only the count and the pages in use are ever held: memory stays bounded
// whatever the number of records.
//
// A page is read from a neighbouring cached page by key ("the k rows after this one"); a far
// jump reads from whichever end of the list is nearer (reversed order for the end). Every
// re-query, new order or new column set starts a new generation: pages of an older generation
// are dropped.

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/db/connection.h"
#include "core/db/statement.h"
#include "core/db/variant.h"


namespace velmora::records {

// A bounded cache of pages of rows, least recently used page dropped first.
class RecordPageCache {
 public:
  using Row = std::vector<db::Variant>;
  using Page = std::vector<Row>;

  explicit RecordPageCache(std::size_t maxPages) : maxPages_(maxPages < 1 ? 1 : maxPages) {}
  // The page, marked as the most recently used; nullptr when not cached.
  const Page* find(std::int64_t page);
  // Whether the page is cached, without marking it used.
  bool contains(std::int64_t page) const { return index_.count(page) > 0; }
  const Page& insert(std::int64_t page, Page rows);
  void clear();
  std::size_t size() const { return index_.size(); }
  std::size_t maxPages() const { return maxPages_; }
  void setMaxPages(std::size_t maxPages);

 private:
  struct Entry {
    std::int64_t page;
    Page rows;
  };
  void trim();
  std::size_t maxPages_;
  std::list<Entry> entries_;  // most recently used first
  std::unordered_map<std::int64_t, std::list<Entry>::iterator> index_;
};

class RecordSource {
 public:
  explicit RecordSource(db::Connection& connection, std::string view = "view_data", std::string keyField = "c901");
  ~RecordSource();
  RecordSource(const RecordSource&) = delete;
  RecordSource& operator=(const RecordSource&) = delete;

  // A condition in the program's dialect, starting with "where " ("" for every row). Takes
  // effect at the next open or re-query.
  void setCondition(const std::string& condition);
  const std::string& condition() const { return condition_; }

  // The columns the list shows, by name; a name the view lacks gives an empty column. No names:
  // every column of the view. Takes effect at the next open or re-query.
  void setColumns(std::vector<std::string> names);

  // The order: one column ascending or descending, the key breaking ties (ascending); "" orders
  // by the key alone. A column the view lacks orders by the key. Drops the cached pages.
  void setSort(const std::string& column, bool descending);
  void resetSort() { setSort("", false); }
  const std::string& sortColumn() const { return sortColumn_; }
  bool sortDescending() const { return descending_; }
  // The order as the program writes it: "c901 ASC", "z002 DESC".
  std::string sortText() const;
  // The rows' order as a clause of the program's dialect, for a statement that must read the
  // records as the list shows them: " order by [z002] DESC, [c901] ASC" (known once open).
  std::string orderBy() const;

  // Reads the view's columns and counts the rows; throws db::DbError.
  void open();
  // Counts again and drops every cached page (a new generation).
  void requery();
  void close();
  bool isOpen() const { return open_; }

  std::int64_t count() const { return count_; }
  bool isEmpty() const { return count_ == 0; }
  std::uint64_t generation() const { return generation_; }

  // The columns as set (or every column of the view) and whether the view has each.
  const std::vector<std::string>& columns() const { return columns_; }
  int columnCount() const { return static_cast<int>(columns_.size()); }
  bool hasData(int column) const;
  // Every column of the view, in its order (known once open).
  const std::vector<std::string>& viewColumns() const { return viewColumns_; }

  // Row `row` (0-based, in the current order): one column's value, or the key. Reads the page
  // when it is not cached; a row outside the list reads as null. Throws db::DbError.
  db::Variant value(std::int64_t row, int column);
  db::Variant key(std::int64_t row);

  // The row now holding this key under the current order, or -1 when the key is gone.
  std::int64_t rowOfKey(const db::Variant& key);

  // Paging, for tuning and tests: rows per page and the pages kept.
  void setPageSize(int rows);
  int pageSize() const { return pageSize_; }
  void setMaxPages(std::size_t pages) { cache_.setMaxPages(pages); }
  std::size_t cachedPages() const { return cache_.size(); }
  // Statements run to read pages since the source was made (a measure of the paging).
  std::int64_t pageReads() const { return pageReads_; }

 private:
  const RecordPageCache::Row* rowAt(std::int64_t row);
  RecordPageCache::Page readPage(std::int64_t page);
  RecordPageCache::Page runPageQuery(const std::string& sql, const std::vector<db::Variant>& params,
                                     std::int64_t expected, bool reversed);
  db::Statement& statement(const std::string& sql);
  void dropStatements();
  void checkHandle();
  void buildFetchList();
  std::string quoted(const std::string& name) const;
  std::string fromClause(const std::string& predicate) const;
  std::string orderClause(bool reversed) const;
  std::string afterPredicate(bool reversed, bool sortValueNull) const;
  bool sortsByKey() const;

  db::Connection& connection_;
  std::string view_;
  std::string keyField_;
  std::string condition_;
  std::string conditionSql_;  // translated condition without its "where"
  std::vector<std::string> requested_;
  std::vector<std::string> columns_;
  std::vector<std::string> viewColumns_;
  std::vector<int> columnSlot_;        // column -> position in a fetched row, -1 without data
  std::vector<std::string> fetched_;   // the view's columns each page reads
  int keySlot_ = 0;
  int sortSlot_ = 0;
  std::string sortColumn_;   // as asked
  std::string sortField_;    // the view's column ordered by ("" = key)
  bool descending_ = false;
  bool keyDescending_ = false;  // the key's direction when it alone orders the rows
  bool open_ = false;
  std::int64_t count_ = 0;
  std::uint64_t generation_ = 0;
  int pageSize_ = 128;
  RecordPageCache cache_{64};
  std::int64_t pageReads_ = 0;
  std::uint64_t openSeen_ = 0;  // the connection's open the statements belong to
  std::map<std::string, db::Statement> statements_;
};

}  // namespace velmora::records
