// Ferrolink's windows: the application window (never seen itself, its
// caption is the task-bar text) and the main window with its controls, and
// the message loop. Window messages become calls of TMainForm's handlers;
// the watch cycle runs on a thread of its own (CycleThread), and what the
// logic shows arrives here as FormView calls, posted by that thread. The
// window owns the real system that the logic works on.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <atomic>
#include <map>
#include <string>

#include "CycleThread.h"
#include "FormView.h"
#include "Main.h"
#include "Win32System.h"

namespace ferrolink {

class MainWindow : public FormView {
 public:
  explicit MainWindow(HINSTANCE instance);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Registers the window classes, creates the windows and runs the start-up
  // handlers; false when a class or a window cannot be made.
  bool Create();
  // The message loop; the exit code once the main window is gone.
  int Run();

  void SetCaption(const std::string& text) override;
  void SetAppTitle(const std::string& text) override;
  void SetProgress(int percent) override;
  void SetText(Control control, const std::string& text) override;
  void SetVisible(Control control, bool visible) override;
  void SetChecked(Control control, bool checked) override;
  void SetBusy(bool busy) override;
  bool TimerEnabled() override { return timer_on_; }
  void SetTimerEnabled(bool enabled) override;
  int TimerInterval() override { return interval_; }
  void SetTimerInterval(int milliseconds) override;
  void MinimizeApplication() override;
  void FocusMainForm() override;
  void ShowError(const std::string& text) override;
  bool BrowseForFolder(const std::string& title, std::string& path) override;

 private:
  // The window procedures find this object in the window's GWLP_USERDATA:
  // the two windows get it from CreateWindowExA, the group boxes when they
  // are subclassed.
  static LRESULT CALLBACK AppProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK FormProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK GroupProc(HWND, UINT, WPARAM, LPARAM);

  LRESULT OnAppMessage(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnFormMessage(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnGroupMessage(HWND, UINT, WPARAM, LPARAM);
  void CreateControls();
  HWND Item(Control control);
  void OnCommand(int id, int code, HWND control);
  void DrawPicture(const DRAWITEMSTRUCT& item);
  // The colours of a static control: its text grey for the message label.
  LRESULT ColorStatic(HDC dc, HWND control);
  // The window goes: posted calls dropped, the application window with it.
  void OnDestroy(HWND hwnd);
  // True while the hourglass shows over the window and its controls.
  bool CursorBusyOver(HWND hwnd) const;
  void RestoreFromTaskBar();
  // Hands a call of the cycle's thread to this one (a posted message).
  void PostCall(std::function<void()> call);
  // The end at close and at the end of the session: the windows hidden at
  // once, the cycle cancelled, the settings saved and the journal whole,
  // the window gone. Where a thread cannot end in time (a call into the
  // network that does not return), the process ends without it. Once only.
  void End();
  // Makes the task-bar object (at start, and after Explorer restarts).
  void MakeTaskbar();
  // Runs a handler; an error it raises is shown, never carried into Windows.
  template <typename F>
  void Guard(F&& handler);

  HINSTANCE instance_;
  Win32System system_;
  // The timer's state, before the view that reads it when it is made.
  bool timer_on_ = false;
  int interval_ = kIntervalStart;
  // The window where the cycle's calls are posted; null once it is gone.
  std::atomic<HWND> post_to_{nullptr};
  PostingView view_;
  TMainForm form_;
  CycleThread cycle_;
  // The task-bar button's progress bar; null where the system has none.
  ITaskbarList3* taskbar_ = nullptr;
  UINT taskbar_created_ = 0;
  HWND app_wnd_ = nullptr;
  HWND form_wnd_ = nullptr;
  std::map<int, HWND> controls_;
  WNDPROC group_default_proc_ = nullptr;
  HBITMAP logo_ = nullptr, network_ = nullptr, failed_ = nullptr, folder_ = nullptr;
  HBRUSH face_brush_ = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  bool busy_ = false;
  bool minimized_ = false;
  bool closing_ = false;
};

}  // namespace ferrolink
