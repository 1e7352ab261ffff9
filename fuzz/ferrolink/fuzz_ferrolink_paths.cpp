// Splitting and shortening of arbitrary paths: root and name are kept, the
// shortened text only ever loses directory names, and the loop ends. The
// form handed to the system only ever puts a prefix before the path, and a
// temporary name stays in the file's folder.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FakeNames.h"
#include "Paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int width = data[0] * 4;
  const std::string path(reinterpret_cast<const char*>(data + 1), size - 1);
  ferrolink::test::FakeNames system;
  const ferrolink::SplitResult parts = ferrolink::SplitPath(system, path);
  const std::string shown = ferrolink::ShortenPath(system, path, width);
  if (shown.compare(0, parts.Root.size(), parts.Root) != 0) std::abort();
  if (shown.size() < parts.Name.size() ||
      shown.compare(shown.size() - parts.Name.size(), parts.Name.size(), parts.Name) != 0) {
    std::abort();
  }
  if (shown.size() > parts.Root.size() + parts.Directories.size() + parts.Name.size() + 4) {
    std::abort();
  }
  const std::string handed = ferrolink::SystemPath(path);
  if (handed != path && handed.compare(0, 4, "\\\\?\\") != 0) std::abort();
  // Every temporary name stays in the file's folder, and the names of two
  // attempts differ.
  const unsigned attempt = data[0] % 16;
  const std::string temporary = ferrolink::TemporaryName(system, path, attempt);
  const std::string folder = ferrolink::DirectoryPart(path);
  if (temporary.compare(0, folder.size(), folder) != 0 || temporary == path ||
      temporary == ferrolink::TemporaryName(system, path, attempt + 1)) {
    std::abort();
  }
  ferrolink::ExpandToUnc(system, path);
  ferrolink::SplitDirectory(path);
  return 0;
}
