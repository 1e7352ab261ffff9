// An in-memory file system for the event-file logic: files are byte strings;
// single files can be made unreadable or unwritable, the replace step can be
// made to fail, and a write or a replace can run a hook (the plug-in
// appending meanwhile). The largest read is kept.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "eventfile.h"

namespace message_test {

class FakeEventFileSystem : public message::EventFileSystem {
 public:
  std::string module_dir = "C:\\Programme\\Message";
  std::map<std::string, std::string> files;
  std::set<std::string> unreadable, unwritable;
  bool fail_replace = false;
  std::function<void(const std::string& path)> on_write;  // after each write
  std::function<void()> before_replace;                   // the old file is still in place
  int writes = 0;
  std::uint64_t largest_read = 0;

  std::string ModuleDir() override { return module_dir; }
  std::optional<std::uint64_t> FileSize(const std::string& path) override {
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second.size();
  }
  std::optional<std::string> ReadFrom(const std::string& path, std::uint64_t offset,
                                      std::uint64_t limit) override {
    const auto it = files.find(path);
    if (it == files.end() || unreadable.count(path)) return std::nullopt;
    if (offset >= it->second.size()) return std::string();
    std::string bytes = it->second.substr(offset, limit);
    largest_read = std::max<std::uint64_t>(largest_read, bytes.size());
    return bytes;
  }
  bool WriteWhole(const std::string& path, const std::string& bytes) override {
    ++writes;
    if (unwritable.count(path)) {
      files[path] = bytes.substr(0, bytes.size() / 2);  // a short write
      return false;
    }
    files[path] = bytes;
    if (on_write) on_write(path);
    return true;
  }
  bool Append(const std::string& path, const std::string& bytes) override {
    ++writes;
    const auto it = files.find(path);
    if (it == files.end() || unwritable.count(path)) return false;
    it->second += bytes;
    if (on_write) on_write(path);
    return true;
  }
  bool Replace(const std::string& from, const std::string& to, const std::string& backup) override {
    if (before_replace) before_replace();
    const auto it = files.find(from);
    if (fail_replace || it == files.end()) return false;
    files[backup] = files[to];
    files[to] = it->second;
    files.erase(from);
    return true;
  }
  void Remove(const std::string& path) override { files.erase(path); }
};

}  // namespace message_test
