#include "Paths.h"

#include <algorithm>
#include <string>
#include <vector>

#include "Text.h"
#include "Utf.h"

namespace ferrolink {

namespace {

// The non-empty names between the backslashes of `path`.
std::vector<std::string> NamesOf(const std::string& path) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) names.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

// A name that Windows would trim away or read as "." or "..": only dots and
// blanks.
bool IsDotsAndBlanks(const std::string& name) {
  return name.find_first_not_of(". ") == std::string::npos;
}

// A name that Windows reads as a device, whatever its extension.
bool IsDeviceName(const std::string& name) {
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = FoldCase(c);
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

// The end of the folder in a path as users and the registry give it, where a
// drive's colon ends the folder too ("C:name"); the normal paths of the
// walk end their folder at the last backslash only (DirectoryPart).
size_t LastDelimiter(const std::string& path) {
  return path.find_last_of("\\:");
}

// "X:" at the start, X a letter: the path names a drive.
bool HasDriveLetter(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

}  // namespace

bool SameName(Names& names, const std::string& a, const std::string& b) {
  // Most names compared are spelt alike: no conversion for them.
  return a == b || names.UpperCase(a) == names.UpperCase(b);
}

std::string ExtractFilePath(const std::string& path) {
  const size_t cut = LastDelimiter(path);
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string ExtractFileName(const std::string& path) {
  const size_t cut = LastDelimiter(path);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string IncludeTrailingBackslash(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path;
  return path + "\\";
}

std::string ExpandToUnc(Names& names, const std::string& path) {
  const std::string full = names.FullPath(path);
  if (full.size() > 2 && HasDriveLetter(full)) {
    std::string unc;
    return names.UniversalName(full, unc) ? unc : full;
  }
  return full;
}

SplitResult SplitDirectory(const std::string& directory) {
  SplitResult r;
  std::string d = directory;
  if (d.size() >= 2 && d[0] == '\\' && d[1] == '\\') {
    d = IncludeTrailingBackslash(d);
    size_t pos = 2;
    r.Root = "\\\\";
    for (int part = 0; part < 2; ++part) {  // server, then share
      const size_t next = d.find('\\', pos);
      if (next == std::string::npos) break;
      r.Root += d.substr(pos, next + 1 - pos);
      pos = next + 1;
    }
    r.Directories = d.substr(pos);
  } else if (HasDriveLetter(d)) {
    d = IncludeTrailingBackslash(d);
    r.Root = std::string{FoldCase(d[0]), ':', '\\'};
    r.Directories = d.substr(2);
    if (!r.Directories.empty() && r.Directories[0] == '\\') r.Directories.erase(0, 1);
  }
  return r;
}

SplitResult SplitPath(Names& names, const std::string& path) {
  SplitResult r;
  if (path.find('\\') != std::string::npos || HasDriveLetter(path)) {
    r = SplitDirectory(ExtractFilePath(path));
  } else {
    // A bare name lies in the current folder.
    r = SplitDirectory(ExtractFilePath(names.FullPath(path)));
  }
  r.Name = ExtractFileName(path);
  return r;
}

std::string ShortenPath(Names& names, const std::string& path, int width) {
  SplitResult parts = SplitPath(names, path);
  std::string result = parts.Root + parts.Directories + parts.Name;
  while (!parts.Directories.empty() && names.TextWidth(result) > width) {
    const size_t cut = parts.Directories.find('\\');
    parts.Directories =
        cut == std::string::npos ? std::string() : parts.Directories.substr(cut + 1);
    result = parts.Root + "...\\" + parts.Directories + parts.Name;
  }
  return result;
}

std::string RootPart(const std::string& path) {
  if (HasDriveLetter(path)) return path.substr(0, 2);
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    const size_t server_end = path.find('\\', 2);
    if (server_end == std::string::npos) return path;
    const size_t share_end = path.find('\\', server_end + 1);
    return share_end == std::string::npos ? path : path.substr(0, share_end);
  }
  return std::string();
}

std::string DirectoryPart(const std::string& path) {
  const size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string RelativePath(Names& names, const std::string& source_dir, const std::string& file) {
  const std::string source_root = RootPart(source_dir);
  const std::string file_root = RootPart(file);
  if (!SameName(names, source_root, file_root)) return file;
  const std::vector<std::string> source_names = NamesOf(source_dir.substr(source_root.size()));
  const std::string file_dir = DirectoryPart(file);
  const std::vector<std::string> file_names = NamesOf(
      file_dir.size() > file_root.size() ? file_dir.substr(file_root.size()) : std::string());
  size_t common = 0;
  while (common < source_names.size() && common < file_names.size() &&
         SameName(names, source_names[common], file_names[common])) {
    ++common;
  }
  std::string relative;
  for (size_t i = common; i < source_names.size(); ++i) relative += "..\\";
  for (size_t i = common; i < file_names.size(); ++i) relative += file_names[i] + "\\";
  return relative + file.substr(file_dir.size());
}

bool StaysBelow(const std::string& relative) {
  if (relative.empty() || relative.find_first_of(":/") != std::string::npos) return false;
  size_t start = 0;
  for (;;) {
    const size_t end = relative.find('\\', start);
    const std::string name =
        relative.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (IsDotsAndBlanks(name)) return false;  // also an empty name
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

bool KeepsItsNames(const std::string& relative) {
  for (const std::string& name : NamesOf(relative)) {
    if (name.back() == '.' || name.back() == ' ' || IsDeviceName(name)) return false;
  }
  return true;
}

std::string TemporaryName(Names& names, const std::string& file, unsigned attempt) {
  const std::string directory = DirectoryPart(file);
  const std::string name = file.substr(directory.size());
  const size_t dot = name.find_last_of('.');
  // The process's own mark: two Ferrolinks on one PC (two log-ons) never
  // write one temporary file.
  const std::string tag = names.ProcessTag();
  const bool taken = dot != std::string::npos && SameName(names, name.substr(dot), ".~ft" + tag);
  const std::string suffix =
      (taken ? ".~fu" : ".~ft") + tag + (attempt == 0 ? "" : "-" + std::to_string(attempt + 1));
  // The suffix must not cost a file whose own name fits: where it would make
  // the name or the path too long, the name's end gives way to it.
  const size_t directory_units = Utf16Units(SystemPath(directory));
  if (directory_units + 1 + suffix.size() > kLongestPath) return file + suffix;
  const size_t room = std::min(kLongestName, kLongestPath - directory_units) - suffix.size();
  std::u16string units = Utf16FromUtf8(name);
  if (units.size() <= room) return file + suffix;
  units.resize(room);
  // A character of two units goes whole.
  if (units.back() >= 0xD800 && units.back() <= 0xDBFF) units.pop_back();
  return directory + Utf8FromUtf16(units) + suffix;
}

std::string SystemPath(const std::string& path) {
  if (path.find('/') != std::string::npos) return path;
  size_t rest = 0;
  if (HasDriveLetter(path) && path.size() > 2 && path[2] == '\\') {
    rest = 3;
  } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    // "\\server\share", not a device path ("\\?\", "\\.\"): that stays as it is.
    if (path.compare(2, 2, "?\\") == 0 || path.compare(2, 2, ".\\") == 0) return path;
    if (path.find('\\', 2) == std::string::npos) return path;
    rest = 2;
  } else {
    return path;  // relative, or on a drive's current folder
  }
  // Names that the long form would take literally: empty, "." and "..".
  for (size_t start = rest; start < path.size();) {
    const size_t end = std::min(path.find('\\', start), path.size());
    const std::string name = path.substr(start, end - start);
    if (name.empty() || name == "." || name == "..") return path;
    start = end + 1;
  }
  return HasDriveLetter(path) ? "\\\\?\\" + path : "\\\\?\\UNC\\" + path.substr(2);
}

size_t Utf16Units(const std::string& text) {
  return Utf16FromUtf8(text).size();
}

std::string LexicalDirectory(const std::string& full) {
  std::string path = full;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  std::string root;
  size_t rest = 0;
  if (HasDriveLetter(path)) {
    if (path.size() > 2 && path[2] != '\\') return std::string();  // drive-relative
    root = path.substr(0, 2) + "\\";
    rest = 2;
  } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    const std::vector<std::string> parts = NamesOf(path.substr(2));
    // A server and a share; device paths ("\\?\", "\\.\") and shares named
    // "." or ".." are no directories.
    if (parts.size() < 2 || parts[0] == "?" || IsDotsAndBlanks(parts[0]) ||
        IsDotsAndBlanks(parts[1])) {
      return std::string();
    }
    root = "\\\\" + parts[0] + "\\" + parts[1] + "\\";
    rest = path.find(parts[1], 2 + parts[0].size()) + parts[1].size();
  } else {
    return std::string();
  }
  std::vector<std::string> names;
  for (std::string& name : NamesOf(path.substr(rest))) {
    if (name == ".") continue;
    if (name == "..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    names.push_back(std::move(name));
  }
  std::string normal = root;
  for (const std::string& name : names) normal += name + "\\";
  return normal;
}

std::string NormalDirectory(Names& names, const std::string& directory) {
  if (directory.empty()) return std::string();
  return LexicalDirectory(names.FullPath(directory));
}

std::string ParentDirectory(const std::string& directory) {
  if (directory.size() <= RootPart(directory).size() + 1) return std::string();
  return DirectoryPart(directory.substr(0, directory.size() - 1));
}

bool LiesInside(Folders& folders, Names& names, const std::string& directory, const FileId& folder,
                const std::string& stop) {
  for (std::string level = directory; !level.empty() && !SameName(names, level, stop);
       level = ParentDirectory(level)) {
    FileId id;
    if (folders.Identity(level, id) && id == folder) return true;
  }
  return false;
}

std::string ResolvedDirectory(Folders& folders, Names& names, const std::string& directory) {
  std::string missing;
  for (std::string level = directory; !level.empty(); level = ParentDirectory(level)) {
    const std::string final_path = folders.FinalPath(level);
    if (!final_path.empty()) return names.UpperCase(final_path + missing);
    missing = level.substr(ParentDirectory(level).size()) + missing;
  }
  return std::string();
}

std::string NetworkForm(Names& names, const std::string& directory) {
  // The normal form first, so that "." and ".." parts, forward slashes or
  // doubled separators cannot hide one directory inside another.
  return names.UpperCase(ExpandToUnc(names, NormalDirectory(names, directory)));
}

bool LiesBelow(const std::string& inner, const std::string& outer) {
  return !inner.empty() && !outer.empty() && inner.compare(0, outer.size(), outer) == 0;
}

std::string PartBelow(const std::string& inner, const std::string& outer) {
  return LiesBelow(inner, outer) ? inner.substr(outer.size()) : std::string();
}

}  // namespace ferrolink
