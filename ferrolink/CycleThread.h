// The watch cycle on a thread of its own, so that the window answers while a
// large file is copied or a server that is down keeps the connection attempt
// waiting. The window's thread starts cycles and hands the cycle the user's
// choices; the cycle reports what the window shows as posted calls, which the
// window's thread carries out in the order they were made.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "FormView.h"
#include "Main.h"

namespace ferrolink {

// Hands a call to the window's thread, to be run there in the order handed.
using Post = std::function<void(std::function<void()>)>;

// The window as the cycle sees it: a call made on the window's own thread
// goes straight to the window; one made on the cycle's thread is posted.
// The timer's state is kept here too, so that the cycle can read it without
// waiting for the window. The dialogs are the window thread's alone.
class PostingView : public FormView {
 public:
  PostingView(FormView& window, Post post);

  void SetCaption(const std::string& text) override;
  void SetAppTitle(const std::string& text) override;
  void SetProgress(int percent) override;
  void SetText(Control control, const std::string& text) override;
  void SetVisible(Control control, bool visible) override;
  void SetChecked(Control control, bool checked) override;
  void SetBusy(bool busy) override;
  bool TimerEnabled() override { return timer_enabled_; }
  void SetTimerEnabled(bool enabled) override;
  int TimerInterval() override { return timer_interval_; }
  void SetTimerInterval(int milliseconds) override;
  void MinimizeApplication() override;
  void FocusMainForm() override;
  void ShowError(const std::string& text) override;
  bool BrowseForFolder(const std::string& title, std::string& path) override;

 private:
  // Runs `call` now on the window's thread, else posts it there.
  void Show(std::function<void()> call);
  FormView& window_;
  Post post_;
  std::thread::id window_thread_;
  std::atomic<bool> timer_enabled_;
  std::atomic<int> timer_interval_;
};

// Runs the form's tick on a thread of its own, one cycle at a time. Every
// call but the thread's own work is made on the window's thread.
class CycleThread {
 public:
  // `post` hands calls to the window's thread: the end of each cycle
  // arrives there so, as a call of Ended.
  CycleThread(TMainForm& form, Post post);
  ~CycleThread();
  CycleThread(const CycleThread&) = delete;
  CycleThread& operator=(const CycleThread&) = delete;

  // A tick of the timer: starts a cycle, or, while one runs, has one more
  // run once it has ended (ticks never overlap and never pile up).
  void Tick();
  // The posted end of a cycle: a tick that fell due meanwhile runs now.
  void Ended();
  bool Running() const { return running_; }
  // Cancels the running cycle and waits for its end, at most `milliseconds`;
  // true when no cycle runs any more. No tick starts a cycle after it.
  bool Stop(int milliseconds);

 private:
  void Start();
  TMainForm& form_;
  Post post_;
  std::thread thread_;
  bool running_ = false;
  bool tick_due_ = false;
  bool stopped_ = false;
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;  // the thread's work is over (guarded by mutex_)
};

}  // namespace ferrolink
