// The window half of FormView: what the logic shows (captions, control
// texts, the busy cursor, the timer, the minimised state, messages and the
// folder dialog) done on Ferrolink's windows, and how its pictures and
// labels are drawn.
#include <objbase.h>
#include <shlobj.h>

#include <cwchar>

#include "DrawTransparent.h"
#include "MainWindow.h"
#include "Win32Handles.h"
#include "resource.h"

namespace ferrolink {

namespace {

// The message label's text colour.
constexpr COLORREF kGreyText = RGB(128, 128, 128);

}  // namespace

void MainWindow::SetCaption(const std::string& text) {
  SetWindowTextW(form_wnd_, Wide(text).c_str());
}

void MainWindow::SetAppTitle(const std::string& text) {
  SetWindowTextW(app_wnd_, Wide(text).c_str());
}

void MainWindow::SetProgress(int percent) {
  // The task-bar button's own progress bar, where the system has one
  // (Windows 7 and later); without it the task-bar text alone tells.
  if (!taskbar_) return;
  if (percent < 0) {
    taskbar_->SetProgressState(app_wnd_, TBPF_NOPROGRESS);
  } else {
    taskbar_->SetProgressValue(app_wnd_, static_cast<ULONGLONG>(percent), 100);
  }
}

void MainWindow::SetText(Control control, const std::string& text) {
  SetWindowTextW(Item(control), Wide(text).c_str());
}

void MainWindow::SetVisible(Control control, bool visible) {
  ShowWindow(Item(control), visible ? SW_SHOW : SW_HIDE);
}

void MainWindow::SetChecked(Control control, bool checked) {
  SendMessageW(Item(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MainWindow::FocusMainForm() {
  SetFocus(form_wnd_);
}

void MainWindow::ShowError(const std::string& text) {
  MessageBoxW(form_wnd_ ? form_wnd_ : app_wnd_, Wide(text).c_str(), Wide(kAppTitle).c_str(),
              MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

void MainWindow::SetTimerEnabled(bool enabled) {
  if (enabled == timer_on_) return;
  timer_on_ = enabled;
  if (enabled) {
    SetTimer(form_wnd_, IDT_TIMERFIND, static_cast<UINT>(interval_), nullptr);
  } else {
    KillTimer(form_wnd_, IDT_TIMERFIND);
  }
}

void MainWindow::SetTimerInterval(int milliseconds) {
  // The same interval again leaves the count running from its last start.
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  if (timer_on_) SetTimer(form_wnd_, IDT_TIMERFIND, static_cast<UINT>(interval_), nullptr);
}

void MainWindow::MinimizeApplication() {
  if (minimized_) return;
  minimized_ = true;
  ShowWindow(form_wnd_, SW_HIDE);
  ShowWindow(app_wnd_, SW_MINIMIZE);
}

void MainWindow::RestoreFromTaskBar() {
  if (!minimized_) return;
  minimized_ = false;
  ShowWindow(form_wnd_, SW_SHOW);
  SetForegroundWindow(form_wnd_);
}

bool MainWindow::CursorBusyOver(HWND hwnd) const {
  return busy_ && (hwnd == form_wnd_ || IsChild(form_wnd_, hwnd));
}

void MainWindow::SetBusy(bool busy) {
  busy_ = busy;
  // Show the change at once when the mouse is over the window, not only at
  // its next move.
  POINT pt;
  if (!GetCursorPos(&pt)) return;
  HWND under = WindowFromPoint(pt);
  if (under && (under == form_wnd_ || IsChild(form_wnd_, under))) {
    SetCursor(LoadCursorA(nullptr, CursorBusyOver(under) ? IDC_WAIT : IDC_ARROW));
  }
}

bool MainWindow::BrowseForFolder(const std::string& title, std::string& path) {
  wchar_t display[MAX_PATH] = {};
  const std::wstring wide_title = Wide(title);
  BROWSEINFOW info{};
  info.hwndOwner = app_wnd_;
  info.pidlRoot = nullptr;  // the desktop
  info.pszDisplayName = display;
  info.lpszTitle = wide_title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  // The dialog disables its owner; the main window is disabled with it.
  EnableWindow(form_wnd_, FALSE);
  LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
  EnableWindow(form_wnd_, TRUE);
  if (!chosen) return false;
  // A folder's path may be as long as Windows allows, not only MAX_PATH.
  std::wstring buf(32768, L'\0');
  const bool ok =
      SHGetPathFromIDListEx(chosen, buf.data(), static_cast<DWORD>(buf.size()), GPFIDL_DEFAULT) &&
      buf[0];
  CoTaskMemFree(chosen);
  if (ok) path = Narrow(buf.data(), wcsnlen(buf.data(), buf.size()));
  return ok;
}

void MainWindow::DrawPicture(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  FillRect(dc, &item.rcItem, face_brush_);
  switch (item.CtlID) {
    case IDC_IMAGELOGO:
      DrawTransparent(dc, logo_, 0, 0);
      break;
    case IDC_NETWORK:
      DrawTransparent(dc, network_, 0, 0);
      break;
    case IDC_FAILEDIMAGE:
      // The cross lies over the lower left of the server: draw that part of
      // the server beneath it first (Network is at 16,24; the cross at 24,41).
      DrawTransparent(dc, network_, 16 - 24, 24 - 41);
      DrawTransparent(dc, failed_, 0, 0);
      break;
    default:
      break;
  }
}

LRESULT MainWindow::ColorStatic(HDC dc, HWND control) {
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextColor(dc, control == controls_[IDC_LABELMESSAGE] ? kGreyText : GetSysColor(COLOR_BTNTEXT));
  return reinterpret_cast<LRESULT>(face_brush_);
}

}  // namespace ferrolink
