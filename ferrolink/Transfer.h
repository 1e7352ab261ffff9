// The path rules of one transfer: the root part of a path, the relative path
// of a source file below the source directory, the test that a relative path
// stays below the directory it is joined to, the normal form of a directory
// path, and the level-by-level creation of a target directory.
#pragma once

#include <string>

#include "Platform.h"

namespace ferrolink {

// "X:" for a path with a colon as its second character; "\\server\share"
// (without the backslash behind the share) for a path that begins with two
// backslashes; empty otherwise.
std::string RootPart(const std::string& path);

// Everything up to and including the last backslash; empty without one.
std::string DirectoryPart(const std::string& path);

// The path of `file` relative to `source_dir` (a directory ending in a
// backslash): `file` whole when the root parts differ, else "..\" once per
// name of `source_dir` beyond the names both share, then the rest of
// `file`'s directory names and its file name. Names compare without regard
// to case; the result keeps the case of `file`.
std::string RelativePath(const std::string& source_dir, const std::string& file);

// True when `relative`, joined to a directory, names a file below that
// directory: not empty, no root, no drive or stream colon, no empty, "." or
// ".." name, no forward slash, not ending in a backslash.
bool StaysBelow(const std::string& relative);

// True when the file system keeps every name of `relative` as it is: no
// name ends in a dot or a blank (Windows would drop them and act on another
// file), and none is a device name (CON, PRN, AUX, NUL, COM1-COM9,
// LPT1-LPT9), with or without an extension.
bool KeepsItsNames(const std::string& relative);

// The name under which a file is copied before it takes its final name: in
// the same folder, with an extension other than the file's own, so that a
// program that picks up files by their extension never reads a half copy.
std::string TemporaryName(const std::string& file);

// The lexical normal form of a full directory path: backslashes only, no "."
// or ".." names (".." never climbs above the root), no doubled separators,
// one final backslash. Empty when the path has no root.
std::string LexicalDirectory(const std::string& full);

// The normal form of a configured directory: its full path
// (GetFullPathNameA, relative to the current directory) in lexical normal
// form. Empty when it has none.
std::string NormalDirectory(Platform& platform, const std::string& directory);

// The directory above a normal directory path ("C:\\a\\b\\" gives "C:\\a\\");
// empty for a root.
std::string ParentDirectory(const std::string& directory);

// True when the normal directory `directory`, or a folder above it up to but
// not including `stop` (empty: up to the root), is the folder `folder` by
// identity. Levels that do not exist yet are passed over, so the nearest
// existing one decides.
bool LiesInside(Platform& platform, const std::string& directory, const FolderId& folder,
                const std::string& stop);

// A normal directory with every link on its way followed, in upper case:
// the nearest existing level's final path, then the levels below it that do
// not exist yet. Empty when no level can be resolved.
std::string ResolvedDirectory(Platform& platform, const std::string& directory);

// True when `path` exists as a directory.
bool DirectoryExists(Platform& platform, const std::string& path);

// Creates every missing level of `directory` (a path ending in a backslash),
// outermost first, one CreateDirectoryA per missing level; the root and a
// level that exists count as done. False when a level cannot be created.
bool CreateDirectoryPath(Platform& platform, const std::string& directory);

}  // namespace ferrolink
