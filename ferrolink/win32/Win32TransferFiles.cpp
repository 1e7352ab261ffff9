#include "Win32System.h"

#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <vector>

#include "Win32Handles.h"

namespace ferrolink {

namespace {

// Copies the held source (read from its start) to the unbuffered copy, in
// whole sectors: the last one is filled with zeros, and cut off by the
// file's end set afterwards. `copied` counts the source's bytes.
bool CopyBytes(HANDLE in, HANDLE out, uint64_t total, const CopyProgress& progress,
               uint64_t& copied) {
  const uint32_t chunk = ChunkFor(total);
  const Block buffer(chunk);
  for (;;) {
    uint32_t got = 0;
    if (!ReadFull(in, buffer.bytes, chunk, got)) return false;
    if (got == 0) return true;
    const uint32_t whole = (got + kSectorSize - 1) / kSectorSize * kSectorSize;
    std::fill(buffer.bytes + got, buffer.bytes + whole, '\0');
    DWORD written = 0;
    if (!WriteFile(out, buffer.bytes, whole, &written, nullptr) || written != whole) return false;
    copied += got;
    if (!progress(copied, std::max(total, copied))) {
      SetLastError(ERROR_REQUEST_ABORTED);
      return false;
    }
    if (got < chunk) return true;
  }
}

// A copy that its progress cancelled: nothing of it stays.
std::nullptr_t Cancelled() {
  SetLastError(ERROR_REQUEST_ABORTED);
  return nullptr;
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
  bool ReadAt(uint64_t offset, char* buffer, uint32_t size, uint32_t& got) override {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) &&
           ReadFull(handle_, buffer, size, got);
  }

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
  bool ReadBack(uint64_t offset, char* buffer, uint32_t size, uint32_t& got) override {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN)) return false;
    // A server may answer a large read in parts: whole sectors, so that the
    // next part stays aligned, until the file's end gives fewer.
    got = 0;
    while (got < size) {
      DWORD read = 0;
      if (!ReadFile(handle_, buffer + got, size - got, &read, nullptr)) return false;
      got += read;
      if (read == 0 || read % kSectorSize != 0) break;
    }
    return true;
  }
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

bool Win32TransferFiles::DoMakeFolder(const std::string& path) {
  return CreateDirectoryW(Wide(path).c_str(), nullptr) != 0;
}

std::unique_ptr<HeldSource> Win32TransferFiles::DoHoldSource(const std::string& path, SourceEnd end,
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

std::unique_ptr<HeldCopy> Win32TransferFiles::DoCopyThrough(
    HeldSource& from, const std::string& temporary, const std::string& final_path,
    const CopyMade& made, const CopyProgress& progress, bool& name_taken) {
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
  // A new file only: whatever has the name already stays as it is. It is
  // written and read back unbuffered, so that the read-back reaches the
  // server, not the client's cache.
  HANDLE out = CreateFileW(
      Wide(temporary).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_NO_BUFFERING, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    name_taken = GetLastError() == ERROR_FILE_EXISTS;
    return nullptr;
  }
  auto copy = std::make_unique<Win32HeldCopy>(out, final_path, basic.FileAttributes);
  FileId id;
  if (IndexThrough(out, id.Index)) made(id);
  const uint64_t total = static_cast<uint64_t>(size.QuadPart);
  uint64_t copied = 0;
  if (!progress(0, total)) return Cancelled();
  if (!CopyBytes(in, out, total, progress, copied)) return nullptr;
  // The copy ends where the source does, its last sector written whole;
  // it keeps the source's times and attributes, as CopyFileW's does
  // (read-only only once it is in place); then it is written through to the
  // disk or server.
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(copied);
  basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (!SetFileInformationByHandle(out, FileEndOfFileInfo, &end, sizeof end) ||
      !SetFileInformationByHandle(out, FileBasicInfo, &basic, sizeof basic) ||
      !FlushFileBuffers(out)) {
    return nullptr;
  }
  return copy;
}

bool Win32TransferFiles::DoNameHeld(const std::string& path) {
  // Deleting, sharing everything: only a holder that keeps its delete (or
  // its replacement) from others makes this fail.
  HANDLE h = CreateFileW(Wide(path).c_str(), DELETE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(h);
  return false;
}

Removal Win32TransferFiles::DoRemoveIfSame(const std::string& path, const FileId& id) {
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

std::unique_ptr<AppendOnlyFile> Win32TransferFiles::DoOpenForAppend(const std::string& path) {
  HANDLE h = CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32AppendOnlyFile>(h);
}

ErrorKind Win32TransferFiles::LastErrorKind() {
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

std::string Win32TransferFiles::LocalDataFolder() {
  wchar_t folder[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return std::string();
  }
  std::string path = Narrow(folder, wcsnlen(folder, MAX_PATH));
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

std::string Win32TransferFiles::LastErrorText() {
  return LastErrorWords();
}

FileRead Win32TransferFiles::DoReadWholeFile(const std::string& path, std::string& bytes) {
  return ReadWhole(path, bytes);
}

bool Win32TransferFiles::DoReplaceWholeFile(const std::string& path, const std::string& bytes) {
  return ReplaceWhole(path, bytes);
}

}  // namespace ferrolink
