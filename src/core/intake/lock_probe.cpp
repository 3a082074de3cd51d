#include "core/intake/lock_probe.h"

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace velmora::intake {

namespace {
// The engine's reserved byte: a writer holds it from its first write until its commit; readers never do.
constexpr long long kReservedByte = 0x40000001LL;
}

#ifdef _WIN32
bool HeldForWriting(const std::string& file) {
  const std::filesystem::path path(reinterpret_cast<const char8_t*>(file.c_str()));
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(kReservedByte & 0xffffffff);
  at.OffsetHigh = static_cast<DWORD>(kReservedByte >> 32);
  // A shared lock of the byte succeeds unless a writer holds one of them exclusively.
  const bool free = LockFileEx(h, LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
  if (free) UnlockFileEx(h, 0, 1, 0, &at);
  CloseHandle(h);
  return !free;
}
#else
bool HeldForWriting(const std::string& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = kReservedByte;
  probe.l_len = 1;
  const bool held = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  ::close(fd);
  return held;
}
#endif

}  // namespace velmora::intake
