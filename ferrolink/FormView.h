// What Ferrolink's main window shows, as the logic (TMainForm) tells it: the
// caption and the task-bar text, the texts, visibility and check of its
// controls, the busy marker, the watch cycle's timer, minimising, focus, the
// error box and the folder dialog. The window implements it over Win32, the
// tests with a fake. What the operating system does goes through System.
#pragma once

#include <string>

namespace ferrolink {

// Controls whose text or visibility the logic sets.
enum class Control {
  LabelVersion,
  LabelSource,
  LabelBranch,
  LabelStatus,
  EditTarget,
  FailedImage,
  LabelMessage,
  CheckBoxDelete,
};

class FormView {
 public:
  virtual ~FormView() = default;

  virtual void SetCaption(const std::string& text) = 0;
  // The application title: the text of the task-bar entry.
  virtual void SetAppTitle(const std::string& text) = 0;
  // The share of a long copy done, in percent, on the task-bar button;
  // negative: no share shown.
  virtual void SetProgress(int percent) = 0;
  virtual void SetText(Control control, const std::string& text) = 0;
  virtual void SetVisible(Control control, bool visible) = 0;
  virtual void SetChecked(Control control, bool checked) = 0;
  // The busy marker: the hourglass over the window while a cycle runs.
  virtual void SetBusy(bool busy) = 0;
  virtual bool TimerEnabled() = 0;
  virtual void SetTimerEnabled(bool enabled) = 0;
  virtual int TimerInterval() = 0;
  // Restarts the count only when the interval differs from the current one.
  virtual void SetTimerInterval(int milliseconds) = 0;
  virtual void MinimizeApplication() = 0;
  virtual void FocusMainForm() = 0;
  virtual void ShowError(const std::string& text) = 0;
  // The folder-browsing dialog; true and the chosen path on a choice.
  virtual bool BrowseForFolder(const std::string& title, std::string& path) = 0;
};

}  // namespace ferrolink
