#include "Win32System.h"

#include "Win32Handles.h"

namespace ferrolink {

LocalTime Win32JournalFiles::Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

namespace {

// Takes the one byte, far beyond any journal, that every Ferrolink locks
// while it appends: a server (or a Linux host) that puts each append at
// the end as it last measured it could otherwise let the appends of two
// log-ons overlap. A holder that does not let go within a moment (a
// process that hangs in a call to the server) is not waited for: false,
// and the append goes ahead without the lock.
bool TakeAppendLock(HANDLE h, OVERLAPPED& at) {
  at.Offset = 0;
  at.OffsetHigh = 0x100;  // at 1 TB
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
      return true;
    }
    if (GetLastError() != ERROR_LOCK_VIOLATION) return false;
    Sleep(10);
  }
  return false;
}

}  // namespace

bool Win32JournalFiles::DoAppendFile(const std::string& path, const std::string& bytes,
                                     std::string* landed) {
  // Appending only: each write lands whole at the end, also while another
  // Ferrolink (of another log-on) appends to the same journal or renames it.
  // Reading is asked for only because a lock needs it.
  HANDLE h = CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA | FILE_READ_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED at{};
  const bool locked = TakeAppendLock(h, at);
  bool ok = WriteAll(h, bytes);
  const DWORD error = GetLastError();
  if (locked) UnlockFileEx(h, 0, 1, 0, &at);
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
