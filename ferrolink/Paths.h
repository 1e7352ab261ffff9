// Ferrolink's path rules, all in one place: how a path splits into root,
// directories and name; its normal form and its network form; how it is
// shortened for display; the relative path of a source file and the tests
// that it stays below the target and keeps its names; the folder identities
// and resolved paths that decide whether one folder lies inside another.
#pragma once

#include <cstddef>
#include <string>

#include "Folders.h"
#include "Names.h"

namespace ferrolink {

// ---- parts of a path -------------------------------------------------------

// True when two names or paths are the same without regard to case, as the
// system compares file names.
bool SameName(Names& names, const std::string& a, const std::string& b);

// "X:" for a path with a colon as its second character; "\\server\share"
// (without the backslash behind the share) for a path that begins with two
// backslashes; empty otherwise.
std::string RootPart(const std::string& path);

// Everything up to and including the last backslash; empty without one. The
// directory of a normal path: a colon never ends a directory there.
std::string DirectoryPart(const std::string& path);

// A path as a user or the registry gives it, where a drive's colon also ends
// the folder ("C:name" is "name" in drive C's current folder): everything up
// to and including the last backslash or colon, and everything behind it.
std::string ExtractFilePath(const std::string& path);
std::string ExtractFileName(const std::string& path);

// The path with a final backslash.
std::string IncludeTrailingBackslash(const std::string& path);

// Root: "X:\" (letter in upper case) or "\\server\share\"; empty otherwise.
// Directories: the names below the root, each followed by a backslash.
// Name: the file name (empty for a directory path ending in a backslash).
struct SplitResult {
  std::string Root;
  std::string Directories;
  std::string Name;
};

// Root and directories of a directory path.
SplitResult SplitDirectory(const std::string& directory);

// Root, directories and name of a path; a bare name lies in the current
// directory.
SplitResult SplitPath(Names& names, const std::string& path);

// The path, with its outer directory names replaced by "...\" one by one
// while it is strictly wider than `width` pixels; root and name are never
// cut.
std::string ShortenPath(Names& names, const std::string& path, int width);

// ---- normal and network forms ----------------------------------------------

// The lexical normal form of a full directory path: backslashes only, no "."
// or ".." names (".." never climbs above the root), no doubled separators,
// one final backslash. Empty when the path has no root.
std::string LexicalDirectory(const std::string& full);

// The normal form of a configured directory: its full path
// (GetFullPathNameA, relative to the current directory) in lexical normal
// form. Empty when it has none.
std::string NormalDirectory(Names& names, const std::string& directory);

// The directory above a normal directory path ("C:\\a\\b\\" gives "C:\\a\\");
// empty for a root.
std::string ParentDirectory(const std::string& directory);

// The full path, with a network drive letter replaced by its universal name.
std::string ExpandToUnc(Names& names, const std::string& path);

// A directory's normal form with a network drive letter replaced by its
// universal name, in upper case: the form in which directories are compared.
std::string NetworkForm(Names& names, const std::string& directory);

// True when both paths are known and `inner` is `outer` or lies below it, as
// text (both in one form, such as the network form).
bool LiesBelow(const std::string& inner, const std::string& outer);

// The part of `inner` below `outer` when `inner` lies strictly below it;
// empty otherwise.
std::string PartBelow(const std::string& inner, const std::string& outer);

// ---- a source file's way to its target --------------------------------------

// The path of `file` relative to `source_dir` (a directory ending in a
// backslash): `file` whole when the root parts differ, else "..\" once per
// name of `source_dir` beyond the names both share, then the rest of
// `file`'s directory names and its file name. Names compare without regard
// to case; the result keeps the case of `file`.
std::string RelativePath(Names& names, const std::string& source_dir, const std::string& file);

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
// program that picks up files by their extension never reads a half copy;
// the extension carries the process's own mark. Where the final name fits
// Windows' limits and the extension would not, the name is cut to make room
// for it. A further `attempt` gives another name ("-2" after the mark), for
// when a file of the name is there already.
std::string TemporaryName(Names& names, const std::string& file, unsigned attempt = 0);

// ---- the form handed to the file system --------------------------------------

// Windows' limits: a name of at most 255 UTF-16 units, a path in long form
// of at most 32767. A plain path must stay below 260 (248 for a folder to be
// made).
constexpr size_t kLongestName = 255;
constexpr size_t kLongestPath = 32767;

// A full path in normal form (a drive or share root, backslashes, no empty,
// "." or ".." name) in its long form: "\\?\C:\..." or
// "\\?\UNC\server\share\...", which Windows takes at any length up to
// its limit and by its names exactly as written. Any other path is handed
// on as it is, as the long form would take its "." and ".." literally.
std::string SystemPath(const std::string& path);

// The length of UTF-8 text in UTF-16 units, as Windows counts it.
size_t Utf16Units(const std::string& text);

// ---- folders under every spelling -------------------------------------------

// True when the normal directory `directory`, or a folder above it up to but
// not including `stop` (empty: up to the root), is the folder `folder` by
// identity. Levels that do not exist yet are passed over, so the nearest
// existing one decides.
bool LiesInside(Folders& folders, Names& names, const std::string& directory, const FileId& folder,
                const std::string& stop);

// A normal directory with every link on its way followed, in upper case:
// the nearest existing level's final path, then the levels below it that do
// not exist yet. Empty when no level can be resolved.
std::string ResolvedDirectory(Folders& folders, Names& names, const std::string& directory);

}  // namespace ferrolink
