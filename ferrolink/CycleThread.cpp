#include "CycleThread.h"

#include <chrono>
#include <utility>

namespace ferrolink {

PostingView::PostingView(FormView& window, Post post)
    : window_(window),
      post_(std::move(post)),
      window_thread_(std::this_thread::get_id()),
      timer_enabled_(window.TimerEnabled()),
      timer_interval_(window.TimerInterval()) {}

void PostingView::Show(std::function<void()> call) {
  if (std::this_thread::get_id() == window_thread_) {
    call();
  } else {
    post_(std::move(call));
  }
}

void PostingView::SetCaption(const std::string& text) {
  Show([this, text] { window_.SetCaption(text); });
}

void PostingView::SetAppTitle(const std::string& text) {
  Show([this, text] { window_.SetAppTitle(text); });
}

void PostingView::SetProgress(int percent) {
  Show([this, percent] { window_.SetProgress(percent); });
}

void PostingView::SetText(Control control, const std::string& text) {
  Show([this, control, text] { window_.SetText(control, text); });
}

void PostingView::SetVisible(Control control, bool visible) {
  Show([this, control, visible] { window_.SetVisible(control, visible); });
}

void PostingView::SetChecked(Control control, bool checked) {
  Show([this, control, checked] { window_.SetChecked(control, checked); });
}

void PostingView::SetBusy(bool busy) {
  Show([this, busy] { window_.SetBusy(busy); });
}

void PostingView::SetTimerEnabled(bool enabled) {
  timer_enabled_ = enabled;
  Show([this, enabled] { window_.SetTimerEnabled(enabled); });
}

void PostingView::SetTimerInterval(int milliseconds) {
  timer_interval_ = milliseconds;
  Show([this, milliseconds] { window_.SetTimerInterval(milliseconds); });
}

void PostingView::MinimizeApplication() {
  Show([this] { window_.MinimizeApplication(); });
}

void PostingView::FocusMainForm() {
  window_.FocusMainForm();
}

void PostingView::ShowError(const std::string& text) {
  Show([this, text] { window_.ShowError(text); });
}

bool PostingView::BrowseForFolder(const std::string& title, std::string& path) {
  return window_.BrowseForFolder(title, path);
}

CycleThread::CycleThread(TMainForm& form, Post post) : form_(form), post_(std::move(post)) {}

CycleThread::~CycleThread() {
  if (!thread_.joinable()) return;
  // A thread still at work (a call into the system that does not return)
  // is left to the end of the process.
  std::unique_lock<std::mutex> hold(mutex_);
  if (finished_) {
    hold.unlock();
    thread_.join();
  } else {
    thread_.detach();
  }
}

void CycleThread::Tick() {
  if (stopped_) return;
  if (running_) {
    tick_due_ = true;
    return;
  }
  Start();
}

void CycleThread::Start() {
  if (thread_.joinable()) thread_.join();
  running_ = true;
  finished_ = false;
  thread_ = std::thread([this] {
    form_.TimerFindTimer();
    {
      const std::lock_guard<std::mutex> hold(mutex_);
      finished_ = true;
    }
    done_.notify_all();
    post_([this] { Ended(); });
  });
}

void CycleThread::Ended() {
  if (!running_) return;
  thread_.join();
  running_ = false;
  if (tick_due_ && !stopped_) {
    tick_due_ = false;
    Start();
  }
}

bool CycleThread::Stop(int milliseconds) {
  stopped_ = true;
  tick_due_ = false;
  if (!running_) return true;
  form_.CancelCycles();
  std::unique_lock<std::mutex> hold(mutex_);
  if (!done_.wait_for(hold, std::chrono::milliseconds(milliseconds),
                      [this] { return finished_; })) {
    return false;
  }
  hold.unlock();
  thread_.join();
  running_ = false;
  return true;
}

}  // namespace ferrolink
