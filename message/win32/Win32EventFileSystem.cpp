#include "Win32EventFileSystem.h"

#include <windows.h>

#include <algorithm>
#include "Utf8Text.h"

std::optional<std::uint64_t> Win32EventFileSystem::FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::string> Win32EventFileSystem::ReadFrom(const std::string& path,
                                                          std::uint64_t offset,
                                                          std::uint64_t limit) {
  // The plug-in may hold the file open to append to it: reading shares
  // reading, writing and deleting with it.
  HANDLE h = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  bool ok = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) != 0;
  char buffer[16384];
  while (ok && bytes.size() < limit) {
    DWORD got = 0;
    const std::uint64_t want = std::min<std::uint64_t>(sizeof buffer, limit - bytes.size());
    ok = ReadFile(h, buffer, static_cast<DWORD>(want), &got, nullptr) != 0;
    if (!ok || got == 0) break;
    bytes.append(buffer, got);
  }
  CloseHandle(h);
  if (!ok) return std::nullopt;
  return bytes;
}

namespace {

// Opens the file with `access` and `disposition`, sharing reading and
// writing, and writes every byte; false unless all were written.
bool WriteTo(const std::string& path, DWORD access, DWORD disposition, const std::string& bytes) {
  HANDLE h = CreateFileW(WideFromUtf8(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    if (!WriteFile(h, bytes.data() + done, want, &wrote, nullptr) || wrote == 0) break;
    done += wrote;
  }
  return (CloseHandle(h) != 0) && done == bytes.size();
}

}  // namespace

bool Win32EventFileSystem::WriteWhole(const std::string& path, const std::string& bytes) {
  return WriteTo(path, GENERIC_WRITE, CREATE_ALWAYS, bytes);
}

bool Win32EventFileSystem::Append(const std::string& path, const std::string& bytes) {
  // Only to a file that exists: bytes carried to a file that went meanwhile
  // must not make a new one that holds them alone. The plug-in may be
  // appending too.
  return WriteTo(path, FILE_APPEND_DATA, OPEN_EXISTING, bytes);
}

std::optional<std::uint64_t> Win32EventFileSystem::FileIndex(const std::string& path) {
  // Opened for its attributes only, sharing everything: the plug-in's writes
  // go on meanwhile. A folder cannot be opened so.
  HANDLE h = CreateFileW(WideFromUtf8(path).c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  if (!known) return std::nullopt;
  return (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

bool Win32EventFileSystem::Replace(const std::string& from, const std::string& to,
                                   const std::string& backup) {
  // The attributes are set again: not every file system keeps them.
  const std::wstring wide_to = WideFromUtf8(to), wide_backup = WideFromUtf8(backup);
  const DWORD attributes = GetFileAttributesW(wide_to.c_str());
  if (ReplaceFileW(wide_to.c_str(), WideFromUtf8(from).c_str(), wide_backup.c_str(),
                   REPLACEFILE_WRITE_THROUGH, nullptr, nullptr)) {
    SetFileAttributesW(wide_to.c_str(), attributes);
    return true;
  }
  // The old file may have gone to the backup name without the new one
  // following it: it goes back. Should that fail too, it stays the backup,
  // which the logic finishes later.
  const DWORD error = GetLastError();
  if ((error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) &&
      GetFileAttributesW(wide_to.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MoveFileExW(wide_backup.c_str(), wide_to.c_str(), MOVEFILE_WRITE_THROUGH);
  }
  return false;
}

bool Win32EventFileSystem::Rename(const std::string& from, const std::string& to) {
  return MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                     MOVEFILE_WRITE_THROUGH) != 0;
}

void Win32EventFileSystem::Remove(const std::string& path) {
  DeleteFileW(WideFromUtf8(path).c_str());
}
