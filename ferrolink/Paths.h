// Paths as Ferrolink shows and compares them: in their network form (a
// network drive letter replaced by the share's universal name), split into
// root, directories and name, and shortened from the left to fit a width.
#pragma once

#include <string>

#include "Platform.h"

namespace ferrolink {

// Root: "X:\" (letter in upper case) or "\\server\share\"; empty otherwise.
// Directories: the names below the root, each followed by a backslash.
// Name: the file name (empty for a directory path ending in a backslash).
struct SplitResult {
  std::string Root;
  std::string Directories;
  std::string Name;
};

// The full path, with a network drive letter replaced by its universal name.
std::string ExpandToUnc(Platform& platform, const std::string& path);

// Root and directories of a directory path.
SplitResult SplitDirectory(const std::string& directory);

// Root, directories and name of a path; a bare name lies in the current
// directory.
SplitResult SplitPath(Platform& platform, const std::string& path);

// The path, with its outer directory names replaced by "...\" one by one
// while it is strictly wider than `width` pixels; root and name are never
// cut.
std::string ShortenPath(Platform& platform, const std::string& path, int width);

// Everything up to and including the last backslash or colon.
std::string ExtractFilePath(const std::string& path);
// Everything behind the last backslash or colon.
std::string ExtractFileName(const std::string& path);
// The path with a final backslash.
std::string IncludeTrailingBackslash(const std::string& path);

}  // namespace ferrolink
