#include "core/session/session.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

#include "core/base/error_text.h"
#include "core/base/paths.h"
#include "core/base/text.h"
#include "core/db/error.h"
#include "core/db/translate.h"
#include "core/files/database_file.h"
#include "core/prompts/user_prompts.h"
#include "core/session/user_database.h"
#include "core/session/working_copy.h"

namespace velmora::session {

namespace fs = std::filesystem;
using base::PathFromUtf8;
using base::Utf8FromPath;
using db::Connection;
using db::DbError;

namespace {

constexpr const char* kNotFoundText = "没有找到系统数据文件，请重新安装。";
constexpr const char* kBadInstallText = "软件安装不正确，请与软件提供者联系！";
constexpr const char* kChosenMissingText = "您选择的文件并不存在，请选择其它文件。";

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(PathFromUtf8(path), ec);
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  return PathFromUtf8(a).lexically_normal() == PathFromUtf8(b).lexically_normal();
}

// Why the file `file` could not be opened as a database, naming it.
std::string OpenFailureText(const std::string& file, const std::exception& e) {
  const auto* engine = dynamic_cast<const DbError*>(&e);
  const std::string why = std::string("（") + e.what() + "）";
  switch (engine ? engine->code() & 0xFF : 0) {
    case SQLITE_NOTADB: return "不是数据库文件：" + file;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return "数据库文件正被其他程序锁定，请稍后再试：" + file;
    case SQLITE_CORRUPT: return "数据库文件已损坏：" + file + why;
    default: return "无法打开数据库文件：" + file + why;
  }
}

}  // namespace

DatabaseSession::DatabaseSession(std::string programFolder, UserPrompts& prompts)
    : programFolder_(std::move(programFolder)), prompts_(prompts) {}

std::string DatabaseSession::ConnectionStringFor(const std::string& path) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Connection::QuoteValue(path) + ";Mode=ReadWrite;" +
         "Persist Security Info=False;" + "Jet OLEDB:Engine Type=5";
}

std::string DatabaseSession::DefaultDatabasePath() const {
  const files::FolderChoice folders = files::FoldersFor(programFolder_);
  if (folders.databaseFolder.empty()) return {};
  return Utf8FromPath(PathFromUtf8(folders.databaseFolder) / kDefaultDatabaseName);
}

std::string DatabaseSession::workingCopyFolder() const {
  const files::FolderChoice folders = files::FoldersFor(programFolder_);
  return folders.installed && !folders.databaseFolder.empty() ? folders.databaseFolder : programFolder_;
}

std::string DatabaseSession::WorkingCopyPath() const {
  return Utf8FromPath(PathFromUtf8(workingCopyFolder()) / kWorkingCopyName);
}

// An installed program opens the user's copy of the shipped database, made now when it is missing.
// False (with the message shown) when there is no copy to be had.
bool DatabaseSession::prepareDefault(const files::FolderChoice& folders) {
  if (!folders.installed) return true;
  if (folders.databaseFolder.empty()) {
    prompts_.message("无法建立您的数据文件夹（" + files::UserDataFolder() + "），因此无法建立您的数据库。"
                     "请检查主文件夹的权限或环境变量XDG_DATA_HOME。",
                     MessageKind::Error);
    return false;
  }
  const UserDatabase prepared =
      PrepareUserDatabase(Utf8FromPath(PathFromUtf8(programFolder_) / kDefaultDatabaseName), DefaultDatabasePath());
  if (!prepared.ok) {
    prompts_.message(prepared.error, MessageKind::Error);
    return false;
  }
  if (!prepared.newerLayout.empty()) prompts_.message(prepared.newerLayout, MessageKind::Warning);
  return true;
}

std::string DatabaseSession::WindowTitle() const { return "Velmora - " + databaseLabel_; }

void DatabaseSession::closeConnection() {
  appQuery_.close();
  connection_.close();
  connected_ = false;
}

void DatabaseSession::showEngineError(const std::exception& e) {
  prompts_.message(base::PublisherErrorText(e.what()), MessageKind::Error);
}

bool DatabaseSession::OpenDatabase(const std::string& path) { return openAt(path, Origin::Program); }

bool DatabaseSession::OpenDatabaseNamingCause(const std::string& path) { return openAt(path, Origin::CommandLine); }

bool DatabaseSession::openAt(const std::string& path, Origin origin) {
  closeConnection();
  edition_ = EditionSettings{};
  if (path.empty() && !prepareDefault(files::FoldersFor(programFolder_))) return false;
  const std::string file = path.empty() ? DefaultDatabasePath() : path;

  if (!FileExists(file)) {
    if (origin == Origin::CommandLine) {
      std::error_code ec;
      prompts_.message((fs::exists(PathFromUtf8(file), ec) ? "不是文件：" : "找不到数据库文件：") + file,
                       MessageKind::Error);
    } else {
      prompts_.message(origin == Origin::UserChoice ? kChosenMissingText : kNotFoundText, MessageKind::Error);
    }
    return false;
  }

  // Define and open the connection; reading the table list proves the file is a database that
  // can be read now (not locked by another program, not damaged).
  try {
    connection_.setConnectionString(ConnectionStringFor(file));
    connection_.open();
    (void)connection_.tableNames();
  } catch (const std::exception& e) {
    connection_.close();
    if (origin == Origin::CommandLine) {
      prompts_.message(OpenFailureText(file, e), MessageKind::Error);
    } else if (origin == Origin::UserChoice) {
      prompts_.message(std::string(kNotADatabaseText) + "\n" + e.what(), MessageKind::Error);
    } else {
      prompts_.message(FileExists(DefaultDatabasePath()) ? kBadInstallText : kNotFoundText, MessageKind::Error);
    }
    return false;
  }

  // The label: db_name of the first row of ct_label. The query stays open.
  std::string label;
  try {
    appQuery_.close();
    appQuery_.setSql("select * from ct_label");
    appQuery_.open();
    if (!appQuery_.isEmpty()) {
      appQuery_.first();
      label = appQuery_.fieldByName("db_name").asString();
    }
  } catch (const std::exception& e) {
    appQuery_.close();
    connection_.close();
    if (origin == Origin::CommandLine) {
      const auto* engine = dynamic_cast<const DbError*>(&e);
      if (engine && (engine->code() & 0xFF) == SQLITE_ERROR) {
        prompts_.message("不是本软件的数据库文件：" + file + "（" + e.what() + "）", MessageKind::Error);
      } else {
        prompts_.message(OpenFailureText(file, e), MessageKind::Error);
      }
    } else {
      showEngineError(e);
    }
    return false;
  }

  databasePath_ = file;
  databaseLabel_ = label;
  connected_ = true;
  return true;
}

bool DatabaseSession::actCompress() {
  if (!connected_) return false;
  closeConnection();
  const bool compacted = files::CompactDatabaseFile(databasePath_, prompts_);
  if (compacted) prompts_.message("压缩操作成功");
  // Open again whatever the outcome: a failed compaction left the file as it was. When the file
  // cannot be opened right now (another program still holds it), the connection stays defined and
  // opens on its next use, which reports the engine's error then.
  try {
    connection_.open();
  } catch (const std::exception&) {
  }
  connected_ = true;
  if (onReopened) onReopened();
  return compacted;
}

bool DatabaseSession::actOpenDB() {
  FileDialogRequest request;
  request.title = "选择数据库文件";
  request.filter = "数据加密文件(*.dat)|*.dat|数据备份文件(*.mdb)|*.mdb";
  request.initialFolder = personalFolder_;
  request.fileName = "";
  std::optional<std::string> chosen = prompts_.openFileName(request);
  if (!chosen || base::IsBlank(*chosen)) return false;
  if (!FileExists(*chosen)) {
    prompts_.message(kChosenMissingText, MessageKind::Warning);
    return false;
  }

  // The working copy may replace temp.dat, which may be the database open now: close it first.
  const std::string previous = connected_ ? databasePath_ : std::string();
  closeConnection();

  WorkingCopy copy = PrepareWorkingCopy(*chosen, workingCopyFolder());
  if (!copy.ok) {
    prompts_.message(copy.error, MessageKind::Error);
    fallBackFrom(previous, false);
    return false;
  }
  if (!openAt(copy.path, Origin::UserChoice)) {
    fallBackFrom(previous, copy.copied && SameFile(previous, copy.path));
    return false;
  }
  if (onDatabaseChanged) onDatabaseChanged();
  prompts_.message("已经打开您选择的数据库--" + databaseLabel_);
  return true;
}

// After a database the user chose could not be opened, the program keeps working on the database
// it had: that one is opened again, or the default database when the previous file is gone (its
// working copy was replaced) or cannot be opened either.
void DatabaseSession::fallBackFrom(const std::string& previous, bool previousReplaced) {
  if (!previous.empty() && !previousReplaced && openAt(previous, Origin::Program)) {
    if (onReopened) onReopened();
    prompts_.message("已经重新打开原来的数据库--" + databaseLabel_);
    return;
  }
  if (SameFile(previous, DefaultDatabasePath()) && !previousReplaced) return;  // tried already
  if (openAt("", Origin::Program)) {
    if (onDatabaseChanged) onDatabaseChanged();
    prompts_.message("已经打开软件默认数据库--" + databaseLabel_);
  }
}

bool DatabaseSession::actOpenDefault() {
  const std::string previous = connected_ ? databasePath_ : std::string();
  if (!OpenDatabase("")) {
    if (!previous.empty() && !SameFile(previous, DefaultDatabasePath()) && openAt(previous, Origin::Program)) {
      if (onReopened) onReopened();
    }
    return false;
  }
  if (onDatabaseChanged) onDatabaseChanged();
  // A working copy that another program is still writing stays; the next package replaces its
  // content through the engine.
  files::RemoveDatabaseFileIfUnused(WorkingCopyPath());
  prompts_.message("已经打开软件默认数据库--" + databaseLabel_);
  return true;
}

bool DatabaseSession::actLabel() {
  if (!connected_) return false;
  std::optional<std::string> answer =
      prompts_.inputText("设置数据库标识", "请输入数据库的标识，长度不要超过200个汉字", databaseLabel_);
  if (!answer || answer->empty()) return false;
  try {
    appQuery_.close();
    appQuery_.setSql("update ct_label set db_name = " + db::QuoteText(*answer));
    appQuery_.execSql();
  } catch (const std::exception& e) {
    showEngineError(e);
    return false;
  }
  databaseLabel_ = *answer;
  return true;
}

}  // namespace velmora::session
