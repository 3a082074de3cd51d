#pragma once
// A prepared statement on a connection, and a transaction that rolls back unless committed.
// Every statement outside core/db goes through these; the engine's own handles stay in here.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "core/db/connection.h"
#include "core/db/variant.h"

struct sqlite3_stmt;

namespace velmora::db {

// The kind of value a column holds in the current row.
enum class ValueKind { Null, Integer, Float, Text, Blob };

class Statement {
 public:
  Statement() = default;
  // Prepares one statement in the program's dialect (translated; the files it names attached).
  Statement(Connection& connection, const std::string& jetSql);
  // Prepares one statement as the engine reads it, without translation.
  static Statement Native(Connection& connection, const std::string& sqliteSql);
  // As Native, and fails when the text holds more than the one statement.
  static Statement NativeSingle(Connection& connection, const std::string& sqliteSql);
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool valid() const { return st_ != nullptr; }
  explicit operator bool() const { return valid(); }

  // Parameters by position (1-based) or by name (":name", "@name", "$name"; the prefix may be left
  // out). A name the statement does not use throws. Binding a statement that has stepped starts it
  // over (as reset() does), so the next step uses the values bound now.
  Statement& bind(int index, const Variant& value);
  Statement& bind(const std::string& name, const Variant& value);
  // Binds every parameter the statement names that the map holds; others stay as they are.
  Statement& bindAll(const std::map<std::string, Variant>& params);
  // Binds of one kind for loops that write many rows. bindStaticText does not copy: the text must
  // stay as it is until the statement has stepped.
  Statement& bindInt64(int index, std::int64_t value);
  Statement& bindDouble(int index, double value);
  Statement& bindNull(int index);
  Statement& bindText(int index, std::string_view text);
  Statement& bindStaticText(int index, std::string_view text);
  Statement& clearBindings();
  int parameterCount() const;

  // One step: true while a row is ready, false when the statement is done; a failure throws DbError
  // with the engine's text and resets the statement.
  bool step();
  // Steps to the end and returns the rows the statement changed.
  std::int64_t run();
  // Back to the start, bindings kept.
  void reset();

  int columnCount() const;
  std::string columnName(int column) const;
  // The type the table declares for the column the result column comes from ("VARCHAR(60)",
  // "INTEGER"); "" for an expression.
  std::string declaredType(int column) const;
  ValueKind kind(int column) const;
  bool isNull(int column) const { return kind(column) == ValueKind::Null; }
  // The column's index by name, compared without regard to ASCII letter case; -1 when absent.
  int findColumn(std::string_view name) const;
  Variant value(int column) const;
  std::int64_t int64(int column) const;
  // The column's value when it is stored as a number (integer or float): one engine call for the kind
  // and the value together, for loops over many columns. Null, text and blobs give nullopt.
  std::optional<double> number(int column) const;
  double real(int column) const;
  std::string text(int column) const;
  // The text without a copy, valid until the statement steps, resets or goes.
  std::string_view textView(int column) const;

  // The statement's text after translation, as the engine prepared it.
  std::string sql() const;

 private:
  explicit Statement(sqlite3_stmt* st) : st_(st) {}
  void require() const;
  void check(int rc, int index) const;
  template <class BindOnce>
  void bindRetried(BindOnce bindOnce, int index);
  sqlite3_stmt* st_ = nullptr;
};

// Begins a transaction on the connection; rolls it back when it goes out of scope uncommitted.
class Transaction {
 public:
  explicit Transaction(Connection& connection);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void commit();
  void rollback();
  bool active() const { return active_; }

 private:
  Connection& connection_;
  bool active_ = false;
};

}  // namespace velmora::db
