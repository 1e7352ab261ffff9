// TSearcher: walks a directory tree depth first and reports every entry that
// matches a name pattern and its options to a handler, one record per entry;
// the records stay until the next search.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Platform.h"

namespace ferrolink {

enum TSearchOption : uint8_t { soFiles = 1, soDirectories = 2, soRecursive = 4 };

// The record of one reported entry. Times are local file times.
struct TFoundFile {
  uint64_t CreationTime = 0;
  uint64_t LastWriteTime = 0;
  uint64_t LastAccessTime = 0;
  uint32_t Attributes = 0;
  int64_t Size = 0;
  std::string Name;
  std::string Directory;  // ends in a backslash
  // A block a handler may attach; released together with the record.
  std::unique_ptr<void, void (*)(void*)> Attachment{nullptr, [](void*) {}};
};

class TSearcher {
 public:
  explicit TSearcher(Platform& platform);
  ~TSearcher();

  bool Running = false;
  std::function<void(TFoundFile&)> OnFound;
  std::vector<std::unique_ptr<TFoundFile>> Items;
  std::string Mask;
  uint8_t Options = soFiles;

  void Start(const std::string& pattern);
  void Stop();
  void ClearItems();

 private:
  void SearchDirectory(const std::string& pattern);
  Platform& platform_;
};

}  // namespace ferrolink
