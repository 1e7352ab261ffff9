// The seam of the path rules and the window's texts, faked: full paths, the
// network drives' universal names, the disk's case fold, 7 pixels a UTF-16
// unit, the program file's version and the process's mark. It reaches no
// file, so a test of the path rules builds it alone.
#pragma once

#include <cctype>

#include "FakeDisk.h"

namespace ferrolink::test {

class FakeNames : public Names {
 public:
  std::map<std::string, std::string> unc_by_drive;  // "Q" -> "\\server\share"
  std::string current_dir = "C:\\Work\\";
  std::string process_tag;  // none: the temporary names the tests expect
  std::string ProcessTag() override { return process_tag; }
  std::string module_file = "C:\\Tools\\Ferrolink.exe";
  bool has_version = true;
  uint32_t version_high = 0x07DC0001, version_low = 0;

  std::string FullPath(const std::string& path) override {
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    if (p.empty()) return std::string();
    if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') return p;
    if (p.size() < 2 || p[1] != ':')
      p = p[0] == '\\' ? current_dir.substr(0, 2) + p : current_dir + p;
    if (p.size() > 2 && p[2] != '\\') return p;  // "C:name", in drive C's current folder
    // "." and ".." names go, as the system's full path has none.
    std::vector<std::string> names;
    size_t start = 3;
    while (start <= p.size()) {
      size_t end = p.find('\\', start);
      if (end == std::string::npos) end = p.size();
      const std::string name = p.substr(start, end - start);
      if (name == "..") {
        if (!names.empty()) names.pop_back();
      } else if (name != "." && !(name.empty() && end < p.size())) {
        names.push_back(name);
      }
      start = end + 1;
    }
    std::string full = p.substr(0, 2);
    for (const std::string& name : names) full += "\\" + name;
    return full.size() == 2 ? full + "\\" : full;
  }
  std::string ProgramFile() override { return module_file; }
  bool UniversalName(const std::string& path, std::string& unc) override {
    auto it = unc_by_drive.find(std::string(1, static_cast<char>(std::toupper(path[0]))));
    if (it == unc_by_drive.end()) return false;
    unc = it->second + path.substr(2);
    return true;
  }

  bool FileVersionWords(const std::string& path, uint32_t& high, uint32_t& low) override {
    if (!has_version || FakeDisk::Key(path) != FakeDisk::Key(module_file)) return false;
    high = version_high;
    low = version_low;
    return true;
  }

  std::string UpperCase(const std::string& text) override { return FakeDisk::Fold(text); }
  int TextWidth(const std::string& text) override {
    return 7 * static_cast<int>(Utf16FromUtf8(text).size());
  }
};

}  // namespace ferrolink::test
