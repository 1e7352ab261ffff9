// The watch cycle while the window answers: the share of a long copy, a new
// target or a close during the copy, and the cycle on its own thread with
// its reports posted to the window's thread.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CycleThread.h"
#include "FakeComputer.h"
#include "Main.h"

using ferrolink::CopyProgress;
using ferrolink::CycleThread;
using ferrolink::PostingView;
using ferrolink::TMainForm;
using ferrolink::test::FakeComputer;

namespace {

constexpr uint64_t kMegabyte = 1024 * 1024;

// A started form that moves C:\Daten to D:\Ziel in delete mode.
void MoveMode(FakeComputer& p, TMainForm& form) {
  form.FormCreate();
  form.SourceDir = "C:\\Daten\\";
  form.TargetDir = "D:\\Ziel\\";
  form.SetDeleteChecked(true);
  p.AddDir("D:\\Ziel");
}

// The scan's copy in 100 steps of one megabyte, and its check in 100 more,
// each taking 50 ms on the fake clock; `at_step` runs before step k.
struct Steps {
  FakeComputer& p;
  std::function<void(int)> at_step;
  void Check(uint64_t offset) const {
    at_step(101 + static_cast<int>(offset / kMegabyte));
    p.milliseconds += 50;
  }
  bool operator()(const CopyProgress& progress, uint64_t size) const {
    if (size < 6) return progress(size, size);  // not the scan: a quick copy
    for (int k = 0; k <= 100; ++k) {
      if (at_step) at_step(k);
      if (!progress(k * kMegabyte, 100 * kMegabyte)) return false;
      p.milliseconds += 50;
    }
    return true;
  }
};

}  // namespace

TEST(CycleProgress, LongCopiesShowTheirShareAndANewTargetOrACloseCancelsThem) {
  enum Event { None, NewTarget, Close };
  const struct {
    const char* name;
    Event event;
    int at;  // the step of the event
    bool delivered;
    size_t shares;  // how many times the share was shown
  } rows[] = {
      {"a long copy shows its share after a second, four times a second", None, 0, true, 37},
      {"a new target with more than a second left cancels the copy", NewTarget, 40, false, 4},
      {"a new target with more than a second left cancels the check", NewTarget, 150, false, 27},
      {"a new target with less than a second left lets the check end", NewTarget, 190, true, 37},
      {"a close cancels the copy", Close, 60, false, 8},
      {"a close cancels the check", Close, 130, false, 23},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeComputer p;
    p.key_exists = false;
    TMainForm form{p, p};
    MoveMode(p, form);
    p.AddFile("C:\\Daten\\a_scan.dat", "punkte").size = 100 * kMegabyte;
    p.AddFile("C:\\Daten\\b.dat", "b");
    const Steps steps{p, [&](int k) {
                        if (k == row.at && row.event == NewTarget) p.SetTimerEnabled(false);
                        if (k == row.at && row.event == Close) form.CancelCycles();
                      }};
    p.during_copy = steps;
    p.read_back = [&](uint64_t offset) { steps.Check(offset); };
    form.TimerFindTimer();
    EXPECT_EQ(p.Exists("D:\\Ziel\\a_scan.dat"), row.delivered);
    EXPECT_FALSE(p.Exists("D:\\Ziel\\a_scan.dat.~ft"));
    EXPECT_EQ(p.Exists("C:\\Daten\\a_scan.dat"), !row.delivered);
    // The cycle ends after the file, whatever became of it.
    EXPECT_EQ(p.Exists("D:\\Ziel\\b.dat"), row.event == None);
    size_t shares = 0, checks = 0;
    for (const std::string& title : p.app_titles) {
      if (title.rfind("Ferrolink: a_scan.dat \u2013 ", 0) == 0) ++shares;
      if (title.rfind("Ferrolink: a_scan.dat \u2013 pr\u00fcft ", 0) == 0) ++checks;
    }
    EXPECT_EQ(shares, row.shares);
    // The check goes on in the same bar, after the copy's 17 shares.
    EXPECT_EQ(checks, shares > 17 ? shares - 17 : 0);
    EXPECT_EQ(p.progress.size(), row.shares + 1);
    EXPECT_EQ(p.progress.back(), -1);  // and gone again
    EXPECT_EQ(p.app_title, row.event == None ? "Ferrolink: b.dat"
                           : row.delivered   ? "Ferrolink: a_scan.dat"
                                             : "Ferrolink: Netz OK");
  }
}

namespace {

// The window's thread as the test plays it: posted calls wait in a queue
// until the test runs them.
class Window {
 public:
  ferrolink::Post Poster() {
    return [this](std::function<void()> call) {
      const std::lock_guard<std::mutex> hold(mutex_);
      calls_.push_back(std::move(call));
      posted_.notify_all();
    };
  }
  // Runs the posted calls until `done` holds; false after 5 s.
  bool RunUntil(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
      if (std::chrono::steady_clock::now() > until) return false;
      std::unique_lock<std::mutex> hold(mutex_);
      if (!posted_.wait_for(hold, std::chrono::milliseconds(10),
                            [this] { return !calls_.empty(); })) {
        continue;
      }
      std::function<void()> call = std::move(calls_.front());
      calls_.pop_front();
      hold.unlock();
      call();
    }
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> calls_;
};

}  // namespace

TEST(CycleThread, TicksNeverOverlapAndACloseCancelsTheCopyUnderWay) {
  FakeComputer p;
  p.key_exists = false;
  Window window;
  PostingView view(p, window.Poster());
  TMainForm form{p, view};
  CycleThread cycle(form, window.Poster());
  MoveMode(p, form);
  p.AddFile("C:\\Daten\\m.dat", "messung");

  // A copy that waits until the test lets it go on.
  std::mutex gate;
  std::condition_variable opened;
  bool go = false;
  p.during_copy = [&](const CopyProgress& progress, uint64_t size) {
    std::unique_lock<std::mutex> hold(gate);
    opened.wait(hold, [&] { return go; });
    return progress(size, size);
  };
  cycle.Tick();
  EXPECT_TRUE(cycle.Running());
  cycle.Tick();  // due during the cycle: delivered once, after it
  cycle.Tick();
  {
    const std::lock_guard<std::mutex> hold(gate);
    go = true;
  }
  opened.notify_all();
  // The reports arrive in the order made; then the due tick's cycle runs.
  ASSERT_TRUE(window.RunUntil([&] { return p.busy_log.size() >= 4 && !cycle.Running(); }));
  EXPECT_EQ(p.busy_log, (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(p.caption, "Ferrolink - Netz OK");
  EXPECT_EQ(p.app_titles.back(), "Ferrolink: m.dat");
  EXPECT_EQ(p.Content("D:\\Ziel\\m.dat"), "messung");

  // A close while a copy is under way: cancelled, nothing at the target,
  // the source as it was; no tick starts a cycle after it.
  p.AddFile("C:\\Daten\\n.dat", "neu");
  std::atomic<bool> copying{false};
  p.during_copy = [&](const CopyProgress& progress, uint64_t size) {
    copying = true;
    while (progress(0, size)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return false;
  };
  cycle.Tick();
  ASSERT_TRUE(window.RunUntil([&] { return copying.load(); }));
  EXPECT_TRUE(cycle.Stop(2000));
  EXPECT_FALSE(p.Exists("D:\\Ziel\\n.dat"));
  EXPECT_FALSE(p.Exists("D:\\Ziel\\n.dat.~ft"));
  EXPECT_EQ(p.Content("C:\\Daten\\n.dat"), "neu");
  cycle.Tick();
  EXPECT_FALSE(cycle.Running());
}
