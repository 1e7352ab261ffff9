#include "LeftFiles.h"

#include <algorithm>

namespace ferrolink {

void LeftFiles::BeginCycle(uint64_t dropped_lines) {
  // A reason counts as told only once its line is in the journal.
  if (dropped_lines != dropped_seen_) {
    dropped_seen_ = dropped_lines;
    told_.clear();
  }
}

void LeftFiles::EndWalk(bool complete) {
  if (complete) {
    std::erase_if(told_, [&](const auto& t) { return !met_.count(t.first); });
    std::erase_if(waiting_, [&](const auto& w) { return !met_.count(w.first); });
  }
  met_.clear();
}

bool LeftFiles::Due(const std::string& path, const Listed& listed, uint64_t now) {
  const auto it = waiting_.find(path);
  if (it == waiting_.end()) return true;
  if (!(it->second.listed == listed)) {
    waiting_.erase(it);
    return true;
  }
  if (now >= it->second.next) return true;
  // Still left, for the reason told.
  met_.insert(path);
  return false;
}

bool LeftFiles::WaitsForFinalName(const std::string& path) const {
  const auto it = waiting_.find(path);
  return it != waiting_.end() && it->second.final_name_held;
}

bool LeftFiles::Leave(const std::string& path, const std::string& why, bool lasting) {
  met_.insert(path);
  if (!lasting) waiting_.erase(path);
  auto [known, added] = told_.try_emplace(path, why);
  if (!added && known->second == why) return false;
  known->second = why;
  return true;
}

void LeftFiles::Wait(const std::string& path, const Listed& listed, uint64_t now,
                     bool final_name_held) {
  met_.insert(path);
  Waiting& w = waiting_[path];
  w.interval = w.interval == 0 ? kFirstWait : std::min(2 * w.interval, kLongestWait);
  w.next = now + w.interval;
  w.listed = listed;
  w.final_name_held = final_name_held;
}

void LeftFiles::Done(const std::string& path) {
  told_.erase(path);
  waiting_.erase(path);
}

}  // namespace ferrolink
