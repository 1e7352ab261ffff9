// What the walk and the folder tests need of the system: listings, whether a
// folder is there, identities, final paths and where a folder is as the
// system names it through a handle; and the network connection that makes a
// target folder reachable.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace ferrolink {

// File attribute bits as the system gives them.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrReparsePoint = 0x400;  // a junction, a symbolic link, a mount point

// One entry of a folder listing, as the listing gives it, times in local
// time (100 ns units).
struct ListEntry {
  uint64_t CreationTime = 0;
  uint64_t LastWriteTime = 0;
  uint64_t LastAccessTime = 0;
  uint32_t Attributes = 0;
  uint64_t Size = 0;
  std::string Name;
};

// An open folder listing; closed when destroyed.
class DirectoryListing {
 public:
  virtual ~DirectoryListing() = default;
  // The next entry; false when there are no more.
  virtual bool Next(ListEntry& entry) = 0;
};

// The identity of a file or folder, the same for every spelling of it (short
// names, shares, drive letters, links): its volume and its file index.
struct FileId {
  uint32_t Volume = 0;
  uint64_t Index = 0;
  bool operator==(const FileId&) const = default;
  auto operator<=>(const FileId&) const = default;
};

class Folders {
 public:
  virtual ~Folders() = default;

  // Lists a folder by a pattern path ("C:\\Daten\\*.*"); null when it cannot
  // be listed or nothing matches.
  std::unique_ptr<DirectoryListing> ListFolder(const std::string& pattern);
  bool FolderExists(const std::string& path);
  // The identity of an existing file or folder; false when it does not exist
  // or the file system gives none.
  bool Identity(const std::string& path, FileId& id);
  // The path of an existing folder with every link on its way followed,
  // ending in a backslash; empty when it does not exist or the file system
  // cannot tell.
  std::string FinalPath(const std::string& path);
  // Where a folder is, as the system names it through a handle (the form
  // HeldSource::Location gives a file), ending in a backslash; empty when it
  // cannot tell.
  std::string Location(const std::string& folder);
  // Asks the network to connect the target with the user's own log-on (no
  // password or user given, no drive letter); true when it did.
  virtual bool Connect(const std::string& remote) = 0;

 protected:
  // The file system's side of the calls above, with every path in the form
  // SystemPath gives it.
  virtual std::unique_ptr<DirectoryListing> DoListFolder(const std::string& pattern) = 0;
  virtual bool DoFolderExists(const std::string& path) = 0;
  virtual bool DoIdentity(const std::string& path, FileId& id) = 0;
  virtual std::string DoFinalPath(const std::string& path) = 0;
  virtual std::string DoLocation(const std::string& folder) = 0;
};

}  // namespace ferrolink
