#include "Win32System.h"

#include <shlobj.h>
#include <winnetwk.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "SystemDlls.h"

namespace ferrolink {

namespace {

uint64_t FromFileTime(const FILETIME& ft) {
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// A file time in local time, as the records of a walk hold it.
uint64_t ToLocal(const FILETIME& utc) {
  FILETIME local;
  return FromFileTime(FileTimeToLocalFileTime(&utc, &local) ? local : utc);
}

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

class Win32Listing : public DirectoryListing {
 public:
  Win32Listing(HANDLE handle, const WIN32_FIND_DATAW& first) : handle_(handle), data_(first) {}
  ~Win32Listing() override { FindClose(handle_); }
  Win32Listing(const Win32Listing&) = delete;
  Win32Listing& operator=(const Win32Listing&) = delete;

  bool Next(ListEntry& entry) override {
    if (!have_) {
      if (!FindNextFileW(handle_, &data_)) return false;
    }
    have_ = false;
    entry.CreationTime = ToLocal(data_.ftCreationTime);
    entry.LastWriteTime = ToLocal(data_.ftLastWriteTime);
    entry.LastAccessTime = ToLocal(data_.ftLastAccessTime);
    entry.Attributes = data_.dwFileAttributes;
    entry.Size = (static_cast<uint64_t>(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow;
    entry.Name = Narrow(data_.cFileName, wcsnlen(data_.cFileName, MAX_PATH));
    return true;
  }

 private:
  HANDLE handle_;
  WIN32_FIND_DATAW data_;
  bool have_ = true;  // the entry FindFirstFileW gave is still to be handed out
};

// Opens a file or a folder (a folder opens only with backup semantics); no
// access right is needed to read its identity or its final path, and every
// sharing mode lets others go on.
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

Win32System::Win32System() {
  // The layout is in fixed pixels and not scaled to the screen's resolution,
  // so the font keeps its height of 11 pixels (8 points at 96 dpi) as well.
  font_ = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
  measure_dc_ = CreateCompatibleDC(nullptr);
  SelectObject(measure_dc_, font_);
}

Win32System::~Win32System() {
  DeleteDC(measure_dc_);
  DeleteObject(font_);
}

SettingsValue Win32System::SettingsFilePath(std::string& path) {
  path.clear();
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(kSettingsKey).c_str(), 0, KEY_ALL_ACCESS, &key) !=
      ERROR_SUCCESS) {
    return SettingsValue::NoKey;
  }
  const std::wstring name = Wide(kSettingsValueName);
  DWORD type = 0, size = 0;
  SettingsValue result = SettingsValue::Missing;
  LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
  if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
      result = SettingsValue::OtherType;
    } else {
      std::wstring buf(size / sizeof(wchar_t) + 1, L'\0');
      size = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
      rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                            &size);
      if (rc == ERROR_SUCCESS) {
        // The text ends at the first NUL or at the data's length, whichever
        // is first.
        const size_t units = std::min<size_t>(size / sizeof(wchar_t), buf.size());
        path = Narrow(buf.data(), wcsnlen(buf.data(), units));
        result = SettingsValue::String;
      }
    }
  }
  RegCloseKey(key);
  return result;
}

FileRead Win32System::DoReadWholeFile(const std::string& path, std::string& bytes) {
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

bool Win32System::DoReplaceWholeFile(const std::string& path, const std::string& bytes) {
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

std::string Win32System::FullPath(const std::string& path) {
  const std::wstring wide = Wide(path);
  return GrownPath([&](wchar_t* buffer, DWORD size) {
    return GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
  });
}

std::string Win32System::ProgramFile() {
  return GrownPath(
      [](wchar_t* buffer, DWORD size) { return GetModuleFileNameW(nullptr, buffer, size); });
}

bool Win32System::UniversalName(const std::string& path, std::string& unc) {
  // Only a drive letter has a universal name. The network provider is asked
  // for the drive's root, a short path, and the rest is joined to its
  // answer: a long plain path would reach the file system on the way.
  if (path.size() < 2 || path[1] != ':' || (path.size() > 2 && path[2] != '\\')) return false;
  const std::wstring wide = Wide(path.substr(0, 2) + "\\");
  // The answer holds pointers into its own block; the block grows to the
  // size the call asks for.
  std::vector<UNIVERSAL_NAME_INFOW> block(64);
  for (;;) {
    DWORD size = static_cast<DWORD>(block.size() * sizeof(UNIVERSAL_NAME_INFOW));
    const DWORD rc = system_dlls::WNetGetUniversalNameW(wide.c_str(), UNIVERSAL_NAME_INFO_LEVEL,
                                                        block.data(), &size);
    if (rc == ERROR_MORE_DATA && size > block.size() * sizeof(UNIVERSAL_NAME_INFOW)) {
      block.resize(size / sizeof(UNIVERSAL_NAME_INFOW) + 1);
      continue;
    }
    if (rc != NO_ERROR || !block[0].lpUniversalName) return false;
    unc = Narrow(block[0].lpUniversalName);
    if (!unc.empty() && unc.back() == '\\') unc.pop_back();
    unc += path.size() > 2 ? path.substr(2) : std::string("\\");
    return true;
  }
}

bool Win32System::Connect(const std::string& remote) {
  // No password and no user: the network uses the user's own log-on. An
  // empty password would be a log-on attempt without one, which a domain
  // counts as a failed log-on.
  std::wstring name = Wide(remote);
  NETRESOURCEW resource{};
  resource.dwType = RESOURCETYPE_DISK;
  resource.lpRemoteName = name.data();
  return system_dlls::WNetAddConnection2W(&resource, nullptr, nullptr, 0) == NO_ERROR;
}

bool Win32System::FileVersionWords(const std::string& path, uint32_t& high, uint32_t& low) {
  const std::wstring file = Wide(path);
  DWORD handle = 0;
  const DWORD size = system_dlls::GetFileVersionInfoSizeW(file.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> buf(size);
  if (!system_dlls::GetFileVersionInfoW(file.c_str(), 0, size, buf.data())) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  if (!system_dlls::VerQueryValueW(buf.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) ||
      !fixed || len < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  high = fixed->dwFileVersionMS;
  low = fixed->dwFileVersionLS;
  return true;
}

std::string Win32System::UpperCase(const std::string& text) {
  std::wstring wide = Wide(text);
  if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return Narrow(wide);
}

std::string Win32System::FromAnsi(const std::string& bytes) {
  if (bytes.empty()) return std::string();
  const int n = static_cast<int>(bytes.size());
  std::wstring wide(bytes.size(), L'\0');
  const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, wide.data(), n);
  return Narrow(wide.data(), static_cast<size_t>(std::max(units, 0)));
}

bool Win32System::ToAnsi(const std::string& text, std::string& bytes) {
  bytes.clear();
  const std::wstring wide = Wide(text);
  if (wide.empty()) return true;
  const int n = static_cast<int>(wide.size());
  bytes.resize(wide.size() * 3);  // UTF-8 takes up to three bytes per unit
  // Where the ANSI code page is UTF-8 (Windows 10's "Unicode UTF-8 for
  // worldwide language support") the conversion takes neither the best-fit
  // flag nor the question whether a character was lost: every character has
  // a place there, and only an unpaired surrogate is refused.
  const bool utf8 = GetACP() == CP_UTF8;
  BOOL lost = FALSE;
  const int written = WideCharToMultiByte(
      CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, wide.data(), n, bytes.data(),
      static_cast<int>(bytes.size()), nullptr, utf8 ? nullptr : &lost);
  bytes.resize(static_cast<size_t>(std::max(written, 0)));
  return written > 0 && !lost;
}

int Win32System::TextWidth(const std::string& text) {
  const std::wstring wide = Wide(text);
  SIZE size{};
  if (!GetTextExtentPoint32W(measure_dc_, wide.c_str(), static_cast<int>(wide.size()), &size)) {
    return 0;
  }
  return size.cx;
}

std::string Win32System::ProcessTag() {
  char tag[16];
  std::snprintf(tag, sizeof tag, "%lx", static_cast<unsigned long>(GetCurrentProcessId()));
  return tag;
}

LocalTime Win32System::Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

bool Win32System::DoAppendFile(const std::string& path, const std::string& bytes) {
  // Appending only: each write lands whole at the end, also while another
  // Ferrolink (of another log-on) appends to the same journal or renames it.
  HANDLE h = CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(h, bytes);
  const DWORD error = GetLastError();
  ok = CloseHandle(h) && ok;
  if (!ok) SetLastError(error);
  return ok;
}

ErrorKind Win32System::LastErrorKind() {
  switch (GetLastError()) {
    // Wine on a Linux file system answers a name too long in bytes with
    // "file not found", a server with "invalid name".
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return ErrorKind::Name;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
      return ErrorKind::Lasting;
    default:
      return ErrorKind::Passing;
  }
}

std::string Win32System::LocalDataFolder() {
  wchar_t folder[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return std::string();
  }
  std::string path = Narrow(folder, wcsnlen(folder, MAX_PATH));
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

std::string Win32System::LastErrorText() {
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

std::unique_ptr<DirectoryListing> Win32System::DoListFolder(const std::string& pattern) {
  // The basic information leaves out the short names, which the walk never
  // uses; the large fetch asks a server for many entries at a time.
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileExW(Wide(pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                              nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32Listing>(h, data);
}

bool Win32System::DoFolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32System::DoMakeFolder(const std::string& path) {
  return CreateDirectoryW(Wide(path).c_str(), nullptr) != 0;
}

namespace {

// Renames the file a handle holds (opened with DELETE access) over `to`, a
// path as the other calls take it: the system turns it into NT's form, as
// it does for a path that opens a file.
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

// A copy that its progress cancelled: nothing of it stays.
std::nullptr_t Cancelled() {
  SetLastError(ERROR_REQUEST_ABORTED);
  return nullptr;
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

// The file index of what a handle holds, without the volume's number, which
// costs Wine a query of the file system per call; false when the file system
// gives none.
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

// The path of what a handle holds, as the file system names it (without its
// drive or share); empty when it gives none.
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

// True for a reparse point that stands for another name (a symbolic link, a
// junction): what it leads to is another file. Other reparse points (a cloud
// file, a deduplicated file) are the file itself.
bool IsLink(HANDLE h) {
  FILE_ATTRIBUTE_TAG_INFO tag{};
  return GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) &&
         (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (tag.ReparseTag & 0x20000000) != 0;  // the name-surrogate bit
}

// The held source: one handle from before the first byte is read to the
// delete or the un-marking.
class Win32HeldSource : public HeldSource {
 public:
  Win32HeldSource(HANDLE handle, SourceEnd end, std::wstring path)
      : handle_(handle), end_(end), path_(std::move(path)) {}
  ~Win32HeldSource() override { CloseHandle(handle_); }
  Win32HeldSource(const Win32HeldSource&) = delete;
  Win32HeldSource& operator=(const Win32HeldSource&) = delete;

  HANDLE Handle() const { return handle_; }
  uint64_t Size() override { return SizeThrough(handle_); }
  bool Settle(uint32_t attributes) override {
    settled_ = true;
    // The file goes when the handle closes.
    if (end_ == SourceEnd::Delete) return DeleteThrough(handle_);
    // Zero times leave the times as they are; zero attributes would leave
    // them unchanged too: a file with none left is a normal file.
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(handle_, FileBasicInfo, &basic, sizeof basic) != 0;
  }
  bool TakenElsewhere() override {
    if (settled_) return false;
    const DWORD error = GetLastError();
    FILE_STANDARD_INFO standard{};
    FILE_BASIC_INFO basic{};
    // Deleted and still open elsewhere, un-marked (copy mode only: in delete
    // mode the source goes, and a cleared mark is no delivery), or (Wine
    // removes the name when the deleting handle closes) no longer there by
    // its name.
    const bool taken =
        (GetFileInformationByHandleEx(handle_, FileStandardInfo, &standard, sizeof standard) &&
         standard.DeletePending) ||
        (end_ == SourceEnd::Unmark &&
         GetFileInformationByHandleEx(handle_, FileBasicInfo, &basic, sizeof basic) &&
         (basic.FileAttributes & FILE_ATTRIBUTE_ARCHIVE) == 0) ||
        (GetFileAttributesW(path_.c_str()) == INVALID_FILE_ATTRIBUTES &&
         GetLastError() == ERROR_FILE_NOT_FOUND);
    SetLastError(error);
    return taken;
  }
  bool StillAt(const std::string& path) override {
    uint64_t held = 0, named = 0;
    if (!IndexThrough(handle_, held)) return true;
    HANDLE h = OpenForQuery(path);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool same = IndexThrough(h, named) && named == held;
    CloseHandle(h);
    return same;
  }
  std::string Location() override { return LocationThrough(handle_); }

 private:
  HANDLE handle_;
  SourceEnd end_;
  std::wstring path_;
  bool settled_ = false;
};

class Win32AppendOnlyFile : public AppendOnlyFile {
 public:
  explicit Win32AppendOnlyFile(HANDLE handle) : handle_(handle) {}
  ~Win32AppendOnlyFile() override { CloseHandle(handle_); }
  Win32AppendOnlyFile(const Win32AppendOnlyFile&) = delete;
  Win32AppendOnlyFile& operator=(const Win32AppendOnlyFile&) = delete;
  bool Append(const std::string& bytes) override { return WriteAll(handle_, bytes); }

 private:
  HANDLE handle_;
};

// A copy at its temporary name, held without sharing until it is in place;
// one that never got there is deleted through the handle when destroyed.
class Win32HeldCopy : public HeldCopy {
 public:
  Win32HeldCopy(HANDLE handle, std::string final_path, DWORD attributes)
      : handle_(handle), final_path_(std::move(final_path)), attributes_(attributes) {}
  ~Win32HeldCopy() override {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    const DWORD error = GetLastError();
    DeleteThrough(handle_);
    CloseHandle(handle_);
    SetLastError(error);
  }
  Win32HeldCopy(const Win32HeldCopy&) = delete;
  Win32HeldCopy& operator=(const Win32HeldCopy&) = delete;

  uint64_t Size() override { return SizeThrough(handle_); }
  bool PutInPlace() override {
    if (!RenameThrough(handle_, final_path_)) return false;
    // A read-only source makes a read-only copy only once it has its name:
    // until then it must stay deletable.
    if (attributes_ & FILE_ATTRIBUTE_READONLY) {
      FILE_BASIC_INFO basic{};
      basic.FileAttributes = attributes_;
      SetFileInformationByHandle(handle_, FileBasicInfo, &basic, sizeof basic);
    }
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return true;
  }

 private:
  HANDLE handle_;
  std::string final_path_;
  DWORD attributes_;
};

}  // namespace

namespace {

// Why a source could not be opened: a writer, a reader that keeps its delete
// from others (delete mode), gone, or anything else.
HoldFailure WhyNotHeld(const std::wstring& path, SourceEnd end, DWORD error) {
  if (error == ERROR_SHARING_VIOLATION) {
    if (end == SourceEnd::Unmark) return HoldFailure::Written;
    // Reading alone, keeping writers out: a reader lets this through, a
    // writer does not.
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return HoldFailure::Written;
    CloseHandle(h);
    return HoldFailure::Read;
  }
  // A file another program has deleted while it still holds it refuses
  // to open with "access denied"; only NT's status tells it from others.
  using LastStatus = LONG(WINAPI*)();
  const auto last_status = reinterpret_cast<LastStatus>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetLastNtStatus")));
  constexpr LONG kDeletePending = static_cast<LONG>(0xC0000056);
  const bool pending =
      error == ERROR_ACCESS_DENIED && last_status && last_status() == kDeletePending;
  return pending || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
             ? HoldFailure::Gone
             : HoldFailure::Other;
}

}  // namespace

std::unique_ptr<HeldSource> Win32System::DoHoldSource(const std::string& path, SourceEnd end,
                                                      HoldFailure& failure) {
  // Reading, and deleting or writing attributes, shared with readers and
  // deleters only (as CopyFileW shares its source): a writer that holds the
  // file makes this open fail, and one that comes later fails itself. The
  // entry itself is opened, not what a link leads to.
  const DWORD access = GENERIC_READ | (end == SourceEnd::Delete ? DELETE : FILE_WRITE_ATTRIBUTES);
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_DELETE;
  std::wstring wide = Wide(path);
  HANDLE h = CreateFileW(wide.c_str(), access, kShare, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    failure = WhyNotHeld(wide, end, error);
    SetLastError(error);
    return nullptr;
  }
  if (IsLink(h)) {
    CloseHandle(h);
    failure = HoldFailure::Link;
    return nullptr;
  }
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) &&
      (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    // A cloud or deduplicated file is read as the file it stands for, opened
    // again as such; it must still be the same file.
    FileId entry, file;
    const bool known = IdentityThrough(h, entry);
    CloseHandle(h);
    h = CreateFileW(wide.c_str(), access, kShare, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                    nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      failure = HoldFailure::Other;
      return nullptr;
    }
    if (!known || !IdentityThrough(h, file) || file != entry) {
      CloseHandle(h);
      failure = HoldFailure::Link;
      return nullptr;
    }
  }
  return std::make_unique<Win32HeldSource>(h, end, std::move(wide));
}

std::unique_ptr<HeldCopy> Win32System::DoCopyThrough(HeldSource& from, const std::string& temporary,
                                                     const std::string& final_path,
                                                     const CopyMade& made,
                                                     const CopyProgress& progress,
                                                     bool& name_taken) {
  // A copy of its own rather than CopyFileExW: it reads through the held
  // handle, tells its progress and can be cancelled everywhere (Wine's
  // CopyFileExW calls no progress routine), writes the copy through on the
  // handle that wrote it, and holds it until it has its final name.
  HANDLE in = static_cast<Win32HeldSource&>(from).Handle();
  LARGE_INTEGER size{}, start{};
  FILE_BASIC_INFO basic{};
  if (!GetFileSizeEx(in, &size) ||
      !GetFileInformationByHandleEx(in, FileBasicInfo, &basic, sizeof basic) ||
      !SetFilePointerEx(in, start, nullptr, FILE_BEGIN)) {
    return nullptr;
  }
  // A new file only: whatever has the name already stays as it is.
  HANDLE out = CreateFileW(Wide(temporary).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    name_taken = GetLastError() == ERROR_FILE_EXISTS;
    return nullptr;
  }
  auto copy = std::make_unique<Win32HeldCopy>(out, final_path, basic.FileAttributes);
  FileId id;
  if (IndexThrough(out, id.Index)) made(id);
  const uint64_t total = static_cast<uint64_t>(size.QuadPart);
  // Chunks of a megabyte at most, no larger than the file (and one byte more,
  // so that a small file takes one read and the end one more): most files
  // are small, and clearing a megabyte for each would cost more than them.
  const DWORD chunk = static_cast<DWORD>(std::min<uint64_t>(total + 1, 1024 * 1024));
  const std::unique_ptr<char[]> buffer(new char[chunk]);
  uint64_t copied = 0;
  if (!progress(0, total)) return Cancelled();
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(in, buffer.get(), chunk, &got, nullptr)) return nullptr;
    if (got == 0) break;
    DWORD written = 0;
    if (!WriteFile(out, buffer.get(), got, &written, nullptr) || written != got) return nullptr;
    copied += got;
    if (!progress(copied, std::max(total, copied))) return Cancelled();
  }
  // The copy keeps the source's times and attributes, as CopyFileW's does
  // (read-only only once it is in place); then it is written through to the
  // disk or server.
  basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (!SetFileInformationByHandle(out, FileBasicInfo, &basic, sizeof basic) ||
      !FlushFileBuffers(out)) {
    return nullptr;
  }
  return copy;
}

bool Win32System::DoFileSize(const std::string& path, uint64_t& size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

bool Win32System::DoRenameWhenLarger(const std::string& path, uint64_t limit,
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

std::string Win32System::DoFinalPath(const std::string& path) {
  HANDLE h = OpenForQuery(path);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::string final_path = GrownPath([h](wchar_t* buffer, DWORD size) {
    return GetFinalPathNameByHandleW(h, buffer, size, FILE_NAME_NORMALIZED);
  });
  CloseHandle(h);
  if (final_path.empty()) return std::string();
  // "\\?\C:\..." and "\\?\UNC\server\share\..." in their usual forms.
  if (final_path.rfind("\\\\?\\UNC\\", 0) == 0) {
    final_path = "\\\\" + final_path.substr(8);
  } else if (final_path.rfind("\\\\?\\", 0) == 0) {
    final_path = final_path.substr(4);
  }
  if (final_path.back() != '\\') final_path += '\\';
  return final_path;
}

bool Win32System::DoIdentity(const std::string& path, FileId& id) {
  HANDLE h = OpenForQuery(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = IdentityThrough(h, id);
  CloseHandle(h);
  return ok;
}

std::string Win32System::DoLocation(const std::string& folder) {
  HANDLE h = OpenForQuery(folder);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::string location = LocationThrough(h);
  CloseHandle(h);
  if (!location.empty() && location.back() != '\\') location += '\\';
  return location;
}

bool Win32System::DoNameHeld(const std::string& path) {
  // Deleting, sharing everything: only a holder that keeps its delete (or
  // its replacement) from others makes this fail.
  HANDLE h = CreateFileW(Wide(path).c_str(), DELETE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(h);
  return false;
}

Removal Win32System::DoRemoveIfSame(const std::string& path, const FileId& id) {
  // Sharing nothing: a copy somebody still holds (a Ferrolink that hangs in
  // a call to the server) stays.
  HANDLE h = CreateFileW(Wide(path).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Removal::NotOurs;
    return error == ERROR_SHARING_VIOLATION ? Removal::Held : Removal::Failed;
  }
  uint64_t found = 0;
  Removal removal = Removal::NotOurs;
  if (IndexThrough(h, found) && found == id.Index) {
    removal = DeleteThrough(h) ? Removal::Removed : Removal::Failed;
  }
  if (!CloseHandle(h) && removal == Removal::Removed) removal = Removal::Failed;
  return removal;
}

std::unique_ptr<AppendOnlyFile> Win32System::DoOpenForAppend(const std::string& path) {
  HANDLE h = CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32AppendOnlyFile>(h);
}

}  // namespace ferrolink
