#include "core/intake/source_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

#include "core/base/paths.h"
#include "core/base/quoting.h"
#include "core/base/text.h"
#include "core/db/file_header.h"
#include "core/db/progress_scope.h"
#include "core/db/statement.h"
#include "core/files/atomic_file.h"
#include "core/files/native_file.h"
#include "core/intake/lock_probe.h"
#include "core/text/utf8.h"

namespace velmora::intake {

namespace fs = std::filesystem;
using Kind = IntakeError::Kind;

namespace {

constexpr int kInstructionsPerCall = 100000;


std::int64_t FileSize(const std::string& path) {
  std::error_code ec;
  const auto size = fs::file_size(base::PathFromUtf8(path), ec);
  return ec ? -1 : static_cast<std::int64_t>(size);
}

void RemoveWithSiblings(const std::string& path) {
  std::error_code ec;
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(base::PathFromUtf8(path + suffix), ec);
}

// A file of the working copy: made new (never an existing name, never through a link) and written
// through the handle that made it. It is private and removed after use, so nothing is synced.
class PrivateFile {
 public:
  // Makes `path` new; false when the name is taken. Throws IntakeError when it cannot be made.
  bool create(const std::string& path) {
    path_ = path;
    std::string error;
    switch (files::native::CreateNew(base::PathFromUtf8(path), handle_, error)) {
      case files::native::CreateResult::Created: return true;
      case files::native::CreateResult::Exists: return false;
      case files::native::CreateResult::Failed: break;
    }
    throw IntakeError(Kind::Damaged, "无法建立工作副本" + QuotedPath(path) + "（" + error + "）。");
  }
  ~PrivateFile() { close(); }
  void write(std::string_view bytes) {
    std::string error;
    if (!files::native::WriteAll(handle_, bytes, error))
      throw IntakeError(Kind::Damaged, "无法写入工作副本" + QuotedPath(path_) + "（" + error + "）。");
  }
  void close() {
    files::native::Close(handle_);
    handle_ = files::native::kNoHandle;
  }

 private:
  std::string path_;
  files::native::Handle handle_ = files::native::kNoHandle;
};

// A fresh name "~vmi<6 hex digits>.tmp" in `folder` with its file made empty and open.
std::unique_ptr<PrivateFile> NewWorkingCopy(const std::string& folder, std::string& path) {
  std::random_device seed;
  std::mt19937 pick(seed());
  auto file = std::make_unique<PrivateFile>();
  for (int attempt = 0; attempt < 64; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%06X.tmp", kWorkingCopyPrefix, static_cast<unsigned>(pick() & 0xFFFFFF));
    path = base::Utf8FromPath(base::PathFromUtf8(folder) / name);
    if (file->create(path)) return file;
  }
  throw IntakeError(Kind::Damaged, "无法在工作文件夹" + QuotedPath(folder) + "中建立数据包的工作副本。");
}

// Copies `from` into `out`, restoring a package head on the way. Returns whether the file was a
// package.
bool CopyRestoring(const std::string& from, PrivateFile& out, jobs::Job& job) {
  std::ifstream in(base::PathFromUtf8(from), std::ios::binary);
  if (!in) throw IntakeError(Kind::Damaged, "无法读取文件" + QuotedPath(from) + "，没有导入任何记录。");
  std::vector<char> buffer(1 << 20);
  bool first = true, package = false;
  jobs::JobTicker ticker(job, 16);
  for (;;) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const std::streamsize got = in.gcount();
    if (got <= 0) break;
    if (first) {
      first = false;
      const auto b0 = static_cast<std::uint8_t>(buffer[0]);
      if (b0 == db::PackageMarker()) {
        package = true;
        if (static_cast<std::size_t>(got) < db::kPackageHeadSize)
          throw IntakeError(Kind::NotDatabase, "文件" + QuotedPath(from) + "不是有效的数据包或数据库文件（数据包不完整），没有导入任何记录。");
        for (std::size_t i = 0; i < db::kPackageHeadSize; ++i)
          buffer[i] = static_cast<char>(db::RestorePackageByte(static_cast<std::uint8_t>(buffer[i])));
      } else if (b0 == db::kLegacyPackageByte) {
        package = true;
        if (got < 16)
          throw IntakeError(Kind::NotDatabase, "文件" + QuotedPath(from) + "不是有效的数据包或数据库文件（数据包不完整），没有导入任何记录。");
        std::memcpy(buffer.data(), db::kPlainHeader, 16);
      }
      if (got < 16 || std::memcmp(buffer.data(), db::kPlainHeader, 16) != 0)
        throw IntakeError(Kind::NotDatabase, "文件" + QuotedPath(from) + "不是有效的数据包或数据库文件，没有导入任何记录。");
    }
    out.write(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    if (!ticker.tick()) throw IntakeError(Kind::Stopped, "导入已停止，没有导入任何记录。");
  }
  if (in.bad()) throw IntakeError(Kind::Damaged, "读取文件" + QuotedPath(from) + "时发生错误，没有导入任何记录。");
  if (first) throw IntakeError(Kind::NotDatabase, "文件" + QuotedPath(from) + "是空文件，不是有效的数据包或数据库文件。");
  out.close();
  return package;
}

void CopyPlain(const std::string& from, const std::string& to) {
  std::ifstream in(base::PathFromUtf8(from), std::ios::binary);
  if (!in) throw IntakeError(Kind::Damaged, "无法读取文件" + QuotedPath(from) + "，没有导入任何记录。");
  PrivateFile out;
  if (!out.create(to)) throw IntakeError(Kind::Damaged, "无法建立工作副本" + QuotedPath(to) + "（文件已存在）。");
  std::vector<char> buffer(1 << 20);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (in.gcount() > 0) out.write(std::string_view(buffer.data(), static_cast<std::size_t>(in.gcount())));
  }
  if (in.bad()) throw IntakeError(Kind::Damaged, "读取文件" + QuotedPath(from) + "时发生错误，没有导入任何记录。");
  out.close();
}

struct ColumnInfo {
  std::string name;
  std::string type;
  int hidden = 0;
};

std::vector<ColumnInfo> Columns(db::Connection& c, const std::string& table) {
  std::vector<ColumnInfo> out;
  db::Statement st = db::Statement::Native(c, "SELECT name, type, hidden FROM pragma_table_xinfo(?1)");
  st.bindText(1, table);
  while (st.step()) out.push_back({st.text(0), st.text(1), static_cast<int>(st.int64(2))});
  return out;
}

}  // namespace

std::string ShownValue(const std::string& value, std::size_t maxChars) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  std::size_t chars = 0;
  for (std::size_t i = 0; i < value.size();) {
    if (chars >= maxChars) {
      out += "…";
      break;
    }
    const auto c = static_cast<unsigned char>(value[i]);
    if (c < 0x80) {
      if (c == '\n') out += "\\n";
      else if (c == '\r') out += "\\r";
      else if (c == '\t') out += "\\t";
      else if (c < 0x20 || c == 0x7f) {
        out += "\\x";
        out += hex[c >> 4];
        out += hex[c & 15];
      } else {
        out += static_cast<char>(c);
      }
      ++i;
      ++chars;
      continue;
    }
    const std::size_t len = text::Utf8SequenceAt(value, i);
    if (len > 0) {
      out.append(value, i, len);
      i += len;
    } else {
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
      ++i;
    }
    ++chars;
  }
  return out;
}

std::string QuotedPath(const std::string& path) { return "“" + ShownValue(path, 400) + "”"; }

ChosenFile CheckChosenFile(const std::string& path, const std::string& openDatabase) {
  const fs::path p = base::PathFromUtf8(path);
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return ChosenFile::Missing;
  if (files::SameExistingFile(path, openDatabase)) return ChosenFile::OpenDatabase;
  if (db::HasPlainHeader(path)) return ChosenFile::PlainDatabase;
  std::vector<unsigned char> head;
  if (db::ReadFileHead(p, 1, head) && !head.empty() &&
      (head[0] == db::PackageMarker() || head[0] == db::kLegacyPackageByte))
    return ChosenFile::Package;
  return ChosenFile::Other;
}

std::string ChosenMissingText(const std::string& path) {
  return "您选择的文件名为【" + path + "】的文件并不存在，请选择其它文件。";
}

std::string ChosenOpenDatabaseText(const std::string& path, const std::string& refusal) {
  return "文件" + base::QuotedPath(path) + "就是打开的数据库文件，" + refusal;
}

std::string ChosenNotDatabaseText(const std::string& path, const std::string& refusal) {
  return "文件" + base::QuotedPath(path) + "不是数据库文件，" + refusal;
}

std::optional<std::string> PlainDatabaseRefusal(const std::string& path, const std::string& openDatabase,
                                                const std::string& selfRefusal, const std::string& notDatabaseRefusal) {
  switch (CheckChosenFile(path, openDatabase)) {
    case ChosenFile::Missing: return std::string(kChosenMissingText);
    case ChosenFile::OpenDatabase: return ChosenOpenDatabaseText(path, selfRefusal);
    case ChosenFile::PlainDatabase: return std::nullopt;
    case ChosenFile::Package:
    case ChosenFile::Other: return ChosenNotDatabaseText(path, notDatabaseRefusal);
  }
  return std::nullopt;
}

namespace {

// The columns of a real table of the file, none of them generated or hidden. Throws IntakeError.
std::vector<ColumnInfo> CheckedColumns(SourceFile& source, const std::string& name, const std::string& missingText = {}) {
  if (!source.hasTable(name))
    throw IntakeError(Kind::NoTable, !missingText.empty() ? missingText
                                                          : "您选择的文件中不存在名字为\"" + name + "\"的数据表");
  std::vector<ColumnInfo> columns = Columns(source.connection(), name);
  for (const ColumnInfo& col : columns)
    if (col.hidden != 0)
      throw IntakeError(Kind::Layout, "文件" + QuotedPath(source.chosen()) + "中的数据表\"" + name +
                                          "\"有计算列或隐藏列“" + ShownValue(col.name) + "”，没有导入任何记录。");
  return columns;
}

}  // namespace

SourceFile::SourceFile(const std::string& chosen, const std::string& workingFolder, jobs::Job& job) : chosen_(chosen) {
  std::error_code ec;
  const fs::path chosenPath = base::PathFromUtf8(chosen);
  if (!fs::exists(chosenPath, ec))
    throw IntakeError(Kind::Missing, "您选择的文件" + QuotedPath(chosen) + "并不存在，请选择其它文件。");
  if (!fs::is_regular_file(chosenPath, ec))
    throw IntakeError(Kind::NotDatabase, QuotedPath(chosen) + "不是一个普通文件，不能从它导入。");
  if (FileSize(chosen + "-journal") > 0)
    throw IntakeError(Kind::BeingWritten, "文件" + QuotedPath(chosen) +
                                              "正在被其他程序写入（旁边有未完成的日志文件），请等它写完、关闭那个程序后再试。");
  if (HeldForWriting(chosen))
    throw IntakeError(Kind::Locked, "文件" + QuotedPath(chosen) + "正被其他程序锁定并写入，请关闭那个程序后再试。");

  // Work files of killed runs go; working copies of a killed import are not kept for a day.
  files::RemoveStaleWorkFiles(workingFolder);
  files::RemoveStaleTemporaries(workingFolder, kWorkingCopyPrefix, std::chrono::hours(1));
  std::unique_ptr<PrivateFile> out = NewWorkingCopy(workingFolder, copy_);
  try {
    package_ = CopyRestoring(chosen, *out, job);
    out.reset();
    size_ = FileSize(copy_);
    // A database in write-ahead mode keeps its latest commits beside it: they belong to the file.
    if (!package_ && FileSize(chosen + "-wal") > 0) CopyPlain(chosen + "-wal", copy_ + "-wal");
    // Another program may have started writing while the bytes were copied.
    if (FileSize(chosen + "-journal") > 0 || HeldForWriting(chosen))
      throw IntakeError(Kind::BeingWritten, "文件" + QuotedPath(chosen) + "在读取时正被其他程序写入，请等它写完、关闭那个程序后再试。");
    connection_ = std::make_unique<db::Connection>("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                                                   db::Connection::QuoteValue(copy_) +
                                                   ";Mode=ReadWrite;Persist Security Info=False");
    connection_->setUntrusted(kMaxValueBytes);
    try {
      connection_->open();
      connection_->executeNative("PRAGMA query_only=1");
    } catch (const db::DbError& e) {
      throw IntakeError(Kind::Damaged, DamagedText(chosen, e.what()));
    }
  } catch (...) {
    connection_.reset();
    RemoveWithSiblings(copy_);
    throw;
  }
}

SourceFile::~SourceFile() {
  connection_.reset();
  RemoveWithSiblings(copy_);
}

std::int64_t SourceFile::instructionBudget() const {
  // Reading and copying a row of ours takes a few thousand instructions per kilobyte; allow a
  // hundred times that, and never less than a small file needs.
  return std::int64_t{200000000} + std::max<std::int64_t>(size_, 0) * 2000;
}

bool SourceFile::hasTable(const std::string& name) {
  try {
    db::Statement st = db::Statement::Native(
        *connection_, "SELECT type, sql FROM sqlite_master WHERE lower(name)=lower(?1) AND type IN ('table','view')");
    st.bindText(1, name);
    if (!st.step()) return false;
    const std::string type = st.text(0);
    const std::string sql = base::AsciiLower(st.text(1));
    if (type != "table" || sql.rfind("create virtual", 0) == 0)
      throw IntakeError(Kind::NotATable, "文件" + QuotedPath(chosen_) + "中的“" + ShownValue(name) +
                                             "”不是数据表（是视图或虚拟表），没有导入任何记录。");
    return true;
  } catch (const db::DbError& e) {
    throw IntakeError(Kind::Damaged, DamagedText(chosen_, e.what()));
  }
}

void SourceFile::requireTable(const std::string& name, const std::string& missingText) {
  CheckedColumns(*this, name, missingText);
}

void SourceFile::requireLayout(const std::string& name, db::Connection& ours) {
  const std::vector<ColumnInfo> theirs = CheckedColumns(*this, name);
  std::vector<ColumnInfo> mine = Columns(ours, name);
  const std::string layout = "您选择的文件中的数据表\"" + name + "\"与系统中的数据表结构不同（";
  if (theirs.size() != mine.size())
    throw IntakeError(Kind::Layout, layout + std::to_string(theirs.size()) + "列，系统中" +
                                        std::to_string(mine.size()) + "列），没有导入任何记录。");
  for (std::size_t i = 0; i < mine.size(); ++i) {
    if (base::AsciiLower(theirs[i].name) != base::AsciiLower(mine[i].name))
      throw IntakeError(Kind::Layout, layout + "第" + std::to_string(i + 1) + "列是“" + ShownValue(theirs[i].name) +
                                          "”，系统中是“" + mine[i].name + "”），没有导入任何记录。");
    if (base::AsciiLower(theirs[i].type) != base::AsciiLower(mine[i].type))
      throw IntakeError(Kind::Layout, layout + "列“" + mine[i].name + "”的类型是“" + ShownValue(theirs[i].type) +
                                          "”，系统中是“" + mine[i].type + "”），没有导入任何记录。");
  }
}

std::vector<std::string> SourceFile::requireKnownColumns(const std::string& name, db::Connection& ours) {
  const std::vector<ColumnInfo> theirs = CheckedColumns(*this, name);
  const std::vector<ColumnInfo> mine = Columns(ours, name);
  std::vector<std::string> names;
  for (const ColumnInfo& col : theirs) {
    auto match = std::find_if(mine.begin(), mine.end(),
                              [&](const ColumnInfo& m) { return base::AsciiLower(m.name) == base::AsciiLower(col.name); });
    if (match == mine.end())
      throw IntakeError(Kind::Layout, "您选择的文件中的数据表\"" + name + "\"有系统中没有的列“" +
                                          ShownValue(col.name) + "”，没有导入任何记录。");
    if (base::AsciiLower(match->type) != base::AsciiLower(col.type))
      throw IntakeError(Kind::Layout, "您选择的文件中的数据表\"" + name + "\"的列“" + match->name + "”的类型是“" +
                                          ShownValue(col.type) + "”，系统中是“" + match->type +
                                          "”，没有导入任何记录。");
    names.push_back(col.name);
  }
  return names;
}

// The user's job, stopped as well once the budget is spent.
struct UntrustedScope::State : jobs::Job {
  State(db::Connection& c, jobs::Job& j, std::int64_t budget)
      : connection(c), job(j), callsLeft(budget / kInstructionsPerCall + 1) {}
  void processEvents(bool wait) override {
    if (!wait && --callsLeft < 0) spent = true;
    job.processEvents(wait);
  }
  bool paused() const override { return job.paused(); }
  bool stopRequested() const override { return spent || job.stopRequested(); }

  db::Connection& connection;
  jobs::Job& job;
  std::int64_t callsLeft;
  bool spent = false;
  std::unique_ptr<db::ProgressScope> progress;
};

UntrustedScope::UntrustedScope(db::Connection& connection, jobs::Job& job, std::int64_t instructionBudget)
    : state_(std::make_unique<State>(connection, job, instructionBudget)) {
  connection.setGuarded(true);
  state_->progress = std::make_unique<db::ProgressScope>(connection, *state_, kInstructionsPerCall);
}

UntrustedScope::~UntrustedScope() {
  state_->progress.reset();
  try {
    if (state_->connection.isOpen()) state_->connection.setGuarded(false);
  } catch (...) {
  }
}

bool UntrustedScope::stopped() const { return !state_->spent && state_->job.stopRequested(); }
bool UntrustedScope::overBudget() const { return state_->spent; }
jobs::Job& UntrustedScope::job() { return *state_; }

std::string DamagedText(const std::string& path, const std::string& engineText, const std::string& nothingDone) {
  return "文件" + QuotedPath(path) + "已损坏或不完整，无法读取（" + engineText + "），" + nothingDone;
}

void UntrustedScope::rethrow(const std::exception& error, const std::string& file) const {
  if (const auto* intake = dynamic_cast<const IntakeError*>(&error)) throw *intake;
  if (overBudget())
    throw IntakeError(Kind::TooLarge, "读取文件" + QuotedPath(file) +
                                          "所需的工作量远远超过这样大小的文件应有的，可能是被构造或损坏的文件，已停止读取，没有导入任何记录。");
  if (stopped()) throw IntakeError(Kind::Stopped, "导入已停止，没有导入任何记录。");
  throw IntakeError(Kind::Damaged, DamagedText(file, error.what()));
}

}  // namespace velmora::intake
