#include "Win32System.h"

#include <winnetwk.h>

#include <cstring>

namespace ferrolink {

namespace {

uint64_t FromFileTime(const FILETIME& ft) {
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME ToFileTime(uint64_t t) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(t);
  ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return ft;
}

class Win32Listing : public DirectoryListing {
 public:
  Win32Listing(HANDLE handle, const WIN32_FIND_DATAA& first) : handle_(handle), data_(first) {}
  ~Win32Listing() override { FindClose(handle_); }
  Win32Listing(const Win32Listing&) = delete;
  Win32Listing& operator=(const Win32Listing&) = delete;

  bool Next(ListEntry& entry) override {
    if (!have_) {
      if (!FindNextFileA(handle_, &data_)) return false;
    }
    have_ = false;
    entry.CreationTime = FromFileTime(data_.ftCreationTime);
    entry.LastWriteTime = FromFileTime(data_.ftLastWriteTime);
    entry.LastAccessTime = FromFileTime(data_.ftLastAccessTime);
    entry.Attributes = data_.dwFileAttributes;
    entry.SizeHigh = data_.nFileSizeHigh;
    entry.SizeLow = data_.nFileSizeLow;
    entry.Name = data_.cFileName;
    return true;
  }

 private:
  HANDLE handle_;
  WIN32_FIND_DATAA data_;
  bool have_ = true;  // the entry FindFirstFileA gave is still to be handed out
};

}  // namespace

Win32System::Win32System() {
  // The layout is in fixed pixels and not scaled to the screen's resolution,
  // so the font keeps its height of 11 pixels (8 points at 96 dpi) as well.
  font_ = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
  measure_dc_ = CreateCompatibleDC(nullptr);
  SelectObject(measure_dc_, font_);
}

Win32System::~Win32System() {
  CloseSettingsKey();
  DeleteDC(measure_dc_);
  DeleteObject(font_);
}

bool Win32System::OpenSettingsKey() {
  CloseSettingsKey();
  return RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, &key_) == ERROR_SUCCESS;
}

SettingsValue Win32System::ReadSettingsValue(std::string& value) {
  value.clear();
  DWORD type = 0, size = 0;
  LONG rc = RegQueryValueExA(key_, kSettingsValueName, nullptr, &type, nullptr, &size);
  if (rc == ERROR_FILE_NOT_FOUND) return SettingsValue::Missing;
  if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return SettingsValue::Missing;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return SettingsValue::OtherType;
  std::string buf(size + 1, '\0');
  size = static_cast<DWORD>(buf.size());
  rc = RegQueryValueExA(key_, kSettingsValueName, nullptr, &type,
                        reinterpret_cast<BYTE*>(buf.data()), &size);
  if (rc != ERROR_SUCCESS) return SettingsValue::Missing;
  // The text ends at the first NUL or at the data's length, whichever is first.
  buf.resize(std::min<size_t>(size, buf.size()));
  value.assign(buf.c_str(), strnlen(buf.c_str(), buf.size()));
  return SettingsValue::String;
}

void Win32System::CloseSettingsKey() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

FileRead Win32System::ReadWholeFile(const std::string& path, std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
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

bool Win32System::ReplaceWholeFile(const std::string& path, const std::string& bytes) {
  // Write beside the file, then swap: a failed write leaves the old file. A
  // temporary file that an earlier crash left is cleared first; one that
  // cannot be cleared gives way to a new name.
  std::string temp = path + ".new";
  SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(temp.c_str());
  HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    char unique[MAX_PATH];
    const std::string folder = path.substr(0, path.find_last_of("\\/:") + 1);
    if (!GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "fl", 0, unique)) return false;
    temp = unique;
    h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                    nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      DeleteFileA(temp.c_str());
      return false;
    }
  }
  DWORD written = 0;
  bool ok = bytes.empty() ||
            (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
             written == bytes.size());
  ok = FlushFileBuffers(h) && ok;
  ok = CloseHandle(h) && ok;
  // ReplaceFileA keeps the file's owner and permissions; the attributes are
  // set again, as not every file system keeps them. The old file waits under
  // a backup name of our own until the new one is in place, so that a failed
  // replace leaves nothing behind and can put the old file back. A file that
  // is not there yet simply takes the new one's place.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (ok && attributes != INVALID_FILE_ATTRIBUTES) {
    const std::string backup = path + ".alt";
    SetFileAttributesA(backup.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(backup.c_str());
    ok = ReplaceFileA(path.c_str(), temp.c_str(), backup.c_str(), REPLACEFILE_WRITE_THROUGH,
                      nullptr, nullptr);
    if (ok) {
      SetFileAttributesA(path.c_str(), attributes);
    } else if (GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
      MoveFileExA(backup.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    DeleteFileA(backup.c_str());
  } else if (ok) {
    ok =
        MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  }
  if (!ok) DeleteFileA(temp.c_str());
  return ok;
}

std::string Win32System::FullPathName(const std::string& path) {
  char buf[MAX_PATH];
  char* name = nullptr;
  const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, buf, &name);
  if (n == 0 || n >= MAX_PATH) return std::string();
  return std::string(buf, n);
}

std::string Win32System::CurrentDirectory() {
  char buf[MAX_PATH];
  const DWORD n = GetCurrentDirectoryA(MAX_PATH, buf);
  return n == 0 || n >= MAX_PATH ? std::string() : std::string(buf, n);
}

std::string Win32System::ModuleFileName() {
  char buf[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::string() : std::string(buf, n);
}

bool Win32System::IsWin9x() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

bool Win32System::UniversalName(const std::string& path, std::string& unc) {
  alignas(UNIVERSAL_NAME_INFOA) char buf[1024];
  DWORD size = sizeof buf;
  if (WNetGetUniversalNameA(path.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buf, &size) != NO_ERROR) {
    return false;
  }
  const auto* info = reinterpret_cast<const UNIVERSAL_NAME_INFOA*>(buf);
  if (!info->lpUniversalName) return false;
  unc = info->lpUniversalName;
  return true;
}

std::vector<NetResource> Win32System::ConnectedDisks() {
  std::vector<NetResource> out;
  HANDLE e = nullptr;
  if (WNetOpenEnumA(RESOURCE_CONNECTED, RESOURCETYPE_DISK, 0, nullptr, &e) != NO_ERROR) {
    return out;
  }
  std::vector<char> buf(1600);
  for (;;) {
    DWORD count = 0xFFFFFFFF, size = static_cast<DWORD>(buf.size());
    const DWORD rc = WNetEnumResourceA(e, &count, buf.data(), &size);
    if (rc == ERROR_MORE_DATA) {
      buf.resize(std::max<size_t>(size, buf.size() * 2));
      continue;
    }
    if (rc != NO_ERROR) break;
    const auto* res = reinterpret_cast<const NETRESOURCEA*>(buf.data());
    for (DWORD i = 0; i < count; ++i) {
      out.push_back({res[i].lpLocalName ? res[i].lpLocalName : "",
                     res[i].lpRemoteName ? res[i].lpRemoteName : ""});
    }
  }
  WNetCloseEnum(e);
  return out;
}

bool Win32System::AddConnection(const std::string& remote) {
  return WNetAddConnectionA(remote.c_str(), "", "") == NO_ERROR;
}

bool Win32System::ReadVersionInfo(const std::string& path, FixedVersionInfo& info) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> buf(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, buf.data())) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  char root[] = "\\";
  if (!VerQueryValueA(buf.data(), root, reinterpret_cast<void**>(&fixed), &len) || !fixed ||
      len < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  info.FileVersionMS = fixed->dwFileVersionMS;
  info.FileVersionLS = fixed->dwFileVersionLS;
  info.ProductVersionMS = fixed->dwProductVersionMS;
  info.ProductVersionLS = fixed->dwProductVersionLS;
  info.FlagsMask = fixed->dwFileFlagsMask;
  info.Flags = fixed->dwFileFlags;
  return true;
}

bool Win32System::FileDosDateTime(const std::string& path, uint32_t& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
      !FileTimeToDosDateTime(&local, &date, &time)) {
    return false;
  }
  stamp = (static_cast<uint32_t>(date) << 16) | time;
  return true;
}

std::string Win32System::UpperCase(const std::string& text) {
  std::string out = text;
  if (!out.empty()) CharUpperBuffA(out.data(), static_cast<DWORD>(out.size()));
  return out;
}

int Win32System::TextWidth(const std::string& text) {
  SIZE size{};
  if (!GetTextExtentPoint32A(measure_dc_, text.c_str(), static_cast<int>(text.size()), &size)) {
    return 0;
  }
  return size.cx;
}

std::unique_ptr<DirectoryListing> Win32System::List(const std::string& pattern) {
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(pattern.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32Listing>(h, data);
}

uint64_t Win32System::ToLocalFileTime(uint64_t utc) {
  const FILETIME in = ToFileTime(utc);
  FILETIME out;
  return FileTimeToLocalFileTime(&in, &out) ? FromFileTime(out) : utc;
}

uint32_t Win32System::FileAttributes(const std::string& path) {
  return GetFileAttributesA(path.c_str());
}

bool Win32System::CreateDirectoryLevel(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool Win32System::CopyFileOver(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool Win32System::DeleteFileAt(const std::string& path) {
  return DeleteFileA(path.c_str()) != 0;
}

bool Win32System::SetFileAttributesAt(const std::string& path, uint32_t attributes) {
  return SetFileAttributesA(path.c_str(), attributes) != 0;
}

bool Win32System::FileStamp(const std::string& path, uint64_t& size, uint64_t& last_write) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  last_write = FromFileTime(data.ftLastWriteTime);
  return true;
}

bool Win32System::MoveFileOver(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32System::FlushFileAt(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = FlushFileBuffers(h) != 0;
  return CloseHandle(h) && ok;
}

namespace {

// A folder opens only with backup semantics; no access right is needed to
// read its identity or its final path, and every sharing mode lets others
// go on.
HANDLE OpenFolder(const std::string& path) {
  return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

std::string Win32System::FinalPath(const std::string& path) {
  HANDLE h = OpenFolder(path);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  char buf[MAX_PATH + 8];
  const DWORD n = GetFinalPathNameByHandleA(h, buf, sizeof buf, FILE_NAME_NORMALIZED);
  CloseHandle(h);
  if (n == 0 || n >= sizeof buf) return std::string();
  std::string final_path(buf, n);
  // "\\?\C:\..." and "\\?\UNC\server\share\..." in their usual forms.
  if (final_path.rfind("\\\\?\\UNC\\", 0) == 0) {
    final_path = "\\\\" + final_path.substr(8);
  } else if (final_path.rfind("\\\\?\\", 0) == 0) {
    final_path = final_path.substr(4);
  }
  if (final_path.back() != '\\') final_path += '\\';
  return final_path;
}

bool Win32System::FolderIdentity(const std::string& path, FolderId& id) {
  HANDLE h = OpenFolder(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  // Some servers give every file the index 0: that tells nothing.
  if (!ok || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0)) {
    return false;
  }
  id.Volume = info.dwVolumeSerialNumber;
  id.Index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace ferrolink
