#pragma once
// What the program asks of the operating system, in one place: the folder of the running program,
// the user's home and data folders, the environment, the terminal, other programs' byte locks, and
// the calls behind the files the program writes (a new file made without following a link and kept
// open by its handle, writes through that handle, and who a name is — device and file number, link
// or not — without following a link; the files area knows them as files::native). A POSIX and a Windows branch;
// the rest of the program includes no system header for these. Paths are UTF-8 strings.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::base::platform {

// The folder of the running program file; `argv0` is the fallback where the system cannot name the
// program file.
std::string ExecutableFolder(const char* argv0);

// Whether standard error is a terminal.
bool StderrIsTerminal();

// The value of the environment variable `name`; nothing when it is unset.
std::optional<std::string> Environment(const char* name);

// The user's home folder ("" when there is none): $HOME, on Windows %USERPROFILE%.
std::string HomeFolder();

// The folder where programs keep the user's data, without the program's own part: $XDG_DATA_HOME
// when it is an absolute path, otherwise ~/.local/share; on Windows the local application data
// folder. "" when neither can be found.
std::string UserDataRoot();

// True when another process holds a write lock of the byte at `offset` of `file` (an advisory
// byte-range lock on POSIX, a file lock on Windows). Never takes a lock itself for longer than the
// test and never writes; false when it cannot tell.
bool ByteLockedByAnother(const std::string& file, long long offset);

// The files the program writes.
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

}  // namespace velmora::base::platform
