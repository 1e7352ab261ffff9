#include "Win32System.h"

#include "Win32Handles.h"

namespace ferrolink {

LocalTime Win32JournalFiles::Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

bool Win32JournalFiles::DoAppendFile(const std::string& path, const std::string& bytes,
                                     std::string* landed) {
  // Appending only: each write lands whole at the end, also while another
  // Ferrolink (of another log-on) appends to the same journal or renames it.
  HANDLE h = CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(h, bytes);
  const DWORD error = GetLastError();
  if (ok && landed) *landed = FinalPathThrough(h);
  ok = CloseHandle(h) && ok;
  if (!ok) SetLastError(error);
  return ok;
}

bool Win32JournalFiles::DoFileSize(const std::string& path, uint64_t& size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

bool Win32JournalFiles::DoRenameWhenLarger(const std::string& path, uint64_t limit,
                                           const std::string& to) {
  HANDLE h = CreateFileW(Wide(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool renamed = SizeThrough(h) > limit && RenameThrough(h, to);
  const DWORD error = GetLastError();
  CloseHandle(h);
  SetLastError(error);
  return renamed;
}

std::string Win32JournalFiles::LastErrorText() {
  return LastErrorWords();
}

}  // namespace ferrolink
