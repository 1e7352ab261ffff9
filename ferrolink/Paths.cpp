#include "Paths.h"

namespace ferrolink {

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

size_t LastDelimiter(const std::string& path) {
  return path.find_last_of("\\:");
}

}  // namespace

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

std::string ExpandToUnc(Platform& platform, const std::string& path) {
  const std::string full = platform.FullPathName(path);
  if (full.size() > 2 && full[1] == ':' && IsAsciiLetter(full[0])) {
    if (!platform.IsWin9x()) {
      std::string unc;
      return platform.UniversalName(full, unc) ? unc : full;
    }
    // No universal-name query on the 9x platform: look the drive up among
    // the connected disk resources.
    if (full[2] == '\\') {
      for (const NetResource& res : platform.ConnectedDisks()) {
        if (!res.LocalName.empty() && AsciiUpper(res.LocalName[0]) == AsciiUpper(full[0])) {
          return res.RemoteName + full.substr(2);
        }
      }
    }
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
  } else if (d.size() >= 2 && d[1] == ':') {
    d = IncludeTrailingBackslash(d);
    r.Root = std::string{AsciiUpper(d[0]), ':', '\\'};
    r.Directories = d.substr(2);
    if (!r.Directories.empty() && r.Directories[0] == '\\') r.Directories.erase(0, 1);
  }
  return r;
}

SplitResult SplitPath(Platform& platform, const std::string& path) {
  SplitResult r;
  if (path.find('\\') != std::string::npos || (path.size() >= 2 && path[1] == ':')) {
    r = SplitDirectory(ExtractFilePath(path));
  } else {
    r = SplitDirectory(platform.CurrentDirectory());
  }
  r.Name = ExtractFileName(path);
  return r;
}

std::string ShortenPath(Platform& platform, const std::string& path, int width) {
  SplitResult parts = SplitPath(platform, path);
  std::string result = parts.Root + parts.Directories + parts.Name;
  while (!parts.Directories.empty() && platform.TextWidth(result) > width) {
    const size_t cut = parts.Directories.find('\\');
    parts.Directories =
        cut == std::string::npos ? std::string() : parts.Directories.substr(cut + 1);
    result = parts.Root + "...\\" + parts.Directories + parts.Name;
  }
  return result;
}

}  // namespace ferrolink
