#pragma once
// Where the tests find the shipped files, and a temporary folder that removes itself.

#include <filesystem>
#include <string>

namespace velmora::testing {

// The build's program folder and the source tree (known to one file only, so that the other test
// files compile the same wherever the project is checked out).
std::filesystem::path ProgramDir();
inline std::filesystem::path ShippedDatabase() { return ProgramDir() / "2012Velmora.mdb"; }
inline std::filesystem::path PackageTemplate() { return ProgramDir() / "view.dll"; }
std::filesystem::path SourceDir();

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  // A copy of the shipped database in this folder, named `name`.
  std::filesystem::path copyOfShipped(const std::string& name = "2012Velmora.mdb") const;

 private:
  std::filesystem::path path_;
};

std::string ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes);

}  // namespace velmora::testing
