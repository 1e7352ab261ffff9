// What the real seams share: the logic's UTF-8 text as the wide API takes
// it, file times, paths of any length, and the calls made through an open
// handle.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "Folders.h"
#include "TransferFiles.h"
#include "SettingsStore.h"
#include "Utf.h"

namespace ferrolink {

// The logic's UTF-8 text as the wide API takes it, and back.
inline std::wstring Wide(const std::string& text) {
  const std::u16string units = Utf16FromUtf8(text);
  return std::wstring(units.begin(), units.end());
}
inline std::string Narrow(const wchar_t* text, size_t length) {
  return Utf8FromUtf16(std::u16string(text, text + length));
}
inline std::string Narrow(const std::wstring& text) {
  return Narrow(text.data(), text.size());
}

uint64_t FromFileTime(const FILETIME& ft);
// A file time in local time, as the records of a walk hold it.
uint64_t ToLocal(const FILETIME& utc);

// The answer of a query that writes a path into a buffer, asked with a
// buffer that grows until the answer fits: paths have no length limit below
// Windows' 32767 units. `query` takes the buffer and its size in units and
// returns what the system call returns: the length written, the size needed
// (or the size given, cut) when the buffer was too small, or 0 on failure.
// Empty on failure.
template <typename Query>
std::string GrownPath(Query query) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = query(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return Narrow(buffer.data(), n);
    if (buffer.size() > 2 * 32768) return std::string();
    buffer.resize(std::max<size_t>(n + 1, buffer.size() * 2));
  }
}

// Opens a file or a folder (a folder opens only with backup semantics); no
// access right is needed to read its identity or its final path, and every
// sharing mode lets others go on.
HANDLE OpenForQuery(const std::string& path);
bool WriteAll(HANDLE h, const std::string& bytes);
// Reads from where the handle stands until `size` bytes are read or the file
// ends; `got` tells how many were.
bool ReadFull(HANDLE h, char* buffer, uint32_t size, uint32_t& got);
// Renames the file a handle holds (opened with DELETE access) over `to`, a
// path as the other calls take it: the system turns it into NT's form, as
// it does for a path that opens a file.
bool RenameThrough(HANDLE h, const std::string& to);
bool DeleteThrough(HANDLE h);
uint64_t SizeThrough(HANDLE h);
bool IdentityThrough(HANDLE h, FileId& id);
// The file index of what a handle holds, without the volume's number, which
// costs Wine a query of the file system per call; false when the file system
// gives none.
bool IndexThrough(HANDLE h, uint64_t& index);
// The path of what a handle holds with every link on its way followed, in
// its usual form ("C:\..." or "\\server\share\..."); empty when the system
// cannot tell.
std::string FinalPathThrough(HANDLE h);
// The path of what a handle holds, as the file system names it (without its
// drive or share); empty when it gives none.
std::string LocationThrough(HANDLE h);

// The system's words for why the call that failed last failed, with its
// number; empty when nothing failed.
std::string LastErrorWords();

// A whole file read, sharing reading only, and a whole file replaced so
// that a failed write leaves the old file (the settings, the record of
// copies).
FileRead ReadWhole(const std::string& path, std::string& bytes);
bool ReplaceWhole(const std::string& path, const std::string& bytes);

}  // namespace ferrolink
