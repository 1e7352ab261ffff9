// Viewerprobe's only window: an answer window with a text box and two
// buttons, used only as the notice about the missing help viewer. The notice
// hides the Yes button, so only "OK" (cmdNo) or closing can answer it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "HelpViewerCheck.h"
#include "ProbeSystem.h"

namespace viewerprobe {

enum ControlId : int {
  IDC_cmdYes = 101,
  IDC_cmdNo = 102,
  IDC_txtText = 103,
};

class frmMain {
 public:
  frmMain(HINSTANCE instance, ProbeSystem& system);
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;
  ~frmMain();

  // Creates the window and its controls, hidden. False when that failed.
  bool Create();
  // The whole run of the program: check, notice when needed, unload.
  void Form_Load();

 private:
  void CheckHelpViewer();
  void ShowNoticeAndWait();
  void ProcessPendingMessages();
  void Unload();
  void FocusFirstControl();

  void cmdNo_Click();
  void Form_Unload();

  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  ProbeSystem& system_;
  HWND hwnd_ = nullptr;
  HWND txtText_ = nullptr;
  HWND cmdYes_ = nullptr;
  HWND cmdNo_ = nullptr;
  HWND lastFocus_ = nullptr;  // restored when the window is activated again
  std::int32_t lngAnswer = kAnswerPending;
};

}  // namespace viewerprobe
