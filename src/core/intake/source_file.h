#pragma once
// The one way a database file from elsewhere (a reporting package, a backup, a group file, the
// source of a record-by-record import) is read. The file the user chose is never written: its bytes
// (and a -wal beside it) are copied into a private working copy in the working folder, the package
// head is restored there, and only that copy is opened. The connection over the copy runs in the
// engine's defensive mode with the schema untrusted and lengths limited; only real tables are read
// (a view or a virtual table where a table should be is refused by name), their columns are checked
// before a row is read, and every statement runs under the job's progress handler with a budget, so
// an endless file ends in a message instead of a hang. The copy and its -journal, -wal and -shm are
// removed when the source goes, whatever happened.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/db/connection.h"
#include "core/jobs/job.h"

namespace velmora::intake {

// Why a file from elsewhere cannot be read. what() is a Chinese sentence for the user that names the
// file (and the table or column where one is at fault); nothing has been changed anywhere.
class IntakeError : public std::runtime_error {
 public:
  enum class Kind {
    Missing,        // no such file
    NotDatabase,    // neither a plain database file nor a reporting package
    Locked,         // another program holds the file locked while it writes
    BeingWritten,   // a hot journal beside it: another program is in the middle of writing it
    Damaged,        // the engine cannot read it, or a value is longer than any of ours
    NoTable,        // a table that must be there is missing
    NotATable,      // a view or a virtual table where a table should be
    Layout,         // columns or their kinds differ from ours (generated or hidden columns included)
    TooLarge,       // more work than such a file can need: the budget ran out
    Stopped,        // the user stopped the job
    Refused,        // a record or value that is refused (the record check, group items)
  };
  IntakeError(Kind kind, const std::string& text) : std::runtime_error(text), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

// The file name prefix of working copies ("~vmi<6 hex>.tmp"); stale ones are removed with their
// siblings when a later intake starts in the same folder.
inline constexpr const char* kWorkingCopyPrefix = "~vmi";

// Largest value (text or blob) any file from elsewhere may hold: more than any field of ours.
inline constexpr int kMaxValueBytes = 1 << 20;

class SourceFile {
 public:
  // Copies `chosen` into a working copy in `workingFolder` and opens it. Throws IntakeError
  // (Missing, NotDatabase, Locked, BeingWritten, Damaged); nothing is left behind then.
  SourceFile(const std::string& chosen, const std::string& workingFolder, jobs::Job& job = jobs::NoJob());
  ~SourceFile();
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;

  const std::string& chosen() const { return chosen_; }
  // The private working copy: what may be attached to another connection.
  const std::string& path() const { return copy_; }
  bool isPackage() const { return package_; }
  std::int64_t sizeBytes() const { return size_; }

  // The read connection over the working copy (defensive, untrusted schema, limited lengths).
  db::Connection& connection() { return *connection_; }

  // True when the file has a real table of that name (compared without regard to case). A view or
  // virtual table of that name throws NotATable.
  bool hasTable(const std::string& name);
  // The table must be there as a real table, without generated or hidden columns. Throws NoTable
  // (with `missingText` as the message when given), NotATable or Layout.
  void requireTable(const std::string& name, const std::string& missingText = {});
  // The table must have the columns of `ours`'s table of the same name, in the same order, with
  // the same declared kinds (names compared without regard to case). Throws Layout naming the first
  // column that differs (after requireTable's checks).
  void requireLayout(const std::string& name, db::Connection& ours);
  // Like requireLayout, but the columns only have to be ours by name (in any order) with the same
  // kinds; returns the file's column names in its order.
  std::vector<std::string> requireKnownColumns(const std::string& name, db::Connection& ours);

  // The engine instructions one statement over this file may take before it is ended as TooLarge:
  // far more than reading and copying every row of a file of this size needs.
  std::int64_t instructionBudget() const;

 private:
  std::string chosen_;
  std::string copy_;
  bool package_ = false;
  std::int64_t size_ = 0;
  std::unique_ptr<db::Connection> connection_;
};

// While it lives, statements of `connection` (which has an untrusted file attached, or is a
// SourceFile's own connection) run with the schema untrusted and in defensive mode, under the job's
// progress handler and the budget: a stop by the user ends a statement with IntakeError Stopped,
// the budget with TooLarge — see Rethrow.
class UntrustedScope {
 public:
  UntrustedScope(db::Connection& connection, jobs::Job& job, std::int64_t instructionBudget);
  ~UntrustedScope();
  UntrustedScope(const UntrustedScope&) = delete;
  UntrustedScope& operator=(const UntrustedScope&) = delete;

  bool stopped() const;
  bool overBudget() const;
  // The user's job with the budget: a statement in this scope that installs a progress scope of its
  // own (a digest, an insert) passes this job so that the budget still holds.
  jobs::Job& job();
  // Turns an engine error of a statement run in this scope into the IntakeError it means (Stopped,
  // TooLarge, Damaged naming `file`) and throws it.
  [[noreturn]] void rethrow(const std::exception& error, const std::string& file) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The checks every import makes of the file the user chose before the intake reads it, in this
// order: the file must be there (a regular file, or a link to one), it must not be the database the
// program has open, and then its first bytes tell what it is.
enum class ChosenFile {
  Missing,        // no regular file of that name
  OpenDatabase,   // the same file as `openDatabase`
  PlainDatabase,  // starts with the engine's plain header
  Package,        // byte 0 marks a reporting package (or the older marking)
  Other,          // anything else, and a file whose first byte cannot be read
};
ChosenFile CheckChosenFile(const std::string& path, const std::string& openDatabase);

// "您选择的文件并不存在，请选择其它文件。"
inline constexpr const char* kChosenMissingText = "您选择的文件并不存在，请选择其它文件。";
// "您选择的文件名为【<path>】的文件并不存在，请选择其它文件。": among several chosen files, which one.
std::string ChosenMissingText(const std::string& path);
// "文件“<path>”就是打开的数据库文件，" followed by what cannot be done ("不能导入它自己。").
std::string ChosenOpenDatabaseText(const std::string& path, const std::string& refusal);
// "文件“<path>”不是数据库文件，" followed by what was not done ("没有导入任何数据。").
std::string ChosenNotDatabaseText(const std::string& path, const std::string& refusal);
// For an import that reads only plain database files: why the chosen file is refused (missing, the
// open database, anything but a plain database), with `selfRefusal` or `notDatabaseRefusal` after
// the texts above; nullopt when it can be read.
std::optional<std::string> PlainDatabaseRefusal(const std::string& path, const std::string& openDatabase,
                                                const std::string& selfRefusal, const std::string& notDatabaseRefusal);

// "“<path>”" with control characters shown escaped: how a message names a file from elsewhere.
std::string QuotedPath(const std::string& path);
// A damaged file in the program's words first, the engine's after them in brackets, then what was
// not done: "文件“…”已损坏或不完整，无法读取（engine text），没有导入任何记录。"
std::string DamagedText(const std::string& path, const std::string& engineText,
                        const std::string& nothingDone = "没有导入任何记录。");
// A value from a file as a message shows it: control characters escaped (\n, \t, \xNN), bytes that
// are not UTF-8 as \xNN, cut to `maxChars` characters with "…".
std::string ShownValue(const std::string& value, std::size_t maxChars = 40);

}  // namespace velmora::intake
