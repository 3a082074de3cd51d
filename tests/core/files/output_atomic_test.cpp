// The temporary file of an output cannot be hijacked: it is written through the handle that made it,
// and it takes the target's place only while it is still that file. Work files left by killed runs
// are tidied away with the engine's files beside them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "core/files/atomic_file.h"
#include "support/test_paths.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;
using files::AtomicFile;

// The one temporary "<prefix>*.tmp" in the folder; empty when there is none.
fs::path FindTemporary(const fs::path& folder, const std::string& prefix) {
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    const std::string name = e.path().filename().string();
    if (name.rfind(prefix, 0) == 0 && name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0)
      return e.path();
  }
  return {};
}

enum class Swap { SymbolicLink, HardLink, OtherFile };

// Replaces the temporary by a name that leads to the victim (or by a file of the intruder's).
void SwapTemporary(const fs::path& temp, const fs::path& victim, Swap how) {
  fs::remove(temp);
  switch (how) {
    case Swap::SymbolicLink: fs::create_symlink(victim, temp); break;
    case Swap::HardLink: fs::create_hard_link(victim, temp); break;
    case Swap::OtherFile: WriteFileBytes(temp, "intruder"); break;
  }
}

TEST(OutputAtomic, ATemporarySwappedBeforeTheWriteNeverReachesTheVictimNorTheTarget) {
  const struct Case {
    Swap how;
    const char* name;
  } cases[] = {{Swap::SymbolicLink, "symbolic link"}, {Swap::HardLink, "hard link"}, {Swap::OtherFile, "other file"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const fs::path victim = dir / "victim.txt";
    const fs::path target = dir / "out.csv";
    WriteFileBytes(victim, "victim");
    WriteFileBytes(target, "previous");
    {
      AtomicFile f(target.string(), "~tst");
      const fs::path temp = FindTemporary(dir.path(), "~tst");
      ASSERT_FALSE(temp.empty());
      SwapTemporary(temp, victim, c.how);
      try {
        f.write("exported rows");
        f.commit();
        ADD_FAILURE() << "a swapped temporary was renamed over the target";
      } catch (const files::AtomicFileError&) {
      }
    }
    EXPECT_EQ(ReadFileBytes(victim), "victim");
    EXPECT_EQ(ReadFileBytes(target), "previous");
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(target)));
  }
}

TEST(OutputAtomic, AThreadSwappingTheTemporaryWhileItIsWrittenNeverChangesTheVictim) {
  TempDir dir;
  const fs::path victim = dir / "victim.txt";
  const fs::path target = dir / "report.txt";
  WriteFileBytes(victim, "victim");
  const std::string chunk(4096, 'x');
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    std::atomic<bool> writing{true};
    std::atomic<bool> swapped{false};
    std::thread intruder([&] {
      while (writing && !swapped) {
        const fs::path temp = FindTemporary(dir.path(), "~tst");
        if (temp.empty()) continue;
        std::error_code ec;
        if (fs::remove(temp, ec)) {  // the temporary was still there
          fs::create_symlink(victim, temp, ec);
          swapped = !ec;
        }
      }
    });
    bool committed = false;
    try {
      AtomicFile f(target.string(), "~tst");
      for (int i = 0; i < 40; ++i) f.write(chunk);
      f.commit();
      committed = true;
    } catch (const files::AtomicFileError&) {
    }
    writing = false;
    intruder.join();
    EXPECT_TRUE(ReadFileBytes(victim) == "victim") << "the victim was written";
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(target)));
    if (swapped) {
      EXPECT_FALSE(committed) << "the swapped temporary was taken for the output";
    }
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir.path()))
      if (e.path().filename().string().rfind("~tst", 0) == 0) fs::remove(e.path(), ec);
  }
}

TEST(OutputAtomic, StaleWorkFilesOfEveryPrefixGoWithTheEngineFilesBesideThem) {
  TempDir dir;
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(30);
  const std::set<std::string> stale = {
      "~vmp0A1B2C.tmp", "~vmp0A1B2C.tmp-journal", "~vmc123456.tmp", "~vmc123456.tmp-wal", "~vmc123456.tmp-shm",
      "~vmxABCDEF.tmp", "~vmxABCDEF.tmp-journal", "~SM00FF00.tmp",  "~GN0F0F0F.tmp", "~CK111111.tmp",
      "~vmi222222.tmp-journal",  // its database went before it
  };
  const std::set<std::string> kept = {
      "~vmp0A1B2C.txt", "~vmpnotours.tmp", "notes.tmp", "~vmp0A1B2C.tmp-other", "2012Velmora.mdb-journal",
      "~vmp0a1b2c.tmp",  // lower-case digits are not ours
  };
  for (const std::string& name : stale) {
    WriteFileBytes(dir / name, "x");
    fs::last_write_time(dir / name, old);
  }
  for (const std::string& name : kept) {
    WriteFileBytes(dir / name, "x");
    fs::last_write_time(dir / name, old);
  }
  // a run going on now: its database and journal stay
  WriteFileBytes(dir / "~vmx999999.tmp", "fresh");
  WriteFileBytes(dir / "~vmx999999.tmp-journal", "fresh");
  fs::create_directory(dir / "~vmd333333.tmp");  // never a folder
  fs::last_write_time(dir / "~vmd333333.tmp", old);

  files::RemoveStaleWorkFiles(dir.path().string());

  std::set<std::string> expected = kept;
  expected.insert({"~vmx999999.tmp", "~vmx999999.tmp-journal", "~vmd333333.tmp"});
  std::set<std::string> left;
  for (const auto& e : fs::directory_iterator(dir.path())) left.insert(e.path().filename().string());
  EXPECT_EQ(left, expected);
}

TEST(OutputAtomic, ADiscardedDatabaseTemporaryTakesTheEngineFilesBesideItAlong) {
  TempDir dir;
  {
    AtomicFile f((dir / "new.mdb").string(), "~vmx");
    for (const char* suffix : {"-journal", "-wal", "-shm"}) WriteFileBytes(f.tempPath() + suffix, "x");
    WriteFileBytes(dir / "keep.mdb-journal", "x");
  }  // never committed
  std::set<std::string> left;
  for (const auto& e : fs::directory_iterator(dir.path())) left.insert(e.path().filename().string());
  EXPECT_EQ(left, std::set<std::string>{"keep.mdb-journal"});
}

}  // namespace
}  // namespace velmora::testing
