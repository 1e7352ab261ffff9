// Ferrolink's program: the single-instance start, the application window (its
// caption is the task-bar text), the main window with its controls, and the
// message loop. Window messages become calls of TMainForm's handlers; the
// window operations of Platform are implemented here.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <exception>
#include <map>
#include <string>

#include "Main.h"
#include "Win32System.h"
#include "resource.h"

namespace ferrolink {
namespace {

constexpr char kMutexName[] = "Ferrolink";
constexpr char kAppClass[] = "TApplication";
constexpr char kFormClass[] = "TMainForm";
constexpr char kSpeedButtonClass[] = "TSpeedButton";
constexpr int kClientWidth = 449;
constexpr int kClientHeight = 417;
constexpr COLORREF kTransparent = RGB(255, 0, 255);  // the pictures' see-through colour
constexpr COLORREF kGreyText = RGB(128, 128, 128);

constexpr char kCopyright[] = "Copyright \xA9 2012 Quorlen";
constexpr char kMessageText[] =
    "Das Zielverzeichnis befindet sich innerhalb des Quellverzeichnisses. Bitte neu "
    "konfigurieren ...";

// One control of the main window. Width 0: as wide and high as its text
// (a label that sizes itself).
struct ControlDef {
  int id;
  const char* cls;
  int parent;  // 0: the window itself, else the id of a group box
  int x, y, w, h;
  const char* text;
  DWORD style;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabel = kChild | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kPicture = kChild | SS_OWNERDRAW | WS_CLIPSIBLINGS;
constexpr DWORD kGroup = kChild | BS_GROUPBOX | WS_CLIPSIBLINGS;

// In creation order, which is the tab order: ButtonMini, GroupBoxTarget,
// GroupBoxDone, GroupBoxSetup among the window's direct children.
// FailedImage comes before Network so that it lies above it.
constexpr ControlDef kControls[] = {
    {IDC_BUTTONMINI, "BUTTON", 0, 328, 376, 105, 25, "Minimieren",
     kChild | WS_TABSTOP | BS_PUSHBUTTON},
    {IDC_GROUPBOXTARGET, "BUTTON", 0, 16, 184, 417, 105, "Server", kGroup},
    {IDC_FAILEDIMAGE, "STATIC", IDC_GROUPBOXTARGET, 24, 41, 15, 12, "", kPicture},
    {IDC_NETWORK, "STATIC", IDC_GROUPBOXTARGET, 16, 24, 32, 32, "", kPicture},
    {IDC_LABELDIR, "STATIC", IDC_GROUPBOXTARGET, 64, 20, 0, 0, "Verzeichnis", kLabel},
    {IDC_EDITTARGET, "EDIT", IDC_GROUPBOXTARGET, 64, 36, 305, 21, "",
     kChild | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL},
    {IDC_SPEEDBUTTONDIR, kSpeedButtonClass, IDC_GROUPBOXTARGET, 376, 36, 23, 22, "", kChild},
    {IDC_LABELMESSAGE, "STATIC", IDC_GROUPBOXTARGET, 64, 64, 337, 33, kMessageText,
     WS_CHILD | SS_LEFT | SS_NOPREFIX},
    {IDC_GROUPBOXDONE, "BUTTON", 0, 16, 80, 417, 89, "Erledigt", kGroup},
    {IDC_LABEL1, "STATIC", IDC_GROUPBOXDONE, 16, 20, 0, 0, "Pfad:", kLabel},
    {IDC_LABELSOURCE, "STATIC", IDC_GROUPBOXDONE, 64, 20, 337, 13, "---", kLabel},
    {IDC_LABEL2, "STATIC", IDC_GROUPBOXDONE, 16, 42, 0, 0, "Datei:", kLabel},
    {IDC_LABELBRANCH, "STATIC", IDC_GROUPBOXDONE, 64, 42, 337, 13, "---", kLabel},
    {IDC_LABEL3, "STATIC", IDC_GROUPBOXDONE, 16, 64, 0, 0, "Anzahl:", kLabel},
    {IDC_LABELSTATUS, "STATIC", IDC_GROUPBOXDONE, 64, 64, 337, 13, "---",
     kLabel | SS_LEFTNOWORDWRAP},
    {IDC_GROUPBOXSETUP, "BUTTON", 0, 16, 304, 417, 57, "Einstellungen", kGroup},
    {IDC_CHECKBOXDELETE, "BUTTON", IDC_GROUPBOXSETUP, 16, 24, 209, 17,
     "Quelldateien nach \xDC"
     "bertragung l\xF6schen.",
     kChild | WS_TABSTOP | BS_AUTOCHECKBOX},
    {IDC_IMAGELOGO, "STATIC", 0, 16, 16, 185, 52, "", kPicture},
    {IDC_LABELCOPYRIGHT, "STATIC", 0, 232, 16, 201, 13, kCopyright, kLabel},
    {IDC_LABELVERSION, "STATIC", 0, 232, 40, 201, 13, "---", kLabel},
};

int ControlId(Control c) {
  switch (c) {
    case Control::LabelVersion:
      return IDC_LABELVERSION;
    case Control::LabelSource:
      return IDC_LABELSOURCE;
    case Control::LabelBranch:
      return IDC_LABELBRANCH;
    case Control::LabelStatus:
      return IDC_LABELSTATUS;
    case Control::EditTarget:
      return IDC_EDITTARGET;
    case Control::FailedImage:
      return IDC_FAILEDIMAGE;
    case Control::LabelMessage:
      return IDC_LABELMESSAGE;
    case Control::CheckBoxDelete:
      return IDC_CHECKBOXDELETE;
  }
  return 0;
}

void DrawTransparent(HDC dc, HBITMAP bmp, int x, int y) {
  BITMAP info;
  if (!bmp || !GetObjectA(bmp, sizeof info, &info)) return;
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, bmp);
  TransparentBlt(dc, x, y, info.bmWidth, info.bmHeight, mem, 0, 0, info.bmWidth, info.bmHeight,
                 kTransparent);
  SelectObject(mem, old);
  DeleteDC(mem);
}

class MainWindow : public Win32System {
 public:
  explicit MainWindow(HINSTANCE instance) : instance_(instance), form_(*this) {}
  ~MainWindow() override {
    for (HBITMAP b : {logo_, network_, failed_, folder_}) {
      if (b) DeleteObject(b);
    }
    DeleteObject(face_brush_);
  }

  bool Create();
  int Run();

  // ---- Platform: the window ----
  void SetCaption(const std::string& text) override { SetWindowTextA(form_wnd_, text.c_str()); }
  void SetAppTitle(const std::string& text) override { SetWindowTextA(app_wnd_, text.c_str()); }
  void SetText(Control c, const std::string& text) override {
    SetWindowTextA(controls_[ControlId(c)], text.c_str());
  }
  void SetVisible(Control c, bool visible) override {
    ShowWindow(controls_[ControlId(c)], visible ? SW_SHOW : SW_HIDE);
  }
  void SetChecked(Control c, bool checked) override {
    SendMessageA(controls_[ControlId(c)], BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  void SetBusyCursor(CursorOwner owner, bool busy) override;
  bool TimerEnabled() override { return timer_on_; }
  void SetTimerEnabled(bool enabled) override;
  int TimerInterval() override { return interval_; }
  void SetTimerInterval(int milliseconds) override;
  void MinimizeApplication() override;
  void FocusMainForm() override { SetFocus(form_wnd_); }
  void ShowError(const std::string& text) override {
    MessageBoxA(form_wnd_ ? form_wnd_ : app_wnd_, text.c_str(), kAppTitle,
                MB_OK | MB_ICONSTOP | MB_TASKMODAL);
  }
  bool BrowseForFolder(const std::string& title, std::string& path) override;

 private:
  static LRESULT CALLBACK AppProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK FormProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK GroupProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK SpeedButtonProc(HWND, UINT, WPARAM, LPARAM);

  LRESULT OnFormMessage(HWND, UINT, WPARAM, LPARAM);
  void CreateControls();
  void OnCommand(int id, int code, HWND control);
  void DrawPicture(const DRAWITEMSTRUCT& item);
  bool CursorBusyOver(HWND hwnd) const;
  void RestoreFromTaskBar();
  // Runs a handler; an error it raises is shown, never carried into Windows.
  template <typename F>
  void Guard(F&& handler);

  HINSTANCE instance_;
  TMainForm form_;
  HWND app_wnd_ = nullptr;
  HWND form_wnd_ = nullptr;
  std::map<int, HWND> controls_;
  WNDPROC group_default_proc_ = nullptr;
  HBITMAP logo_ = nullptr, network_ = nullptr, failed_ = nullptr, folder_ = nullptr;
  HBRUSH face_brush_ = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  std::map<CursorOwner, bool> busy_;
  bool timer_on_ = false;
  int interval_ = kIntervalStart;
  bool minimized_ = false;
  bool closing_ = false;
};

MainWindow* g_window = nullptr;  // the one window of the process, for the window procedures

template <typename F>
void MainWindow::Guard(F&& handler) {
  try {
    handler();
  } catch (...) {
    ShowError(ErrorText(std::current_exception()));
  }
}

bool MainWindow::Create() {
  WNDCLASSA wc{};
  wc.hInstance = instance_;
  wc.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(IDI_FERROLINK));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpfnWndProc = AppProc;
  wc.lpszClassName = kAppClass;
  if (!RegisterClassA(&wc)) return false;
  wc.lpfnWndProc = FormProc;
  wc.lpszClassName = kFormClass;
  if (!RegisterClassA(&wc)) return false;
  wc.lpfnWndProc = SpeedButtonProc;
  wc.lpszClassName = kSpeedButtonClass;
  wc.hIcon = nullptr;
  if (!RegisterClassA(&wc)) return false;

  logo_ = LoadBitmapA(instance_, MAKEINTRESOURCEA(IDB_LOGO));
  network_ = LoadBitmapA(instance_, MAKEINTRESOURCEA(IDB_NETWORK));
  failed_ = LoadBitmapA(instance_, MAKEINTRESOURCEA(IDB_FAILED));
  folder_ = LoadBitmapA(instance_, MAKEINTRESOURCEA(IDB_FOLDER));

  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  // The application window: never seen itself, its caption is the text of
  // the program's task-bar entry; it owns the main window.
  app_wnd_ = CreateWindowExA(WS_EX_APPWINDOW, kAppClass, kAppTitle,
                             WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS, sw / 2,
                             sh / 2, 0, 0, nullptr, nullptr, instance_, nullptr);
  if (!app_wnd_) return false;

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const DWORD exstyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, style, FALSE, exstyle);
  const int w = r.right - r.left, h = r.bottom - r.top;
  form_wnd_ = CreateWindowExA(exstyle, kFormClass, kCaptionStart, style, (sw - w) / 2, (sh - h) / 2,
                              w, h, app_wnd_, nullptr, instance_, nullptr);
  if (!form_wnd_) return false;
  SendMessageA(form_wnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
  CreateControls();

  Guard([this] { form_.FormCreate(); });
  // The first tick comes only after the start-up is complete.
  SetTimerEnabled(true);
  ShowWindow(app_wnd_, SW_SHOWNOACTIVATE);
  ShowWindow(form_wnd_, SW_SHOW);
  UpdateWindow(form_wnd_);
  Guard([this] { form_.FormShow(); });
  return true;
}

void MainWindow::CreateControls() {
  HDC dc = GetDC(form_wnd_);
  HGDIOBJ old = SelectObject(dc, Font());
  for (const ControlDef& def : kControls) {
    HWND parent = def.parent ? controls_[def.parent] : form_wnd_;
    int w = def.w, h = def.h;
    if (w == 0) {  // a label as large as its text
      SIZE size{};
      GetTextExtentPoint32A(dc, def.text, static_cast<int>(strlen(def.text)), &size);
      w = size.cx;
      h = 13;
    }
    DWORD exstyle = 0;
    if (def.id == IDC_EDITTARGET) exstyle = WS_EX_CLIENTEDGE;
    if (std::string(def.cls) == "BUTTON" && (def.style & BS_GROUPBOX)) {
      exstyle = WS_EX_CONTROLPARENT;
    }
    HWND hwnd =
        CreateWindowExA(exstyle, def.cls, def.text, def.style, def.x, def.y, w, h, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(def.id)), instance_, nullptr);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    controls_[def.id] = hwnd;
    if (def.style & BS_GROUPBOX && std::string(def.cls) == "BUTTON") {
      // Group boxes hold controls: pass their notifications on to the window.
      group_default_proc_ = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GroupProc)));
    }
  }
  SelectObject(dc, old);
  ReleaseDC(form_wnd_, dc);
}

int MainWindow::Run() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (form_wnd_ && IsDialogMessageA(form_wnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
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
  auto busy = [this](CursorOwner o) {
    auto it = busy_.find(o);
    return it != busy_.end() && it->second;
  };
  if (busy(CursorOwner::MainForm)) return true;
  for (HWND h = hwnd; h && h != form_wnd_; h = GetParent(h)) {
    if (h == controls_.at(IDC_GROUPBOXDONE) && busy(CursorOwner::GroupBoxDone)) return true;
    if (h == controls_.at(IDC_GROUPBOXTARGET) && busy(CursorOwner::GroupBoxTarget)) return true;
  }
  return false;
}

void MainWindow::SetBusyCursor(CursorOwner owner, bool busy) {
  busy_[owner] = busy;
  // No messages are handled while a cycle runs: show the change at once
  // when the mouse is over the window.
  POINT pt;
  if (!GetCursorPos(&pt)) return;
  HWND under = WindowFromPoint(pt);
  if (under && (under == form_wnd_ || IsChild(form_wnd_, under))) {
    SetCursor(LoadCursorA(nullptr, CursorBusyOver(under) ? IDC_WAIT : IDC_ARROW));
  }
}

bool MainWindow::BrowseForFolder(const std::string& title, std::string& path) {
  char display[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = app_wnd_;
  info.pidlRoot = nullptr;  // the desktop
  info.pszDisplayName = display;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  // The dialog disables its owner; the main window is disabled with it.
  EnableWindow(form_wnd_, FALSE);
  LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
  EnableWindow(form_wnd_, TRUE);
  if (!chosen) return false;
  char buf[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListA(chosen, buf) && buf[0];
  CoTaskMemFree(chosen);
  if (ok) path = buf;
  return ok;
}

void MainWindow::OnCommand(int id, int code, HWND control) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case IDC_BUTTONMINI:
      Guard([this] { form_.ButtonMiniClick(); });
      break;
    case IDC_SPEEDBUTTONDIR:
      Guard([this] { form_.SpeedButtonDirClick(); });
      break;
    case IDC_CHECKBOXDELETE: {
      const bool checked = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
      Guard([this, checked] { form_.SetDeleteChecked(checked); });
      break;
    }
    default:
      break;
  }
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

LRESULT CALLBACK MainWindow::AppProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  MainWindow* self = g_window;
  switch (msg) {
    case WM_SIZE:
      if (self && wp == SIZE_RESTORED) self->RestoreFromTaskBar();
      break;
    case WM_SYSCOMMAND:
      if (self && (wp & 0xFFF0) == SC_RESTORE) {
        ShowWindow(hwnd, SW_RESTORE);
        self->RestoreFromTaskBar();
        return 0;
      }
      break;
    case WM_CLOSE:
      if (self && self->form_wnd_) PostMessageA(self->form_wnd_, WM_CLOSE, 0, 0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK MainWindow::FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (!g_window) return DefWindowProcA(hwnd, msg, wp, lp);
  return g_window->OnFormMessage(hwnd, msg, wp, lp);
}

LRESULT MainWindow::OnFormMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_TIMER:
      if (wp == IDT_TIMERFIND) Guard([this] { form_.TimerFindTimer(); });
      return 0;
    case WM_DRAWITEM:
      DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      HWND control = reinterpret_cast<HWND>(lp);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      SetTextColor(dc,
                   control == controls_[IDC_LABELMESSAGE] ? kGreyText : GetSysColor(COLOR_BTNTEXT));
      return reinterpret_cast<LRESULT>(face_brush_);
    }
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT && CursorBusyOver(reinterpret_cast<HWND>(wp))) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_MINIMIZE) {
        Guard([this] { MinimizeApplication(); });
        return 0;
      }
      break;
    case WM_CLOSE:
      if (closing_) return 0;
      closing_ = true;
      Guard([this] { form_.FormClose(); });
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      form_wnd_ = nullptr;
      DestroyWindow(app_wnd_);
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK MainWindow::GroupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  MainWindow* self = g_window;
  switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return self->OnFormMessage(self->form_wnd_, msg, wp, lp);
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT && self->CursorBusyOver(reinterpret_cast<HWND>(wp))) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, self->face_brush_);
      return TRUE;
    }
    default:
      break;
  }
  return CallWindowProcA(self->group_default_proc_, hwnd, msg, wp, lp);
}

// A small flat button that never takes the focus, showing the folder glyph.
LRESULT CALLBACK MainWindow::SpeedButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  MainWindow* self = g_window;
  auto click = [hwnd] {
    const int id = GetDlgCtrlID(hwnd);
    SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
  };
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT r;
      GetClientRect(hwnd, &r);
      const bool down = GetPropA(hwnd, "down") != nullptr;
      FillRect(dc, &r, self->face_brush_);
      DrawEdge(dc, &r, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
      DrawTransparent(dc, self->folder_, (r.right - 16) / 2 + (down ? 1 : 0),
                      (r.bottom - 16) / 2 + (down ? 1 : 0));
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetPropA(hwnd, "down", reinterpret_cast<HANDLE>(1));
      SetCapture(hwnd);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_LBUTTONUP: {
      const bool was_down = RemovePropA(hwnd, "down") != nullptr;
      ReleaseCapture();
      InvalidateRect(hwnd, nullptr, TRUE);
      RECT r;
      GetClientRect(hwnd, &r);
      const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      if (was_down && PtInRect(&r, pt)) click();
      return 0;
    }
    case BM_CLICK:
      click();
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace
}  // namespace ferrolink

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // One instance per log-on: a second start ends at once, silently. The
  // handle stays open until the process ends.
  CreateMutexA(nullptr, FALSE, ferrolink::kMutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;
  CoInitialize(nullptr);  // for the folder-browsing dialog
  int code = 1;
  {
    ferrolink::MainWindow window(instance);
    ferrolink::g_window = &window;
    if (window.Create()) code = window.Run();
    ferrolink::g_window = nullptr;
  }
  CoUninitialize();
  return code;
}
