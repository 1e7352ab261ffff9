// An in-memory file system for the event-file logic, keeping Windows' rules:
// files are byte strings with an index that a file made anew changes, and
// with attributes (a hidden, system or read-only file cannot be emptied by a
// new write; a read-only one cannot be written). The plug-in's side stands
// beside the calls: it appends by name (making the file when it is missing)
// or through handles it holds, with or without sharing their deletion, that
// follow the file under a new name and keep it from being renamed or removed
// when they do not share it. Single files can be made unreadable or
// unwritable, renames can be made to fail, and so can any one call that
// changes a file. Every call can run a hook
// first (the plug-in appending meanwhile); the run can end before a given
// call, as a kill would, which leaves a whole write made but empty and an
// append half done; and the power can fail, which turns every byte of the
// logic's own writes that was not flushed into zeros. A test removes a file
// through Remove, so that one made anew under its name gets another index.
// Like FAT and exFAT, the file system can renumber a file renamed to a
// longer name. Pauses are counted, and let the time pass for a hook.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "eventfile.h"

namespace message_test {

class FakeEventFileSystem : public message::EventFileSystem {
 public:
  // Windows' attribute bits.
  static constexpr std::uint32_t kReadOnly = 0x01, kHidden = 0x02, kSystem = 0x04;

  std::map<std::string, std::string> files;
  std::map<std::string, std::uint32_t> attributes;
  std::set<std::string> unreadable, unwritable;
  bool fail_rename = false;
  // A file renamed to a longer name gets a new index, as on FAT and exFAT.
  bool renumbers_renamed = false;
  std::vector<std::uint32_t> pauses;                      // every pause, in milliseconds
  std::function<void()> on_pause;                         // while a pause lets the time pass
  std::function<void(const std::string& path)> on_write;  // after each write
  std::function<void(int call)> before_call;              // before every call, from 0
  int writes = 0;
  std::uint64_t largest_read = 0;
  // The run ends (Stopped is thrown) in the call of this number, from 0.
  int stop_before_call = -1;
  // The call of this number fails, if it writes, renames or removes.
  int fail_call = -1;
  struct Stopped {};
  // How many calls were made so far.
  int Calls() const { return calls_; }

  // ---- the plug-in's side: no calls of the logic --------------------------

  // Opens the file by its name, making it when it is missing, and appends.
  void PluginAppends(const std::string& path, const std::string& bytes) { files[path] += bytes; }
  // Opens an existing file for appending and keeps it open; the number
  // names the handle.
  int Hold(const std::string& path, bool shares_delete) {
    holders_.push_back({IndexOf(path), shares_delete, true});
    return static_cast<int>(holders_.size()) - 1;
  }
  // Appends through a held handle to the file, whatever its name now; lost
  // when the file was removed.
  void HolderAppends(int holder, const std::string& bytes) {
    for (auto& [name, index] : indices_) {
      if (index == holders_[holder].index && files.count(name)) files[name] += bytes;
    }
  }
  void Release(int holder) { holders_[holder].open = false; }
  // What the logic wrote and did not flush becomes zeros.
  void PowerFails() {
    for (const auto& [name, from] : unflushed_) {
      auto it = files.find(name);
      if (it != files.end() && from < it->second.size()) {
        std::fill(it->second.begin() + static_cast<std::ptrdiff_t>(from), it->second.end(), '\0');
      }
    }
    unflushed_.clear();
  }

  // ---- the seam -----------------------------------------------------------

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
    const bool exists = files.count(path) > 0;
    // Windows empties no hidden, system or read-only file for a plain new one.
    if (exists && (Attributes(path) & (kReadOnly | kHidden | kSystem))) {
      Call();
      return false;
    }
    if (CutShort()) files[path].clear();
    Call();
    if (Fails()) return false;
    ++writes;
    attributes.erase(path);
    unflushed_.erase(path);
    if (unwritable.count(path)) {
      files[path] = bytes.substr(0, bytes.size() / 2);  // a short write
      return false;
    }
    files[path] = bytes;
    if (on_write) on_write(path);
    return true;
  }
  bool Append(const std::string& path, const std::string& bytes) override {
    const auto it = files.find(path);
    const bool writable =
        it != files.end() && !unwritable.count(path) && !(Attributes(path) & kReadOnly);
    if (writable && CutShort()) Grow(path, bytes.substr(0, bytes.size() / 2));
    Call();
    ++writes;
    if (!writable || Fails()) return false;
    Grow(path, bytes);
    if (on_write) on_write(path);
    return true;
  }
  bool Truncate(const std::string& path, std::uint64_t size) override {
    Call();
    if (Fails()) return false;
    const auto it = files.find(path);
    if (it == files.end() || (Attributes(path) & kReadOnly)) return false;
    it->second.resize(size, '\0');
    if (unflushed_.count(path)) unflushed_[path] = std::min<std::uint64_t>(unflushed_[path], size);
    return true;
  }
  bool Flush(const std::string& path) override {
    Call();
    if (Fails()) return false;
    if (!files.count(path) || (Attributes(path) & kReadOnly)) return false;
    unflushed_.erase(path);
    return true;
  }
  std::optional<std::uint64_t> FileIndex(const std::string& path) override {
    Call();
    if (!files.count(path)) return std::nullopt;
    return IndexOf(path);
  }
  bool Settled(const std::string& path) override {
    Call();
    return files.count(path) && !Held(path, false);
  }
  void TakeAttributes(const std::string& from, const std::string& to) override {
    Call();
    if (files.count(from) && files.count(to)) attributes[to] = Attributes(from) & ~kReadOnly;
  }
  bool Rename(const std::string& from, const std::string& to) override {
    Call();
    if (Fails()) return false;
    if (fail_rename || !files.count(from) || files.count(to) || Held(from, true)) return false;
    Move(from, to);
    return true;
  }
  bool Replace(const std::string& from, const std::string& to) override {
    Call();
    if (Fails()) return false;
    if (!files.count(from) || Held(from, true) || Held(to, true) ||
        (files.count(to) && (Attributes(to) & kReadOnly))) {
      return false;
    }
    Move(from, to);
    return true;
  }
  void Pause(std::uint32_t milliseconds) override {
    Call();
    pauses.push_back(milliseconds);
    if (on_pause) on_pause();
  }
  bool Remove(const std::string& path) override {
    Call();
    if (Fails()) return false;
    if (Held(path, true)) return false;
    files.erase(path);
    indices_.erase(path);
    attributes.erase(path);
    unflushed_.erase(path);
    return true;
  }

 private:
  struct Holder {
    std::uint64_t index;
    bool shares_delete, open;
  };
  std::map<std::string, std::uint64_t> indices_;    // given at the first look
  std::map<std::string, std::uint64_t> unflushed_;  // the logic's bytes from here on
  std::vector<Holder> holders_;
  std::uint64_t next_index_ = 1;
  int calls_ = 0;

  // True when this call is the one the run ends in.
  bool CutShort() const { return calls_ == stop_before_call; }
  // True when the call just made is the one that fails.
  bool Fails() const { return calls_ - 1 == fail_call; }
  void Call() {
    if (CutShort()) throw Stopped{};
    if (before_call) before_call(calls_);
    ++calls_;
  }
  std::uint32_t Attributes(const std::string& path) const {
    const auto it = attributes.find(path);
    return it == attributes.end() ? 0 : it->second;
  }
  std::uint64_t IndexOf(const std::string& path) {
    const auto [it, made] = indices_.emplace(path, next_index_);
    if (made) ++next_index_;
    return it->second;
  }
  // Whether a handle of the plug-in holds the file open; with `for_delete`,
  // only one that does not share its deletion counts.
  bool Held(const std::string& path, bool for_delete) {
    if (!files.count(path)) return false;
    const std::uint64_t index = IndexOf(path);
    return std::any_of(holders_.begin(), holders_.end(), [&](const Holder& h) {
      return h.open && h.index == index && !(for_delete && h.shares_delete);
    });
  }
  void Grow(const std::string& path, const std::string& bytes) {
    std::string& file = files[path];
    if (!unflushed_.count(path)) unflushed_[path] = file.size();
    file += bytes;
  }
  // A file keeps its attributes and unflushed bytes under its new name, and
  // its index unless the name is longer where the file system renumbers;
  // the handles that hold it follow it.
  void Move(const std::string& from, const std::string& to) {
    files[to] = files[from];
    const std::uint64_t index = IndexOf(from);
    indices_[to] = renumbers_renamed && to.size() > from.size() ? next_index_++ : index;
    for (Holder& h : holders_) {
      if (h.index == index) h.index = indices_[to];
    }
    attributes.erase(to);
    unflushed_.erase(to);
    if (attributes.count(from)) attributes[to] = attributes[from];
    if (unflushed_.count(from)) unflushed_[to] = unflushed_[from];
    files.erase(from);
    indices_.erase(from);
    attributes.erase(from);
    unflushed_.erase(from);
  }
};

}  // namespace message_test
