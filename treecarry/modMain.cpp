#include "modMain.h"

#include <algorithm>

namespace treecarry {

namespace {

// Case folding for the system's ANSI code page 1252: ASCII letters and the
// accented capitals 0xC0..0xDE (without the multiplication sign 0xD7).
unsigned char Fold(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  return c;
}

std::size_t Find(const std::string& text, const std::string& delimiter, std::size_t from,
                 std::int32_t compare_mode) {
  if (compare_mode == 0) return text.find(delimiter, from);
  const auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                              delimiter.begin(), delimiter.end(), [](char a, char b) {
                                return Fold(static_cast<unsigned char>(a)) ==
                                       Fold(static_cast<unsigned char>(b));
                              });
  return it == text.end() ? std::string::npos : static_cast<std::size_t>(it - text.begin());
}

// A subkey name as the profile list holds it: leading blanks dropped, cut
// before a NUL. Trailing blanks of the name itself stay.
std::string ProfileName(const std::string& raw) {
  const std::string name = raw.substr(0, raw.find('\0'));
  const std::size_t first = name.find_first_not_of(' ');
  return first == std::string::npos ? "" : name.substr(first);
}

}  // namespace

std::vector<std::string> SplitText(const std::string& text, const std::string& delimiter,
                                   std::int32_t limit, std::int32_t compare_mode) {
  if (text.empty() || limit == 0) return {};
  if (delimiter.empty()) return {text};
  const std::size_t splits =
      limit < 0 ? text.size() / delimiter.size() : static_cast<std::size_t>(limit) - 1;
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (std::size_t i = 0; i < splits; ++i) {
    const std::size_t found = Find(text, delimiter, start, compare_mode);
    if (found == std::string::npos) break;
    pieces.push_back(text.substr(start, found - start));
    start = found + delimiter.size();
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

std::string GetProfileList(Machine& machine) {
  KeyHandle key = 0;
  if (machine.OpenKey(Hive::LocalMachine, kProfileListKey, KeyAccess::EnumerateSubKeys, key) !=
      kRegSuccess) {
    return "";
  }
  // The index is as wide as the registry's own, so a machine with any number
  // of profiles is walked to its end.
  std::string list;
  for (std::uint32_t index = 0;; ++index) {
    std::string raw;
    if (machine.EnumSubKey(key, index, kNameCapacity, raw) != kRegSuccess) break;
    const std::string name = ProfileName(raw);
    if (list.empty()) {
      list = name;
    } else {
      list += ";" + name;
    }
  }
  machine.CloseKey(key);
  return list;
}

std::string FindApplicationDirectory(Machine& machine) {
  const std::string list = GetProfileList(machine);
  if (list.empty()) return "";
  const std::vector<std::string> profiles = SplitText(list, ";", -1, 0);
  // The first entry is never examined: the walk has always started with the
  // second one.
  for (std::size_t i = 1; i < profiles.size(); ++i) {
    KeyHandle key = 0;
    if (machine.OpenKey(Hive::Users, profiles[i] + kDirectoriesKey, KeyAccess::QueryValue, key) !=
        kRegSuccess) {
      continue;  // that profile's hive is not loaded, or holds no such key
    }
    std::uint32_t type = kRegSz;
    std::string data;
    const long rc = machine.QueryValue(key, kApplicationValue, kValueCapacity, type, data);
    machine.CloseKey(key);
    // Only the bytes the registry returned count, cut before a NUL, so a
    // value stored without its closing NUL is just its text.
    if (rc == kRegSuccess) return data.substr(0, data.find('\0'));
  }
  return "";
}

std::string GetApplicationDirectory(Machine& machine) {
  return FindApplicationDirectory(machine);
}

std::string MovePath(const std::string& module_path) {
  const std::size_t slash = module_path.find_last_of('\\');
  const std::string folder = slash == std::string::npos ? "" : module_path.substr(0, slash + 1);
  return folder + "Move.exe";
}

std::string QuoteArgument(const std::string& arg) {
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (const char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    out += c;
    backslashes = 0;
  }
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}

std::string MoveCommandLine(const std::string& move_path, const std::string& directory) {
  return "\"" + move_path + "\" " + QuoteArgument(directory);
}

bool RunMove(Machine& machine) {
  const std::string directory = GetApplicationDirectory(machine);
  if (directory.empty()) return false;
  const std::string move = MovePath(machine.ModulePath());
  // Move.exe's exit code is not evaluated: every end of it ends Treecarry alike.
  machine.RunAndWait(move, MoveCommandLine(move, directory));
  return true;
}

void Main(Machine& machine) {
  RunMove(machine);
}

}  // namespace treecarry
