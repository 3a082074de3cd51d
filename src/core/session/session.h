#pragma once
// The program's one database session: the connection to the open database file, the scratch
// query, the database label and window title, the edition settings, and the handlers of the
// actions that reopen, compact or relabel the database. The main window owns one and wires its
// actions and hooks to it.

#include <functional>
#include <string>

#include "core/db/connection.h"
#include "core/db/query.h"
#include "core/files/program_folders.h"
#include "core/session/edition.h"

namespace velmora {
class UserPrompts;
}

namespace velmora::session {

inline constexpr const char* kDefaultDatabaseName = files::kShippedDatabaseName;

class DatabaseSession {
 public:
  // `programFolder` holds the shipped files (the default database, the templates, the package
  // template). When it cannot be written (an installed program), the default database is the user's
  // copy in the user's data folder, made on the first open (see files::ChooseFolders).
  DatabaseSession(std::string programFolder, UserPrompts& prompts);
  DatabaseSession(const DatabaseSession&) = delete;
  DatabaseSession& operator=(const DatabaseSession&) = delete;

  // Points the connection at `path` ("" = the default database: in the program folder, or the
  // user's copy of it for an installed program) and reads
  // the label. False when the database cannot be opened; the messages have been shown and no
  // database is open then (at start-up the program must end). The file is only read.
  bool OpenDatabase(const std::string& path);
  // As OpenDatabase for the command line: a failure names the file and its cause (missing, not a
  // database, locked by another program, damaged, not a database of this program).
  bool OpenDatabaseNamingCause(const std::string& path);

  // "Velmora - " + the label.
  std::string WindowTitle() const;
  static std::string ConnectionStringFor(const std::string& path);

  // Action handlers. Each returns true when the window title and lists must be rebuilt for a
  // database that is now open; the hooks below tell the window what to reload.
  bool actCompress();     // compaction of the open database file; true when it succeeded
  bool actOpenDB();       // another database (a package through the working copy, or a plain file)
  bool actOpenDefault();  // the default database again; removes the working copy
  bool actLabel();        // a new label for the open database

  // Called after the same database was closed and opened again (the window reopens its list).
  std::function<void()> onReopened;
  // Called after another database was opened (the window reloads its field catalogue, forgets the
  // catalogue texts of the rules, reopens its list and rebuilds the title).
  std::function<void()> onDatabaseChanged;

  bool Connected() const { return connected_; }
  db::Connection& SysADOConnection() { return connection_; }
  db::Query& AppQuery() { return appQuery_; }
  const std::string& DatabasePath() const { return databasePath_; }
  const std::string& DatabaseLabel() const { return databaseLabel_; }
  const EditionSettings& Edition() const { return edition_; }
  const std::string& ProgramFolder() const { return programFolder_; }
  // The default database: beside the program, or the user's copy for an installed program ("" when
  // the user's data folder cannot be had).
  std::string DefaultDatabasePath() const;
  // temp.dat, the package working copy: beside the default database.
  std::string WorkingCopyPath() const;
  const std::string& PersonalFolder() const { return personalFolder_; }
  void setPersonalFolder(std::string folder) { personalFolder_ = std::move(folder); }

 private:
  // Program: the default database or one the program chose (the installation messages); UserChoice:
  // a file chosen in the window; CommandLine: a file named by the command line (path and cause).
  enum class Origin { Program, UserChoice, CommandLine };
  bool openAt(const std::string& path, Origin origin);
  bool prepareDefault(const files::FolderChoice& folders);
  std::string workingCopyFolder() const;
  void closeConnection();
  void fallBackFrom(const std::string& previous, bool previousReplaced);
  void showEngineError(const std::exception& e);

  std::string programFolder_;
  UserPrompts& prompts_;
  db::Connection connection_;
  db::Query appQuery_{connection_};
  bool connected_ = false;
  std::string databasePath_;
  std::string databaseLabel_;
  std::string personalFolder_;
  EditionSettings edition_;
};

}  // namespace velmora::session
