// The file operations of one transfer: the target's folders made level by
// level, the copy that reaches its final name only when whole, and the test
// that the source is still the file that was found.
#pragma once

#include <cstdint>
#include <string>

#include "System.h"
#include "Searcher.h"

namespace ferrolink {

// True when `path` exists as a directory.
bool DirectoryExists(System& system, const std::string& path);

// Creates every missing level of `directory` (a path ending in a backslash),
// outermost first, one CreateDirectoryA per missing level; the root and a
// level that exists count as done. False when a level cannot be created.
bool CreateDirectoryPath(System& system, const std::string& directory);

// Copies `source_file` to `target_file` whole: to a temporary name beside
// it, written through to the disk first when `flush` is set (the source goes
// next), then renamed over the final name in one step. True only when the
// file under its final name has `size` bytes; a failed step leaves no
// temporary file.
bool DeliverWhole(System& system, const std::string& source_file, const std::string& target_file,
                  int64_t size, bool flush);

// True when the source file still has the size and last-write time of its
// record, so deleting it or clearing its archive bit loses no later write.
// The record holds local times.
bool SourceUnchanged(System& system, const std::string& path, const TFoundFile& file);

}  // namespace ferrolink
