// The files a cycle left at the source, and why. Each reason is told once
// in the journal, until it changes or the file is delivered. A file left
// for a reason that does not pass by itself (access denied, a full disk, a
// name the server cannot store, the final name held at the server, a
// source that cannot be settled) waits before it is tried again, at
// intervals that double from 10 seconds to 10 minutes, so that a large file
// is not copied and thrown away at every cycle; it is tried at once when
// its source changes, and is never given up.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace ferrolink {

// A found file as the listing gave it: what tells that its source changed.
struct Listed {
  uint64_t Size = 0;
  uint64_t LastWriteTime = 0;
  bool operator==(const Listed&) const = default;
};

inline constexpr uint64_t kFirstWait = 10000;  // milliseconds
inline constexpr uint64_t kLongestWait = 600000;

class LeftFiles {
 public:
  // At a cycle's start: when the journal has dropped lines since the last
  // cycle, every reason is told again.
  void BeginCycle(uint64_t dropped_lines);
  // At the end of a walk. One that went to its end (`complete`) met every
  // file still left: the others are gone or delivered, and a new reason for
  // them is worth a line again.
  void EndWalk(bool complete);
  // True when the file is to be tried now: it does not wait, its wait is
  // over at `now`, or its source changed since it was left.
  bool Due(const std::string& path, const Listed& listed, uint64_t now);
  // True when the file waits because its final name was held at the server.
  bool WaitsForFinalName(const std::string& path) const;
  // The file stays for `why`; true when the journal should say so. A
  // reason that passes by itself (not `lasting`) ends any wait.
  bool Leave(const std::string& path, const std::string& why, bool lasting);
  // The file stays for a reason that does not pass by itself: it waits,
  // twice as long as the last time.
  void Wait(const std::string& path, const Listed& listed, uint64_t now, bool final_name_held);
  // The file was delivered, or needs nothing more.
  void Done(const std::string& path);

 private:
  struct Waiting {
    Listed listed;
    uint64_t interval = 0;
    uint64_t next = 0;
    bool final_name_held = false;
  };
  // The reason each file left at the source was told with, and the files
  // the walk met in this cycle.
  std::map<std::string, std::string> told_;
  std::set<std::string> met_;
  std::map<std::string, Waiting> waiting_;
  uint64_t dropped_seen_ = 0;
};

}  // namespace ferrolink
