#include "core/files/native_file.h"

#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace velmora::files::native {

#ifdef _WIN32

namespace {

std::string LastErrorText() {
  return std::system_category().message(static_cast<int>(GetLastError()));
}

HANDLE Native(Handle h) { return reinterpret_cast<HANDLE>(h); }

bool InfoOf(HANDLE h, BY_HANDLE_FILE_INFORMATION& info) { return GetFileInformationByHandle(h, &info) != 0; }

Identity IdentityFromInfo(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber,
          (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

}  // namespace

CreateResult CreateNew(const std::filesystem::path& path, Handle& handle, std::string& error) {
  handle = kNoHandle;
  // CREATE_NEW refuses any existing name, a link included; the share modes let the finished file be
  // renamed while it is still open, and a writer given its name (the database engine) open it.
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD e = GetLastError();
    if (e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS) return CreateResult::Exists;
    error = std::system_category().message(static_cast<int>(e));
    return CreateResult::Failed;
  }
  handle = reinterpret_cast<Handle>(h);
  return CreateResult::Created;
}

bool WriteAll(Handle handle, std::string_view bytes, std::string& error) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(Native(handle), bytes.data(), chunk, &written, nullptr) || written == 0) {
      error = LastErrorText();
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

bool Sync(Handle handle, std::string& error) {
  if (FlushFileBuffers(Native(handle))) return true;
  error = LastErrorText();
  return false;
}

void Close(Handle handle) {
  if (handle != kNoHandle) CloseHandle(Native(handle));
}

bool IdentityOf(Handle handle, Identity& identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!InfoOf(Native(handle), info)) return false;
  identity = IdentityFromInfo(info);
  return true;
}

NameInfo Inspect(const std::filesystem::path& path) {
  NameInfo result;
  HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return result;
  BY_HANDLE_FILE_INFORMATION info;
  if (InfoOf(h, info)) {
    result.exists = true;
    result.link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    result.regular = !result.link && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    result.links = info.nNumberOfLinks;
    result.ours = true;  // the folder's access rules decide who may replace a name there
    result.identity = IdentityFromInfo(info);
  }
  CloseHandle(h);
  return result;
}

#else

namespace {

std::string ErrnoText(int e) { return std::generic_category().message(e); }

}  // namespace

CreateResult CreateNew(const std::filesystem::path& path, Handle& handle, std::string& error) {
  handle = kNoHandle;
  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    if (errno == EEXIST) return CreateResult::Exists;
    error = ErrnoText(errno);
    return CreateResult::Failed;
  }
  handle = fd;
  return CreateResult::Created;
}

bool WriteAll(Handle handle, std::string_view bytes, std::string& error) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(static_cast<int>(handle), bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      error = ErrnoText(errno);
      return false;
    }
    if (n == 0) {
      error = ErrnoText(EIO);
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool Sync(Handle handle, std::string& error) {
  if (::fsync(static_cast<int>(handle)) == 0) return true;
  error = ErrnoText(errno);
  return false;
}

void Close(Handle handle) {
  if (handle != kNoHandle) ::close(static_cast<int>(handle));
}

bool IdentityOf(Handle handle, Identity& identity) {
  struct stat st {};
  if (::fstat(static_cast<int>(handle), &st) != 0) return false;
  identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return true;
}

NameInfo Inspect(const std::filesystem::path& path) {
  NameInfo result;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return result;
  result.exists = true;
  result.link = S_ISLNK(st.st_mode);
  result.regular = S_ISREG(st.st_mode);
  result.links = static_cast<std::uint64_t>(st.st_nlink);
  result.ours = st.st_uid == ::geteuid();
  result.identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return result;
}

#endif

}  // namespace velmora::files::native
