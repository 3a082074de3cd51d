#pragma once
// What the program asks of the operating system, in one place: the folder of the running program,
// the user's home and data folders, the environment, the terminal and other programs' byte locks
// (the creation of files is the files area's native_file unit). A POSIX and a Windows branch;
// the rest of the program includes no system header for these. Paths are UTF-8 strings.

#include <optional>
#include <string>

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

}  // namespace velmora::base::platform
