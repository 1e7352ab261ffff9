#include "frmMain.h"

#include "resource.h"

namespace viewerprobe {

namespace {

constexpr const char* kClassName = "Viewerprobe.frmMain";
constexpr const char* kDesignCaption = "Viewerprobe";

// Layout in twips (1/1440 inch), converted to pixels at the screen's
// resolution: 15 twips to the pixel at 96 dots per inch, fewer above it, so
// that the window grows with the system font.
constexpr int kTwipsPerInch = 1440;

struct TwipsScale {
  int dpiX, dpiY;
  int X(int twips) const { return MulDiv(twips, dpiX, kTwipsPerInch); }
  int Y(int twips) const { return MulDiv(twips, dpiY, kTwipsPerInch); }
};

TwipsScale ScreenScale() {
  HDC screen = GetDC(nullptr);
  const TwipsScale scale{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
  ReleaseDC(nullptr, screen);
  return scale;
}

constexpr int kClientWidth = 7470;
constexpr int kClientHeight = 3495;
// Fixed frame with a title bar and a close button; not resizable.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

struct ControlRow {
  ControlId id;
  const char* className;
  int left, top, width, height;  // twips, relative to the client area
  const char* caption;
  DWORD style;
  DWORD exStyle;
};

// In tab order: the keyboard walks the controls in the order they are made.
constexpr ControlRow kControls[] = {
    // id        class     left  top   width height caption style
    {IDC_cmdYes, "BUTTON", 4800, 3000, 1215, 375, "Yes", BS_PUSHBUTTON, 0},
    {IDC_cmdNo, "BUTTON", 6120, 3000, 1215, 375, "No", BS_PUSHBUTTON, 0},
    {IDC_txtText, "EDIT", 120, 240, 7215, 2655, "", ES_MULTILINE | ES_READONLY, WS_EX_CLIENTEDGE},
};

}  // namespace

frmMain::frmMain(HINSTANCE instance, ProbeSystem& system) : instance_(instance), system_(system) {}

frmMain::~frmMain() {
  Unload();
}

bool frmMain::Create() {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = StaticWindowProc;
  wc.hInstance = instance_;
  wc.hIcon = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_VIEWERPROBE), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                           LR_DEFAULTCOLOR));
  wc.hIconSm = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_VIEWERPROBE),
                                             IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassExA(&wc)) return false;

  const TwipsScale scale = ScreenScale();
  RECT frame{0, 0, scale.X(kClientWidth), scale.Y(kClientHeight)};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  if (!CreateWindowExA(0, kClassName, kDesignCaption, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                       frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                       instance_, this)) {
    return false;
  }

  const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlRow& row : kControls) {
    HWND control = CreateWindowExA(
        row.exStyle, row.className, row.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | row.style,
        scale.X(row.left), scale.Y(row.top), scale.X(row.width), scale.Y(row.height), hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance_, nullptr);
    if (!control) return false;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  txtText_ = GetDlgItem(hwnd_, IDC_txtText);
  cmdYes_ = GetDlgItem(hwnd_, IDC_cmdYes);
  cmdNo_ = GetDlgItem(hwnd_, IDC_cmdNo);
  return true;
}

void frmMain::Form_Load() {
  lngAnswer = kAnswerPending;
  CheckHelpViewer();
  Unload();
}

void frmMain::CheckHelpViewer() {
  if (!HelpViewerNoticeNeeded(system_)) return;
  ShowNoticeAndWait();
}

void frmMain::ShowNoticeAndWait() {
  const std::string text = NoticeText();
  SetWindowTextA(hwnd_, NoticeCaption().c_str());
  SetWindowTextA(txtText_, text.c_str());
  SetWindowTextA(cmdNo_, "OK");
  ShowWindow(cmdYes_, SW_HIDE);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  // The click and unload handlers run while the messages are processed and
  // give the answer; closing the window answers too, through its unload.
  while (lngAnswer == kAnswerPending) {
    Sleep(kNoticeWaitSleepMs);
    ProcessPendingMessages();
  }
}

void frmMain::ProcessPendingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    // Tab, Enter and Space between and on the controls, as in a dialog.
    if (hwnd_ && IsDialogMessageA(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void frmMain::Unload() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void frmMain::FocusFirstControl() {
  for (const ControlRow& row : kControls) {
    HWND control = GetDlgItem(hwnd_, row.id);
    if (IsWindowVisible(control) && IsWindowEnabled(control)) {
      SetFocus(control);
      return;
    }
  }
}

void frmMain::cmdNo_Click() {
  lngAnswer = kAnswerNo;
}

void frmMain::Form_Unload() {
  lngAnswer = kAnswerNo;
}

LRESULT frmMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_cmdNo) cmdNo_Click();
      return 0;
    case DM_GETDEFID: {
      // Enter presses "OK" when it has the focus.
      if (GetFocus() == cmdNo_) return MAKELRESULT(IDC_cmdNo, DC_HASDEFID);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        lastFocus_ = GetFocus();
      } else if (lastFocus_ && IsWindowVisible(lastFocus_)) {
        SetFocus(lastFocus_);
      } else {
        FocusFirstControl();
      }
      return 0;
    case WM_CTLCOLORSTATIC:
      // The read-only text box keeps the look of an editable one.
      if (reinterpret_cast<HWND>(lParam) == txtText_) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    case WM_ENDSESSION:
      // The user logs off, or an installer closes the program to replace it
      // (ENDSESSION_CLOSEAPP, after which Windows ends nothing itself):
      // unload as if the window had been closed.
      if (wParam) Unload();
      return 0;
    case WM_DESTROY:
      Form_Unload();
      return 0;
    case WM_NCDESTROY:
      hwnd_ = txtText_ = cmdYes_ = cmdNo_ = lastFocus_ = nullptr;
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK frmMain::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<frmMain*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
  return self->WindowProc(hwnd, message, wParam, lParam);
}

}  // namespace viewerprobe
