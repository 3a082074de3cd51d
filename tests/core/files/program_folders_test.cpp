// Where the shipped files are found and where the user's database and work files go: beside the
// program in the build tree, in the user's data folder once installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "core/files/program_folders.h"
#include "core/files/report_folder.h"
#include "support/test_paths.h"

namespace velmora::files {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// Sets an environment variable for the length of a test and puts the old value back.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(ChooseFolders, PutsTheUsersFilesBesideTheProgramOnlyWhenItIsNotInstalled) {
  struct Case {
    const char* what;
    FolderFacts facts;
    FolderChoice expected;
  };
  const Case cases[] = {
      {"build tree", {"/b/bin", true, true, false, "/d", "/t"}, {false, "/b/bin", "/b/bin"}},
      {"writable folder without the database", {"/b/bin", true, false, false, "", "/t"}, {false, "/b/bin", "/b/bin"}},
      {"read-only folder holding the shipped files", {"/opt/v", false, true, false, "/d", "/t"}, {true, "/d", "/d"}},
      {"installed, no data folder", {"/opt/v", false, true, false, "", "/t"}, {true, "", "/t"}},
      {"share/velmora that cannot be written", {"/usr/share/velmora", false, true, true, "/d", "/t"}, {true, "/d", "/d"}},
      // The administrator can write to /usr/share/velmora, but the package owns those files.
      {"share/velmora that can be written", {"/usr/share/velmora", true, true, true, "/d", "/t"}, {true, "/d", "/d"}},
      {"a folder that is gone", {"/gone", false, false, false, "", "/t"}, {false, "/gone", "/t"}},
      {"no temporary folder either", {"/gone", false, false, false, "", ""}, {false, "/gone", "/gone"}},
  };
  for (const Case& c : cases) {
    const FolderChoice got = ChooseFolders(c.facts);
    EXPECT_EQ(got.installed, c.expected.installed) << c.what;
    EXPECT_EQ(got.databaseFolder, c.expected.databaseFolder) << c.what;
    EXPECT_EQ(got.workFolder, c.expected.workFolder) << c.what;
  }
}

TEST(ShippedFilesFolder, IsShareVelmoraBesideBinOnlyWhenItHoldsTheShippedDatabase) {
  TempDir dir;
  fs::create_directories(dir / "usr/bin");
  fs::create_directories(dir / "usr/share/velmora");
  fs::create_directories(dir / "build/bin");
  fs::create_directories(dir / "empty/bin");
  fs::create_directories(dir / "empty/share/velmora");
  testing::WriteFileBytes(dir / "usr/share/velmora" / kShippedDatabaseName, "x");
  testing::WriteFileBytes(dir / "build/bin" / kShippedDatabaseName, "x");
  struct Case {
    fs::path exe;
    fs::path expected;
  };
  for (const Case& c : {Case{dir / "usr/bin", dir / "usr/share/velmora"}, Case{dir / "build/bin", dir / "build/bin"},
                        Case{dir / "empty/bin", dir / "empty/bin"}})
    EXPECT_EQ(fs::path(ShippedFilesFolder(c.exe.string())), c.expected) << c.exe;
}

TEST(IsSharedLayout, KnowsShareVelmoraByItsLastTwoNames) {
  struct Case {
    const char* folder;
    bool expected;
  };
  for (const Case& c : {Case{"/usr/share/velmora", true}, Case{"/opt/x/share/velmora/", true},
                        Case{"/usr/share/velmora/../velmora", true}, Case{"/work/build/bin", false},
                        Case{"/usr/share/other", false}, Case{"/velmora", false}, Case{"", false}})
    EXPECT_EQ(IsSharedLayout(c.folder), c.expected) << c.folder;
}

TEST(UserDataFolder, FollowsXdgDataHomeAndFallsBackToTheHomeFolder) {
  ScopedEnvironment home("HOME", "/home/clerk");
  {
    ScopedEnvironment xdg("XDG_DATA_HOME", "/data/clerk");
    EXPECT_EQ(UserDataFolder(), "/data/clerk/Tarnwick/Velmora");
  }
  // A relative or empty XDG_DATA_HOME does not count (the XDG base directory rules).
  for (const char* ignored : {"", "relative/data"}) {
    ScopedEnvironment xdg("XDG_DATA_HOME", ignored);
    EXPECT_EQ(UserDataFolder(), "/home/clerk/.local/share/Tarnwick/Velmora") << ignored;
  }
}

TEST(WorkingFolder, IsTheUsersDataFolderForAnInstalledProgram) {
  TempDir dir;
  fs::create_directories(dir / "usr/share/velmora");
  testing::WriteFileBytes(dir / "usr/share/velmora" / kShippedDatabaseName, "x");
  ScopedEnvironment xdg("XDG_DATA_HOME", (dir / "data").string());
  const fs::path expected = dir / "data/Tarnwick/Velmora";
  EXPECT_EQ(fs::path(WorkingFolder((dir / "usr/share/velmora").string())), expected);
  EXPECT_TRUE(fs::is_directory(expected));
  const FolderChoice installed = FoldersFor((dir / "usr/share/velmora").string());
  EXPECT_TRUE(installed.installed);
  EXPECT_EQ(fs::path(installed.databaseFolder), expected);
  // The build tree's folder keeps everything beside the program.
  EXPECT_EQ(fs::path(WorkingFolder(testing::ProgramDir().string())), testing::ProgramDir());
}

}  // namespace
}  // namespace velmora::files
