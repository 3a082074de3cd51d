#pragma once
// One connection to a database file, defined by a Jet-style connection string
// ("Provider=...;Data Source=<file>;Mode=ReadWrite;..."). Only the file and the mode are read.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/db/error.h"
#include "core/db/variant.h"

struct sqlite3;
struct sqlite3_stmt;

namespace velmora::db {

// How long a connection waits for a lock that another program holds before it gives up.
inline constexpr int kBusyTimeoutMs = 5000;

class Connection {
 public:
  Connection();
  explicit Connection(const std::string& connectionString);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Defining the connection does not open it; the first statement (or open()) does.
  void setConnectionString(const std::string& connectionString);
  const std::string& connectionString() const { return connectionString_; }
  const std::string& dataSource() const { return dataSource_; }
  static std::string DataSourceOf(const std::string& connectionString);
  // A value as it goes into a connection string: quoted when it holds ';', '"' or outer blanks.
  static std::string QuoteValue(const std::string& value);

  // Opens the file (never creates it) and checks that it is a database; throws DbError.
  void open();
  void close();
  bool isOpen() const { return db_ != nullptr; }

  // A transaction of a connection that may write takes the write lock at its start (waiting the
  // busy timeout for another program's transaction to end), so that its first write never fails
  // at once on a lock it could not upgrade.
  void beginTrans();
  void commitTrans();
  void rollbackTrans();
  bool inTransaction() const { return transactionDepth_ > 0; }

  // Names of the user tables (views excluded); TableExists compares without regard to case.
  std::vector<std::string> tableNames();
  bool TableExists(const std::string& name);
  // Column names of a table or view in their order; empty when it does not exist.
  std::vector<std::string> columnNames(const std::string& tableOrView);

  // Runs a statement (or several separated by ';') that returns no rows, through the dialect
  // translation; binds named parameters (":name") when given. Returns the rows changed.
  std::int64_t execute(const std::string& sql, const std::map<std::string, Variant>& params = {});

  // Runs statements in the engine's own dialect (pragmas, several separated by ';') as they stand,
  // without translation or parameters.
  void executeNative(const std::string& sqliteSql);

  // Opens a private database in memory (for statements that name no table); throws DbError.
  void openInMemory();

  // Counts the opens of this connection: a cache of prepared statements compares it to know
  // whether its statements still belong to the open engine.
  std::uint64_t openCount() const { return openCount_; }

  // A function that statements on this connection may call, for as long as it stays open. A
  // DbError it throws fails the statement with its text.
  using ScalarFunction = std::function<Variant(const std::vector<Variant>& arguments)>;
  void createFunction(const std::string& name, int argumentCount, ScalarFunction function);

  // Hands the text of every statement, as it starts to run, to `trace` (diagnostics and tests);
  // an empty function ends the tracing.
  using StatementTrace = std::function<void(const std::string& sql)>;
  void traceStatements(StatementTrace trace);

  // Milliseconds to wait for a lock held by another program before failing.
  void setBusyTimeout(int ms);

  // For a file from elsewhere, set before open(): from the first read of its schema on, the engine
  // runs in defensive mode with the schema untrusted, views and triggers disabled, no further files
  // attached, and any value longer than `maxValueBytes` refused.
  void setUntrusted(int maxValueBytes);
  // Defensive mode with the schema untrusted, on or off, while a file from elsewhere is attached to
  // this open connection.
  void setGuarded(bool on);

 private:
  // The engine's handles stay inside core/db: statements go through Statement (and Query).
  friend class Statement;
  friend class Query;
  friend class Table;
  friend class ProgressScope;
  friend void VacuumDatabase(const std::string& file, int busyTimeoutMs);
  friend void CopyDatabaseContent(Connection& source, Connection& destination);
  friend void CompactDatabase(const std::string& sourceConnection, const std::string& destinationConnection);

  // Prepares one translated statement; the caller owns the statement and finalizes it.
  // Attaches the files the statement names first.
  sqlite3_stmt* prepare(const std::string& jetSql);
  // Prepares an SQLite statement as it stands (no translation); with `single`, text after the
  // first statement (other than blanks and ';') fails.
  sqlite3_stmt* prepareNative(const std::string& sqliteSql, bool single = false);
  // The raw handle, opened on demand.
  sqlite3* handle();

  std::string attachFor(const std::vector<std::string>& files, std::string sql);
  void detachAll();
  void beginPendingTransaction();

  std::string connectionString_;
  std::string dataSource_;
  bool readOnly_ = false;
  int busyTimeoutMs_ = kBusyTimeoutMs;
  sqlite3* db_ = nullptr;
  int transactionDepth_ = 0;
  bool transactionBegun_ = false;  // BEGIN is issued lazily, after attachments
  std::map<std::string, std::string> attached_;  // file path -> schema name
  int nextAttach_ = 0;
  std::uint64_t openCount_ = 0;
  std::unique_ptr<StatementTrace> trace_;
  int untrustedMaxValue_ = 0;  // > 0: the connection reads a file from elsewhere
};

// Binds named parameters (":name", "@name", "$name") of a prepared statement.
// Both return the engine's result code.
int BindParameters(sqlite3_stmt* stmt, const std::map<std::string, Variant>& params);
int BindValue(sqlite3_stmt* stmt, int index, const Variant& value);
Variant ColumnValue(sqlite3_stmt* stmt, int column);

// Creates an empty database file (fails when one exists already).
void CreateDatabase(const std::string& connectionString);

// Compacts the database file in place under the engine's exclusive lock (VACUUM): atomic, and the
// file keeps its owner, permissions and links. Throws DbError; IsBusy(error) when another program
// holds the database.
void VacuumDatabase(const std::string& file, int busyTimeoutMs = kBusyTimeoutMs);
// True for the engine's "busy" and "locked" results.
bool IsBusy(const DbError& error);

// Replaces the whole content of `destination` with that of `source` in one step of the engine
// (the backup interface): under the destination's write lock, waiting its busy timeout.
void CopyDatabaseContent(Connection& source, Connection& destination);

// Writes a compacted copy of the database file `source` at `destination` (which must not exist).
void CompactDatabase(const std::string& sourceConnection, const std::string& destinationConnection);

}  // namespace velmora::db
