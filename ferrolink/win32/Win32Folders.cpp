#include "Win32System.h"

#include <winnetwk.h>

#include <cwchar>
#include <memory>

#include "SystemDlls.h"
#include "Win32Handles.h"

namespace ferrolink {

namespace {

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

}  // namespace

std::unique_ptr<DirectoryListing> Win32Folders::DoListFolder(const std::string& pattern) {
  // The basic information leaves out the short names, which the walk never
  // uses; the large fetch asks a server for many entries at a time.
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileExW(Wide(pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                              nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32Listing>(h, data);
}

bool Win32Folders::DoFolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string Win32Folders::DoFinalPath(const std::string& path) {
  HANDLE h = OpenForQuery(path);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::string final_path = FinalPathThrough(h);
  CloseHandle(h);
  if (!final_path.empty() && final_path.back() != '\\') final_path += '\\';
  return final_path;
}

bool Win32Folders::DoIdentity(const std::string& path, FileId& id) {
  HANDLE h = OpenForQuery(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = IdentityThrough(h, id);
  CloseHandle(h);
  return ok;
}

std::string Win32Folders::DoLocation(const std::string& folder) {
  HANDLE h = OpenForQuery(folder);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::string location = LocationThrough(h);
  CloseHandle(h);
  if (!location.empty() && location.back() != '\\') location += '\\';
  return location;
}

bool Win32Folders::Connect(const std::string& remote) {
  // No password and no user: the network uses the user's own log-on. An
  // empty password would be a log-on attempt without one, which a domain
  // counts as a failed log-on.
  std::wstring name = Wide(remote);
  NETRESOURCEW resource{};
  resource.dwType = RESOURCETYPE_DISK;
  resource.lpRemoteName = name.data();
  return system_dlls::WNetAddConnection2W(&resource, nullptr, nullptr, 0) == NO_ERROR;
}

}  // namespace ferrolink
