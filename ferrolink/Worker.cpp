#include "Worker.h"

#include <utility>

namespace ferrolink {

Worker::Worker(std::function<void()> standing, std::chrono::milliseconds period,
               std::chrono::milliseconds gap)
    : standing_(std::move(standing)), period_(period), gap_(gap), thread_([this] { Loop(); }) {}

Worker::~Worker() {
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    stopping_ = true;
  }
  due_.notify_all();
  thread_.join();
}

void Worker::Run(std::function<void()> work) {
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (stopping_) return;
    work_.push_back(std::move(work));
  }
  due_.notify_all();
}

void Worker::Wake() {
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (woken_) return;
    woken_ = true;
  }
  due_.notify_all();
}

bool Worker::Stop(std::chrono::steady_clock::time_point until) {
  std::unique_lock<std::mutex> hold(mutex_);
  stopping_ = true;
  due_.notify_all();
  return ended_.wait_until(hold, until, [this] { return finished_; });
}

void Worker::Loop() {
  std::unique_lock<std::mutex> hold(mutex_);
  const auto due = [this] { return woken_ || stopping_ || !work_.empty(); };
  for (;;) {
    if (!standing_) {
      due_.wait(hold, due);
    } else {
      due_.wait_for(hold, period_, due);
      // Woken within the gap: the run waits for its end, unless work was
      // handed or a stop asked for meanwhile.
      due_.wait_until(hold, last_run_ + gap_, [this] { return stopping_ || !work_.empty(); });
      last_run_ = std::chrono::steady_clock::now();
    }
    // Asked to stop before this round: it is the last one, and it takes
    // everything handed before the request.
    const bool last = stopping_;
    std::deque<std::function<void()>> work;
    work.swap(work_);
    woken_ = false;
    hold.unlock();
    for (const auto& piece : work) piece();
    if (standing_) standing_();
    hold.lock();
    if (last) break;
  }
  finished_ = true;
  ended_.notify_all();
}

}  // namespace ferrolink
