// The user's copy of the shipped database for an installed program: made once, never made again
// over a file that exists, a later shipped layout told and not applied; the session opens that copy.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "core/session/session.h"
#include "core/session/user_database.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::session {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

class UserDatabaseTest : public ::testing::Test {
 protected:
  TempDir dir;
  fs::path shipped = dir.copyOfShipped("shipped.mdb");
  fs::path user = dir / "data" / "2012Velmora.mdb";

  void SetUp() override { fs::create_directories(user.parent_path()); }
  std::string label(const fs::path& file) { return testing::Scalar(file, "SELECT db_name FROM ct_label").toString(); }
};

TEST_F(UserDatabaseTest, IsMadeAsACopyOfTheShippedDatabaseWhenMissing) {
  const UserDatabase made = PrepareUserDatabase(shipped.string(), user.string());
  ASSERT_TRUE(made.ok) << made.error;
  EXPECT_TRUE(made.made);
  EXPECT_TRUE(made.newerLayout.empty());
  EXPECT_EQ(testing::ReadFileBytes(user), testing::ReadFileBytes(shipped));
  // Nothing but the copy is left in its folder (the temporary went).
  int files = 0;
  for (const auto& e : fs::directory_iterator(user.parent_path())) files += e.path() != user;
  EXPECT_EQ(files, 0);
}

TEST_F(UserDatabaseTest, AnExistingFileIsNeverReplaced) {
  fs::copy_file(shipped, user);
  testing::Exec(user, "UPDATE ct_label SET db_name = '我的数据'");
  const std::string before = testing::ReadFileBytes(user);
  // Also when it is no database at all: opening it then says what is wrong with it.
  const fs::path broken = dir / "data" / "broken.mdb";
  testing::WriteFileBytes(broken, "not a database");
  for (const fs::path& file : {user, broken}) {
    const std::string bytes = testing::ReadFileBytes(file);
    const UserDatabase kept = PrepareUserDatabase(shipped.string(), file.string());
    EXPECT_TRUE(kept.ok) << file;
    EXPECT_FALSE(kept.made) << file;
    EXPECT_TRUE(kept.newerLayout.empty()) << file;
    EXPECT_EQ(testing::ReadFileBytes(file), bytes) << file;
  }
  EXPECT_EQ(label(user), "我的数据");
}

TEST_F(UserDatabaseTest, AMissingShippedDatabaseMakesNoHalfCopy) {
  const UserDatabase failed = PrepareUserDatabase((dir / "gone.mdb").string(), user.string());
  EXPECT_FALSE(failed.ok);
  EXPECT_NE(failed.error.find("无法建立您的数据库"), std::string::npos) << failed.error;
  EXPECT_FALSE(fs::exists(user));
  EXPECT_TRUE(fs::is_empty(user.parent_path()));
}

TEST_F(UserDatabaseTest, ALaterShippedLayoutIsToldAndNotApplied) {
  struct Case {
    const char* what;
    const char* shippedChange;
    const char* userChange;
    const char* told;  // nullptr: nothing told
  };
  const Case cases[] = {
      {"the same layout", nullptr, nullptr, nullptr},
      {"a greater user_version", "PRAGMA user_version = 3", "PRAGMA user_version = 2", "数据库结构版本为3，您的数据库为2"},
      {"an older shipped user_version", "PRAGMA user_version = 1", "PRAGMA user_version = 2", nullptr},
      {"a new column of dt_data", "ALTER TABLE dt_data ADD COLUMN z999 INTEGER", nullptr, "缺少字段z999"},
      {"a new table", "CREATE TABLE ct_newcodes(code INTEGER)", nullptr, "缺少数据表ct_newcodes"},
      {"a table of the user's own", nullptr, "CREATE TABLE mine(x)", nullptr},
  };
  for (const Case& c : cases) {
    TempDir here;
    const fs::path ours = here.copyOfShipped("shipped.mdb");
    const fs::path theirs = here.copyOfShipped("user.mdb");
    if (c.shippedChange) testing::Exec(ours, c.shippedChange);
    if (c.userChange) testing::Exec(theirs, c.userChange);
    const std::string before = testing::ReadFileBytes(theirs);
    const UserDatabase kept = PrepareUserDatabase(ours.string(), theirs.string());
    EXPECT_TRUE(kept.ok) << c.what;
    if (c.told) {
      EXPECT_NE(kept.newerLayout.find(c.told), std::string::npos) << c.what << ": " << kept.newerLayout;
      EXPECT_NE(kept.newerLayout.find("没有被替换"), std::string::npos) << c.what;
    } else {
      EXPECT_EQ(kept.newerLayout, "") << c.what;
    }
    EXPECT_EQ(testing::ReadFileBytes(theirs), before) << c.what;
  }
}

// Sets XDG_DATA_HOME for the length of a test.
class ScopedDataHome {
 public:
  explicit ScopedDataHome(const fs::path& folder) {
    if (const char* old = std::getenv("XDG_DATA_HOME")) old_ = old;
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
  }
  ~ScopedDataHome() {
    if (old_)
      setenv("XDG_DATA_HOME", old_->c_str(), 1);
    else
      unsetenv("XDG_DATA_HOME");
  }

 private:
  std::optional<std::string> old_;
};

TEST(InstalledSession, OpensTheUsersCopyAndKeepsTheShippedFileAsItWas) {
  TempDir dir;
  const fs::path share = dir / "usr/share/velmora";
  fs::create_directories(share);
  dir.copyOfShipped("usr/share/velmora/2012Velmora.mdb");
  const std::string shippedBytes = testing::ReadFileBytes(share / "2012Velmora.mdb");
  ScopedDataHome home(dir / "data");
  const fs::path folder = dir / "data/Tarnwick/Velmora";

  for (int start = 0; start < 2; ++start) {
    testing::ScriptedPrompts prompts;
    DatabaseSession session(share.string(), prompts);
    ASSERT_TRUE(session.OpenDatabase("")) << (prompts.messages.empty() ? "" : prompts.messages.back());
    EXPECT_EQ(fs::path(session.DatabasePath()), folder / "2012Velmora.mdb");
    EXPECT_EQ(fs::path(session.WorkingCopyPath()), folder / "temp.dat");
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front();
    if (start == 0) {
      session.SysADOConnection().executeNative("UPDATE ct_label SET db_name = '第一次写入'");
    } else {
      EXPECT_EQ(session.DatabaseLabel(), "第一次写入");  // the second start uses the same file
    }
  }
  EXPECT_EQ(testing::ReadFileBytes(share / "2012Velmora.mdb"), shippedBytes);
}

TEST(InstalledSession, ALaterShippedLayoutIsAWarningAndTheUsersFileOpens) {
  TempDir dir;
  const fs::path share = dir / "usr/share/velmora";
  fs::create_directories(share);
  const fs::path shipped = dir.copyOfShipped("usr/share/velmora/2012Velmora.mdb");
  ScopedDataHome home(dir / "data");
  const fs::path folder = dir / "data/Tarnwick/Velmora";
  fs::create_directories(folder);
  const fs::path user = dir.copyOfShipped("data/Tarnwick/Velmora/2012Velmora.mdb");
  testing::Exec(user, "UPDATE ct_label SET db_name = '旧结构'");
  testing::Exec(shipped, "PRAGMA user_version = 5");

  testing::ScriptedPrompts prompts;
  DatabaseSession session(share.string(), prompts);
  ASSERT_TRUE(session.OpenDatabase(""));
  EXPECT_EQ(session.DatabaseLabel(), "旧结构");
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].kind, MessageKind::Warning);
  EXPECT_NE(prompts.messages[0].find("软件自带的数据库比您的数据库"), std::string::npos) << prompts.messages[0];
}

TEST(InstalledSession, ADataFolderThatCannotBeMadeIsToldAndNothingOpens) {
  TempDir dir;
  const fs::path share = dir / "usr/share/velmora";
  fs::create_directories(share);
  const fs::path shipped = dir.copyOfShipped("usr/share/velmora/2012Velmora.mdb");
  const std::string shippedBytes = testing::ReadFileBytes(shipped);
  ScopedDataHome home("/proc/velmora-no-data");  // not even the administrator can make folders there

  testing::ScriptedPrompts prompts;
  DatabaseSession session(share.string(), prompts);
  EXPECT_FALSE(session.OpenDatabase(""));
  EXPECT_FALSE(session.Connected());
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(prompts.messages[0].find("无法建立您的数据文件夹"), std::string::npos) << prompts.messages[0];
  // The shipped database is never opened in its place.
  EXPECT_EQ(testing::ReadFileBytes(shipped), shippedBytes);
}

}  // namespace
}  // namespace velmora::session
