#pragma once
// Where the program finds the files it ships and where it keeps what it writes.
//
// In the build tree (or an unpacked copy) everything lies in the folder of the program file, which
// the user can write to. An installed program keeps its shipped files in "<prefix>/share/velmora"
// beside "<prefix>/bin", a folder the user cannot write to (and the administrator must not: the
// package owns those files): the user's default database, the package working copy and the work
// files then live in the user's data folder ($XDG_DATA_HOME/Tarnwick/Velmora, on Windows the local
// application data folder). Paths are UTF-8.

#include <string>

namespace velmora::files {

inline constexpr const char* kShippedDatabaseName = "2012Velmora.mdb";
inline constexpr const char* kOrganisationName = "Tarnwick";
inline constexpr const char* kApplicationName = "Velmora";

// The folder of the shipped files for a program file in `executableFolder`: "<executableFolder>/../
// share/velmora" when it holds the shipped database, otherwise `executableFolder` itself.
std::string ShippedFilesFolder(const std::string& executableFolder);

// The program's folder in the user's data folder ("" when the system names no data folder). Not made.
std::string UserDataFolder();

// What is known of the folders when the choice is made.
struct FolderFacts {
  std::string programFolder;     // the shipped files' folder
  bool programWritable = false;  // a file can be made there
  bool holdsShippedFiles = false;  // the shipped database is there
  bool sharedLayout = false;     // the folder is "<prefix>/share/velmora", apart from the program
  std::string userDataFolder;    // made and writable; "" when it cannot be had
  std::string tempFolder;        // the system temporary folder ("" when unknown)
};

// Where the user's files go.
struct FolderChoice {
  bool installed = false;      // the shipped files cannot be written: the user's copies live elsewhere
  std::string databaseFolder;  // the default database's folder ("" when there is none to be had)
  std::string workFolder;      // working copies, work files and written lists
};

// The decision alone. A program folder that can be written keeps everything beside the program (as
// in the build tree). An installation — the shipped files in share/velmora, or a folder holding them
// that cannot be written — sends the default database and the work files to the user's data folder
// (no database, and the temporary folder for work, when that folder cannot be had). Anything else (a
// folder that is gone, a foreign read-only folder) sends the work files to the temporary folder, and
// the database is looked for beside the program, where its absence is then reported.
FolderChoice ChooseFolders(const FolderFacts& facts);

// True when `folder` is "<something>/share/velmora".
bool IsSharedLayout(const std::string& folder);

// The facts of `programFolder` on this system. The user's data folder is made (and its writability
// probed) only when the choice needs it.
FolderFacts ProbeFolders(const std::string& programFolder);

// ChooseFolders(ProbeFolders(programFolder)).
FolderChoice FoldersFor(const std::string& programFolder);

}  // namespace velmora::files
