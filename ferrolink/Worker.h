// A thread of its own for work that may wait for a disk or a server, so that
// the thread that hands it over never does: handed work runs there one piece
// after another, in the order handed, and a standing task (the journal's
// write) runs once a period and whenever it is woken, but begins at most
// once a gap: wakes that come quicker (a line per moved file) are gathered
// into one run.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace ferrolink {

class Worker {
 public:
  // `standing` runs every `period`, and soon after each Wake, no sooner than
  // `gap` after its last run began; none: the thread runs handed work only.
  explicit Worker(std::function<void()> standing = {},
                  std::chrono::milliseconds period = std::chrono::milliseconds(0),
                  std::chrono::milliseconds gap = std::chrono::milliseconds(0));
  // Waits for the thread's end: where that must be bounded, Stop comes first.
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // Hands work over; it runs after what was handed before. Dropped once
  // the worker was asked to stop.
  void Run(std::function<void()> work);
  // The standing task runs soon: once, however often it is woken meanwhile.
  // Never waits, and wakes the thread only when it was not woken already.
  void Wake();
  // Runs what was handed and the standing task once more, then ends; waits
  // for that until `until` at most. True when the thread has ended.
  bool Stop(std::chrono::steady_clock::time_point until);

 private:
  void Loop();
  std::function<void()> standing_;
  std::chrono::milliseconds period_, gap_;
  // When the standing task's last run began.
  std::chrono::steady_clock::time_point last_run_;
  // Held only to hand over, take and signal, never while work runs.
  std::mutex mutex_;
  std::condition_variable due_, ended_;
  std::deque<std::function<void()>> work_;
  bool woken_ = false, stopping_ = false, finished_ = false;
  std::thread thread_;
};

}  // namespace ferrolink
