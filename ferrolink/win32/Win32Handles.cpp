#include "Win32Handles.h"

#include <vector>

namespace ferrolink {

uint64_t FromFileTime(const FILETIME& ft) {
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

uint64_t ToLocal(const FILETIME& utc) {
  FILETIME local;
  return FromFileTime(FileTimeToLocalFileTime(&utc, &local) ? local : utc);
}

HANDLE OpenForQuery(const std::string& path) {
  return CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool WriteAll(HANDLE h, const std::string& bytes) {
  DWORD written = 0;
  return bytes.empty() ||
         (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
          written == bytes.size());
}

bool ReadFull(HANDLE h, char* buffer, uint32_t size, uint32_t& got) {
  got = 0;
  while (got < size) {
    DWORD read = 0;
    if (!ReadFile(h, buffer + got, size - got, &read, nullptr)) return false;
    if (read == 0) break;
    got += read;
  }
  return true;
}

bool RenameThrough(HANDLE h, const std::string& to) {
  const std::wstring name = Wide(to);
  const size_t bytes = name.size() * sizeof(wchar_t);
  std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + bytes);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(bytes);
  std::copy(name.begin(), name.end(), info->FileName);
  return SetFileInformationByHandle(h, FileRenameInfo, info, static_cast<DWORD>(buffer.size())) !=
         0;
}

bool DeleteThrough(HANDLE h) {
  FILE_DISPOSITION_INFO disposition{TRUE};
  return SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

uint64_t SizeThrough(HANDLE h) {
  LARGE_INTEGER size{};
  return GetFileSizeEx(h, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
}

bool IdentityThrough(HANDLE h, FileId& id) {
  BY_HANDLE_FILE_INFORMATION info;
  // Some servers give every file the index 0: that tells nothing.
  if (!GetFileInformationByHandle(h, &info) ||
      (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0)) {
    return false;
  }
  id.Volume = info.dwVolumeSerialNumber;
  id.Index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

bool IndexThrough(HANDLE h, uint64_t& index) {
  struct IoStatus {
    void* status;
    ULONG_PTR information;
  } io{};
  using QueryFile = LONG(WINAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
  static const auto query = reinterpret_cast<QueryFile>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationFile")));
  constexpr int kFileInternalInformation = 6;
  LARGE_INTEGER internal{};
  if (!query || query(h, &io, &internal, sizeof internal, kFileInternalInformation) < 0) {
    return false;
  }
  index = static_cast<uint64_t>(internal.QuadPart);
  return index != 0;
}

std::string FinalPathThrough(HANDLE h) {
  std::string final_path = GrownPath([h](wchar_t* buffer, DWORD size) {
    return GetFinalPathNameByHandleW(h, buffer, size, FILE_NAME_NORMALIZED);
  });
  // "\\?\C:\..." and "\\?\UNC\server\share\..." in their usual forms.
  if (final_path.rfind("\\\\?\\UNC\\", 0) == 0) {
    final_path = "\\\\" + final_path.substr(8);
  } else if (final_path.rfind("\\\\?\\", 0) == 0) {
    final_path = final_path.substr(4);
  }
  return final_path;
}

std::string LocationThrough(HANDLE h) {
  std::vector<char> buffer(sizeof(FILE_NAME_INFO) + 1024 * sizeof(wchar_t));
  for (;;) {
    auto* info = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
    if (GetFileInformationByHandleEx(h, FileNameInfo, info, static_cast<DWORD>(buffer.size()))) {
      return Narrow(info->FileName, info->FileNameLength / sizeof(wchar_t));
    }
    if (GetLastError() != ERROR_MORE_DATA || buffer.size() > 70000) return std::string();
    buffer.resize(sizeof(FILE_NAME_INFO) + 32768 * sizeof(wchar_t));
  }
}

namespace {

// A new file for a save's content beside `path`, named after it: ".new", or
// when a leftover of that name cannot be cleared, ".new1" to ".new9". Every
// helper file of a save so begins with the file's own name and a dot.
HANDLE CreateSaveFile(const std::string& path, std::wstring& temp) {
  for (int n = 0; n < 10; ++n) {
    temp = Wide(path + ".new" + (n == 0 ? std::string() : std::to_string(n)));
    SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(temp.c_str());
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

std::string LastErrorWords() {
  const DWORD error = GetLastError();
  if (error == ERROR_SUCCESS) return std::string();
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string words = n && text ? Narrow(text, n) : std::string();
  if (text) LocalFree(text);
  while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' ||
                            words.back() == '.')) {
    words.pop_back();
  }
  return words.empty() ? "Fehler " + std::to_string(error)
                       : words + " (" + std::to_string(error) + ")";
}

FileRead ReadWhole(const std::string& path, std::string& bytes) {
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ? FileRead::Missing
                                                                      : FileRead::Failed;
  }
  bytes.clear();
  char buf[16384];
  DWORD got = 0;
  bool ok = true;
  for (;;) {
    if (!ReadFile(h, buf, sizeof buf, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    bytes.append(buf, got);
  }
  CloseHandle(h);
  return ok ? FileRead::Ok : FileRead::Failed;
}

bool ReplaceWhole(const std::string& path, const std::string& bytes) {
  // Write beside the file, then swap: a failed write leaves the old file.
  std::wstring temp;
  HANDLE h = CreateSaveFile(path, temp);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(h, bytes);
  ok = FlushFileBuffers(h) && ok;
  ok = CloseHandle(h) && ok;
  // ReplaceFileW keeps the file's owner and permissions; the attributes are
  // set again, as not every file system keeps them. The old file waits under
  // a backup name of our own until the new one is in place, so that a failed
  // replace leaves nothing behind and can put the old file back. A file that
  // is not there yet simply takes the new one's place.
  const std::wstring target = Wide(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (ok && attributes != INVALID_FILE_ATTRIBUTES) {
    const std::wstring backup = Wide(path + kSaveBackup);
    SetFileAttributesW(backup.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(backup.c_str());
    ok = ReplaceFileW(target.c_str(), temp.c_str(), backup.c_str(), REPLACEFILE_WRITE_THROUGH,
                      nullptr, nullptr);
    if (ok) {
      SetFileAttributesW(target.c_str(), attributes);
    } else if (GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
      MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    // The old file goes only once a file is in place again: where the
    // replace failed half-way and the old one could not be moved back, it
    // is the only copy left (the settings are read from there).
    if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
      DeleteFileW(backup.c_str());
    }
  } else if (ok) {
    ok = MoveFileExW(temp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  }
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}

}  // namespace ferrolink
