#pragma once
// The operating-system calls behind the files the program writes: a new file made without following
// a link and kept open by its handle, writes through that handle, and who a name is (device and
// file number, link or not) without following a link. One POSIX branch and one Windows branch; no
// other file of the output code includes a system header.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::files::native {

// An open file: a descriptor on POSIX, a HANDLE on Windows.
using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

// Which file an open handle or a name is: the same pair means the same file.
struct Identity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  bool operator==(const Identity&) const = default;
};

// What a name holds, the name itself looked at (a link is not followed).
struct NameInfo {
  bool exists = false;
  bool link = false;          // a symbolic link (a reparse point on Windows)
  bool regular = false;       // a plain file
  std::uint64_t links = 0;    // names of the file (hard links)
  bool ours = false;          // owned by the user running the program
  Identity identity;
};

enum class CreateResult { Created, Exists, Failed };

// Creates `path` as a new empty file for writing: never an existing name, never through a link,
// not inherited by child processes, permissions 0666 less the umask. On Created, `handle` is open.
// On Failed, `error` holds the system's text.
CreateResult CreateNew(const std::filesystem::path& path, Handle& handle, std::string& error);

// Writes all of `bytes`; false with the system's text otherwise.
bool WriteAll(Handle handle, std::string_view bytes, std::string& error);

// Puts what was written on the disk; false with the system's text otherwise.
bool Sync(Handle handle, std::string& error);

// Closes the handle (kNoHandle is ignored).
void Close(Handle handle);

// The identity of the file an open handle writes to; false when it cannot be read.
bool IdentityOf(Handle handle, Identity& identity);

// What `path` names, without following a link.
NameInfo Inspect(const std::filesystem::path& path);

}  // namespace velmora::files::native
