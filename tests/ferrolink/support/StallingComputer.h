// A computer whose server can stop answering for one file: every call on a
// path that holds the held name (its size, a rename, an append, a read, a
// replace) waits, before it touches anything, until the test lets it go on.
// Those calls, which the journal's and the settings' threads make, touch the
// fake one at a time.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "FakeComputer.h"

namespace ferrolink::test {

class StallingComputer : public FakeComputer {
 public:
  // From now on the calls on paths that hold `name` wait.
  void Hold(const std::string& name) {
    const std::lock_guard<std::mutex> hold(mutex_);
    held_ = name;
  }
  // Waits until such a call waits; false after 5 s.
  bool WaitHeld() {
    std::unique_lock<std::mutex> hold(mutex_);
    return changed_.wait_for(hold, std::chrono::seconds(5), [this] { return waiting_ > 0; });
  }
  // A file's content, read as one call among theirs.
  std::string ContentNow(const std::string& path) {
    const std::lock_guard<std::mutex> one(one_call_);
    return Content(path);
  }
  // The waiting calls and every later one go on.
  void Release() {
    {
      const std::lock_guard<std::mutex> hold(mutex_);
      held_.clear();
    }
    changed_.notify_all();
  }

  bool DoFileSize(const std::string& path, uint64_t& size) override {
    return Alone(path, [&] { return FakeComputer::DoFileSize(path, size); });
  }
  bool DoRenameWhenLarger(const std::string& path, uint64_t limit, const std::string& to) override {
    return Alone(path, [&] { return FakeComputer::DoRenameWhenLarger(path, limit, to); });
  }
  bool DoAppendFile(const std::string& path, const std::string& bytes,
                    std::string* landed) override {
    return Alone(path, [&] { return FakeComputer::DoAppendFile(path, bytes, landed); });
  }
  FileRead DoReadWholeFile(const std::string& path, std::string& bytes) override {
    return Alone(path, [&] { return FakeSettingsStore::DoReadWholeFile(path, bytes); });
  }
  bool DoReplaceWholeFile(const std::string& path, const std::string& bytes) override {
    return Alone(path, [&] { return FakeSettingsStore::DoReplaceWholeFile(path, bytes); });
  }

 private:
  // Waits while `path` holds the held name, then makes the call alone.
  template <class Call>
  auto Alone(const std::string& path, const Call& call) -> decltype(call()) {
    Gate(path);
    const std::lock_guard<std::mutex> one(one_call_);
    return call();
  }
  void Gate(const std::string& path) {
    std::unique_lock<std::mutex> hold(mutex_);
    if (held_.empty() || path.find(held_) == std::string::npos) return;
    ++waiting_;
    changed_.notify_all();
    changed_.wait(hold, [this] { return held_.empty(); });
    --waiting_;
  }
  std::mutex mutex_, one_call_;
  std::condition_variable changed_;
  std::string held_;
  int waiting_ = 0;
};

}  // namespace ferrolink::test
