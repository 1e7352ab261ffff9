// A fake of Ferrolink's main window: a record of what the logic told it to
// show, a timer that keeps its state and counts its restarts, and a folder
// dialog whose answer the test sets.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "FormView.h"

namespace ferrolink::test {

class FakeView : public FormView {
 public:
  std::string caption, app_title;
  std::map<Control, std::string> texts;
  std::map<Control, bool> visible;
  std::map<Control, bool> checked;
  std::vector<bool> busy_log;  // every change of the busy marker, in order
  std::vector<std::string> errors;
  std::vector<std::string> app_titles;  // every title set, in order
  bool timer_enabled = true;
  int timer_interval = 2000;
  int timer_restarts = 0;
  int minimized = 0;
  int focused = 0;
  bool browse_result = false;
  std::string browse_path;
  std::string browse_title;
  int browses = 0;

  void SetCaption(const std::string& text) override { caption = text; }
  void SetAppTitle(const std::string& text) override {
    app_title = text;
    app_titles.push_back(text);
  }
  std::vector<int> progress;  // every share shown, in order
  void SetProgress(int percent) override { progress.push_back(percent); }
  void SetText(Control control, const std::string& text) override { texts[control] = text; }
  void SetVisible(Control control, bool v) override { visible[control] = v; }
  void SetChecked(Control control, bool c) override { checked[control] = c; }
  void SetBusy(bool busy) override { busy_log.push_back(busy); }
  bool TimerEnabled() override { return timer_enabled; }
  void SetTimerEnabled(bool enabled) override {
    if (enabled && !timer_enabled) ++timer_restarts;
    timer_enabled = enabled;
  }
  int TimerInterval() override { return timer_interval; }
  void SetTimerInterval(int ms) override {
    if (ms != timer_interval) ++timer_restarts;
    timer_interval = ms;
  }
  void MinimizeApplication() override { ++minimized; }
  void FocusMainForm() override { ++focused; }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  bool BrowseForFolder(const std::string& title, std::string& path) override {
    ++browses;
    browse_title = title;
    browse_timer_was_on = timer_enabled;
    if (browse_result) path = browse_path;
    return browse_result;
  }
  bool browse_timer_was_on = false;
};

}  // namespace ferrolink::test
