#include "Win32EventFileSystem.h"

#include <windows.h>

#include <algorithm>
#include "Utf8Text.h"

namespace {

// Every handle shares reading, writing and deleting with the plug-in, so
// that neither its appends nor the renames of a trim wait for it.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenExisting(const std::string& path, DWORD access) {
  return CreateFileW(WideFromUtf8(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Writes every byte to an open file; false unless all were written.
bool WriteAll(HANDLE h, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    if (!WriteFile(h, bytes.data() + done, want, &wrote, nullptr) || wrote == 0) return false;
    done += wrote;
  }
  return true;
}

}  // namespace

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
  HANDLE h = OpenExisting(path, GENERIC_READ);
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

bool Win32EventFileSystem::WriteWhole(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool written = WriteAll(h, bytes) && FlushFileBuffers(h);
  return CloseHandle(h) && written;
}

bool Win32EventFileSystem::Append(const std::string& path, const std::string& bytes) {
  // Only to a file that exists: bytes carried to a file that went meanwhile
  // must not make a new one that holds them alone.
  HANDLE h = OpenExisting(path, FILE_APPEND_DATA);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool written = WriteAll(h, bytes);
  return CloseHandle(h) && written;
}

bool Win32EventFileSystem::Truncate(const std::string& path, std::uint64_t size) {
  HANDLE h = OpenExisting(path, GENERIC_WRITE);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size);
  const bool cut = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  return CloseHandle(h) && cut;
}

bool Win32EventFileSystem::Flush(const std::string& path) {
  HANDLE h = OpenExisting(path, GENERIC_WRITE);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool flushed = FlushFileBuffers(h) != 0;
  return CloseHandle(h) && flushed;
}

std::optional<std::uint64_t> Win32EventFileSystem::FileIndex(const std::string& path) {
  // Opened for its attributes only: the plug-in's writes go on meanwhile. A
  // folder cannot be opened so.
  HANDLE h = OpenExisting(path, FILE_READ_ATTRIBUTES);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  if (!known) return std::nullopt;
  return (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

bool Win32EventFileSystem::Settled(const std::string& path) {
  // An open that shares no writing fails while any handle may write. It
  // must read data: an open for attributes only is not checked for sharing.
  HANDLE h =
      CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

void Win32EventFileSystem::TakeAttributes(const std::string& from, const std::string& to) {
  constexpr DWORD kTaken = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD attributes = GetFileAttributesW(WideFromUtf8(from).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  const DWORD taken = attributes & kTaken;
  SetFileAttributesW(WideFromUtf8(to).c_str(), taken ? taken : FILE_ATTRIBUTE_NORMAL);
}

bool Win32EventFileSystem::Rename(const std::string& from, const std::string& to) {
  return MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                     MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32EventFileSystem::Replace(const std::string& from, const std::string& to) {
  return MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32EventFileSystem::Remove(const std::string& path) {
  const std::wstring wide = WideFromUtf8(path);
  if (DeleteFileW(wide.c_str())) return true;
  DWORD error = GetLastError();
  // Windows deletes no read-only file: the attribute goes first. A folder
  // of that name keeps its attributes.
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
    if (DeleteFileW(wide.c_str())) return true;
    error = GetLastError();
  }
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

void Win32EventFileSystem::Pause(std::uint32_t milliseconds) {
  if (!handle_events_) {
    Sleep(milliseconds);
    return;
  }
  const DWORD began = GetTickCount();
  for (DWORD spent = 0; spent < milliseconds; spent = GetTickCount() - began) {
    // Wakes at the first message, or when the time is up.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - spent, QS_ALLINPUT);
    handle_events_();
  }
}
