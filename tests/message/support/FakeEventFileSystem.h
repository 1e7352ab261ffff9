// An in-memory file system for the event-file logic: files are byte strings
// with an index that a file made anew changes; single files can be made
// unreadable or unwritable, the replace step can be made to fail (also half
// way, with the old file left under the backup name) and so can a rename; a
// write, a replace or every call can run a hook (the plug-in appending
// meanwhile), and the run can be ended before a given call, as a crash
// would. The largest read is kept.
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
  std::map<std::string, std::string> files;
  std::set<std::string> unreadable, unwritable;
  bool fail_replace = false, replace_stops_half_way = false, fail_rename = false;
  std::function<void(const std::string& path)> on_write;  // after each write
  std::function<void()> before_replace;                   // the old file is still in place
  std::function<void(int call)> before_call;              // before every call, from 0
  int writes = 0;
  std::uint64_t largest_read = 0;
  // The run ends (Stopped is thrown) before the call of this number, from 0.
  int stop_before_call = -1;
  struct Stopped {};

  std::optional<std::uint64_t> FileSize(const std::string& path) override {
    Call();
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second.size();
  }
  std::optional<std::string> ReadFrom(const std::string& path, std::uint64_t offset,
                                      std::uint64_t limit) override {
    Call();
    const auto it = files.find(path);
    if (it == files.end() || unreadable.count(path)) return std::nullopt;
    if (offset >= it->second.size()) return std::string();
    std::string bytes = it->second.substr(offset, limit);
    largest_read = std::max<std::uint64_t>(largest_read, bytes.size());
    return bytes;
  }
  bool WriteWhole(const std::string& path, const std::string& bytes) override {
    Call();
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
    Call();
    ++writes;
    const auto it = files.find(path);
    if (it == files.end() || unwritable.count(path)) return false;
    it->second += bytes;
    if (on_write) on_write(path);
    return true;
  }
  std::optional<std::uint64_t> FileIndex(const std::string& path) override {
    Call();
    if (!files.count(path)) return std::nullopt;
    return IndexOf(path);
  }
  bool Replace(const std::string& from, const std::string& to, const std::string& backup) override {
    Call();
    if (before_replace) before_replace();
    if (fail_replace || !files.count(from) || !files.count(to)) return false;
    IndexOf(to);
    Move(to, backup);
    if (replace_stops_half_way) return false;
    Move(from, to);
    return true;
  }
  bool Rename(const std::string& from, const std::string& to) override {
    Call();
    if (fail_rename || !files.count(from) || files.count(to)) return false;
    Move(from, to);
    return true;
  }
  void Remove(const std::string& path) override {
    Call();
    files.erase(path);
    indices.erase(path);
  }

 private:
  std::map<std::string, std::uint64_t> indices;  // given at the first look
  std::uint64_t next_index = 1;
  int calls = 0;

  void Call() {
    if (calls == stop_before_call) throw Stopped{};
    if (before_call) before_call(calls);
    ++calls;
  }
  std::uint64_t IndexOf(const std::string& path) {
    const auto [it, made] = indices.emplace(path, next_index);
    if (made) ++next_index;
    return it->second;
  }
  // A file keeps its index under its new name.
  void Move(const std::string& from, const std::string& to) {
    files[to] = files[from];
    indices[to] = IndexOf(from);
    files.erase(from);
    indices.erase(from);
  }
};

}  // namespace message_test
