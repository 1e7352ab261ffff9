// The real system behind Ferrolink's seam with a window that shows nothing:
// for the Win32 tests and the benchmark, which run the logic over real files
// without Ferrolink's window. It keeps the timer's state and the errors shown.
#pragma once

#include <string>
#include <vector>

#include "Main.h"
#include "Win32System.h"

namespace ferrolink::test {

class HeadlessSystem : public Win32System {
 public:
  void SetCaption(const std::string&) override {}
  void SetAppTitle(const std::string&) override {}
  void SetText(Control, const std::string&) override {}
  void SetVisible(Control, bool) override {}
  void SetChecked(Control, bool) override {}
  void SetBusyCursor(CursorOwner, bool) override {}
  bool TimerEnabled() override { return timer_enabled; }
  void SetTimerEnabled(bool enabled) override { timer_enabled = enabled; }
  int TimerInterval() override { return timer_interval; }
  void SetTimerInterval(int ms) override { timer_interval = ms; }
  void MinimizeApplication() override {}
  void FocusMainForm() override {}
  void ShowError(const std::string& text) override { errors.push_back(text); }
  bool BrowseForFolder(const std::string&, std::string&) override { return false; }

  bool timer_enabled = true;
  int timer_interval = kIntervalStart;
  std::vector<std::string> errors;
};

}  // namespace ferrolink::test
