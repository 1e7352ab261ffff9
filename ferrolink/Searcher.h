// TSearcher: walks a directory tree depth first and reports every entry that
// matches a name pattern and its options to a handler, one record per entry;
// the records stay until the next search.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Folders.h"
#include "Names.h"

namespace ferrolink {

enum TSearchOption : uint8_t { soFiles = 1, soDirectories = 2, soRecursive = 4 };

// The record of one reported entry. Times are local file times. Name and
// Directory are whole, never cut: a handler may act on the path they form.
// Every record of one directory shares one Directory text, so a record costs
// its fixed part and its name only.
struct TFoundFile {
  uint64_t CreationTime = 0;
  uint64_t LastWriteTime = 0;
  uint64_t LastAccessTime = 0;
  int64_t Size = 0;
  uint32_t Attributes = 0;
  std::string Name;
  std::shared_ptr<const std::string> Directory;  // ends in a backslash
  // A block a handler may attach; released together with the record, before
  // the record's other fields.
  std::unique_ptr<void, void (*)(void*)> Attachment{nullptr, [](void*) {}};
};
#if defined(_WIN32) && !defined(_WIN64)
// The shipped 32-bit program keeps a record in at most 96 bytes besides its
// name: a million listed files fit in the 32-bit address space.
static_assert(sizeof(TFoundFile) <= 96, "a record of the 32-bit build outgrew 96 bytes");
#endif

class TSearcher {
 public:
  TSearcher(Folders& folders, Names& names);
  ~TSearcher();
  TSearcher(const TSearcher&) = delete;
  TSearcher& operator=(const TSearcher&) = delete;

  // Stop may come from another thread than the walk's.
  std::atomic<bool> Running{false};
  std::function<void(TFoundFile&)> OnFound;
  // Asked, from the first link on, before each folder is entered (a path
  // ending in a backslash); false keeps the walk out of it. Before a link,
  // every folder lies plainly inside the start folder.
  std::function<bool(const std::string&, bool is_link)> MayEnter;
  // Every record reported since the last Start, in the order of reporting.
  // A deque keeps each record at its place while the list grows and needs
  // no block of its own per record.
  std::deque<TFoundFile> Items;
  std::string Mask;
  uint8_t Options = soFiles;

  void Start(const std::string& pattern);
  void Stop();
  void ClearItems();

 private:
  void SearchDirectory(const std::string& pattern);
  void Report(const ListEntry& entry, const std::string& directory,
              std::shared_ptr<const std::string>& shared_directory);
  // True when the folder (a path ending in a backslash) was not entered yet
  // in this walk, by its identity: a junction or link back to a folder of
  // the walk is not entered again. A folder without identity is entered.
  // Only a link can give a folder a second path, and an identity costs more
  // than a listing: the identities are taken from the first link on, for
  // the folders entered before it too.
  bool FirstEntry(const std::string& directory, bool is_link);
  void ForgetEntered();
  Folders& folders_;
  Names& names_;
  std::vector<std::string> entered_before_link_;
  bool link_met_ = false;
  std::set<FileId> entered_;
};

}  // namespace ferrolink
