#include "MainWindow.h"

#include <exception>
#include <functional>
#include <memory>
#include <utility>

#include "DrawTransparent.h"
#include "SpeedButton.h"
#include "Win32Handles.h"
#include "resource.h"

namespace ferrolink {

namespace {

constexpr wchar_t kAppClass[] = L"TApplication";
constexpr wchar_t kFormClass[] = L"TMainForm";
constexpr int kClientWidth = 449;
constexpr int kClientHeight = 417;
// A call posted by the cycle's thread; lParam owns a std::function.
constexpr UINT kPostedCall = WM_APP + 1;
// How long the end waits, with the windows already hidden: for the cycle to
// stop, and in all for the cycle, the settings' save and the journal's last
// lines. Windows gives a session's end about 5 seconds, a user closing the
// window should wait no more than 3 for the program to be gone.
constexpr DWORD kCycleWait = 1500;
constexpr DWORD kEndWait = 2000;

constexpr wchar_t kCopyright[] = L"Copyright © 2012 Quorlen";
constexpr wchar_t kMessageText[] =
    L"Das Zielverzeichnis befindet sich innerhalb des Quellverzeichnisses. Bitte neu "
    L"konfigurieren ...";

// The fonts a control can show. All show the form's font, the one the
// system measures the path display in.
enum class ControlFont { Form };

// One control of the main window. Width 0: as wide and high as its text in
// its font (a label that sizes itself). A control with WS_EX_CONTROLPARENT
// holds controls and passes their notifications on to the window.
struct ControlDef {
  int id;
  const wchar_t* cls;
  int parent;  // 0: the window itself, else the id of a group box
  int x, y, w, h;
  const wchar_t* text;
  DWORD style;
  DWORD exstyle;
  ControlFont font;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabel = kChild | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kPicture = kChild | SS_OWNERDRAW | WS_CLIPSIBLINGS;
constexpr DWORD kGroup = kChild | BS_GROUPBOX | WS_CLIPSIBLINGS;
constexpr DWORD kHolder = WS_EX_CONTROLPARENT;
constexpr ControlFont kForm = ControlFont::Form;

// In creation order, which is the tab order: ButtonMini, GroupBoxTarget,
// GroupBoxDone, GroupBoxSetup among the window's direct children.
// FailedImage comes before Network so that it lies above it.
// clang-format off
constexpr ControlDef kControls[] = {
    // id                 class              parent              x    y    w    h   text
    //   style                                          exstyle           font
    {IDC_BUTTONMINI,      L"BUTTON",         0,                  328, 376, 105, 25, L"Minimieren",
         kChild | WS_TABSTOP | BS_PUSHBUTTON,            0,                kForm},
    {IDC_GROUPBOXTARGET,  L"BUTTON",         0,                  16,  184, 417, 105, L"Server",
         kGroup,                                         kHolder,          kForm},
    {IDC_FAILEDIMAGE,     L"STATIC",         IDC_GROUPBOXTARGET, 24,  41,  15,  12, L"",
         kPicture,                                       0,                kForm},
    {IDC_NETWORK,         L"STATIC",         IDC_GROUPBOXTARGET, 16,  24,  32,  32, L"",
         kPicture,                                       0,                kForm},
    {IDC_LABELDIR,        L"STATIC",         IDC_GROUPBOXTARGET, 64,  20,  0,   0,  L"Verzeichnis",
         kLabel,                                         0,                kForm},
    {IDC_EDITTARGET,      L"EDIT",           IDC_GROUPBOXTARGET, 64,  36,  305, 21, L"",
         kChild | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kForm},
    {IDC_SPEEDBUTTONDIR,  kSpeedButtonClass, IDC_GROUPBOXTARGET, 376, 36,  23,  22, L"",
         kChild,                                         0,                kForm},
    {IDC_LABELMESSAGE,    L"STATIC",         IDC_GROUPBOXTARGET, 64,  64,  337, 33, kMessageText,
         WS_CHILD | SS_LEFT | SS_NOPREFIX,               0,                kForm},
    {IDC_GROUPBOXDONE,    L"BUTTON",         0,                  16,  80,  417, 89, L"Erledigt",
         kGroup,                                         kHolder,          kForm},
    {IDC_LABEL1,          L"STATIC",         IDC_GROUPBOXDONE,   16,  20,  0,   0,  L"Pfad:",
         kLabel,                                         0,                kForm},
    {IDC_LABELSOURCE,     L"STATIC",         IDC_GROUPBOXDONE,   64,  20,  337, 13, L"---",
         kLabel,                                         0,                kForm},
    {IDC_LABEL2,          L"STATIC",         IDC_GROUPBOXDONE,   16,  42,  0,   0,  L"Datei:",
         kLabel,                                         0,                kForm},
    {IDC_LABELBRANCH,     L"STATIC",         IDC_GROUPBOXDONE,   64,  42,  337, 13, L"---",
         kLabel,                                         0,                kForm},
    {IDC_LABEL3,          L"STATIC",         IDC_GROUPBOXDONE,   16,  64,  0,   0,  L"Anzahl:",
         kLabel,                                         0,                kForm},
    {IDC_LABELSTATUS,     L"STATIC",         IDC_GROUPBOXDONE,   64,  64,  337, 13, L"---",
         kLabel | SS_LEFTNOWORDWRAP,                     0,                kForm},
    {IDC_GROUPBOXSETUP,   L"BUTTON",         0,                  16,  304, 417, 57, L"Einstellungen",
         kGroup,                                         kHolder,          kForm},
    // The check box is a holder too: it takes the group boxes' procedure,
    // which paints its background in the face colour and shows the busy cursor.
    {IDC_CHECKBOXDELETE,  L"BUTTON",         IDC_GROUPBOXSETUP,  16,  24,  209, 17,
         L"Quelldateien nach Übertragung löschen.",
         kChild | WS_TABSTOP | BS_AUTOCHECKBOX,          kHolder,          kForm},
    {IDC_IMAGELOGO,       L"STATIC",         0,                  16,  16,  185, 52, L"",
         kPicture,                                       0,                kForm},
    {IDC_LABELCOPYRIGHT,  L"STATIC",         0,                  232, 16,  201, 13, kCopyright,
         kLabel,                                         0,                kForm},
    {IDC_LABELVERSION,    L"STATIC",         0,                  232, 40,  201, 13, L"---",
         kLabel,                                         0,                kForm},
};
// clang-format on

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

// The object a window was bound to; null before the binding.
MainWindow* BoundTo(HWND hwnd) {
  return reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Binds a window to the object CreateWindowExW was given, at its first
// message that carries it.
void BindOnCreate(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg != WM_NCCREATE) return;
  const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lp);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance)
    : instance_(instance),
      view_(*this, [this](std::function<void()> call) { PostCall(std::move(call)); }),
      form_(system_, view_),
      cycle_(form_, [this](std::function<void()> call) { PostCall(std::move(call)); }) {}

void MainWindow::PostCall(std::function<void()> call) {
  auto* posted = new std::function<void()>(std::move(call));
  HWND to = post_to_;
  if (!to || !PostMessageW(to, kPostedCall, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
}

void MainWindow::End() {
  if (closing_) return;
  closing_ = true;
  ShowWindow(form_wnd_, SW_HIDE);
  ShowWindow(app_wnd_, SW_HIDE);
  const DWORD began = GetTickCount();
  const bool stopped = cycle_.Stop(kCycleWait);
  // After the cycle's last lines, where it stopped.
  Guard([this] { form_.WriteEnd(); });
  const DWORD spent = GetTickCount() - began;
  const bool ended = form_.EndWork(static_cast<int>(spent < kEndWait ? kEndWait - spent : 0));
  // A thread still in a call that does not return (a server that does not
  // answer) is not waited for: the process ends without it.
  if (!stopped || !ended) ExitProcess(0);
  Guard([this] { form_.FormClose(); });
  DestroyWindow(form_wnd_);
}

void MainWindow::MakeTaskbar() {
  if (taskbar_) taskbar_->Release();
  taskbar_ = nullptr;
  ITaskbarList3* made = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                              reinterpret_cast<void**>(&made)))) {
    return;
  }
  if (SUCCEEDED(made->HrInit())) {
    taskbar_ = made;
  } else {
    made->Release();
  }
}

MainWindow::~MainWindow() {
  if (taskbar_) taskbar_->Release();
  // A window left by a failed start must no longer reach this object.
  if (IsWindow(app_wnd_)) SetWindowLongPtrW(app_wnd_, GWLP_USERDATA, 0);
  for (HBITMAP b : {logo_, network_, failed_, folder_}) {
    if (b) DeleteObject(b);
  }
  DeleteObject(face_brush_);
}

template <typename F>
void MainWindow::Guard(F&& handler) {
  try {
    handler();
  } catch (...) {
    ShowError(ErrorText(std::current_exception()));
  }
}

bool MainWindow::Create() {
  WNDCLASSW wc{};
  wc.hInstance = instance_;
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_FERROLINK));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpfnWndProc = AppProc;
  wc.lpszClassName = kAppClass;
  if (!RegisterClassW(&wc)) return false;
  wc.lpfnWndProc = FormProc;
  wc.lpszClassName = kFormClass;
  if (!RegisterClassW(&wc)) return false;
  if (!RegisterSpeedButton(instance_)) return false;
  // Sent when the task bar has made the program's button, again after
  // Explorer restarts.
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarButtonCreated");

  logo_ = LoadBitmapW(instance_, MAKEINTRESOURCEW(IDB_LOGO));
  network_ = LoadBitmapW(instance_, MAKEINTRESOURCEW(IDB_NETWORK));
  failed_ = LoadBitmapW(instance_, MAKEINTRESOURCEW(IDB_FAILED));
  folder_ = LoadBitmapW(instance_, MAKEINTRESOURCEW(IDB_FOLDER));

  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  // The application window: never seen itself, its caption is the text of
  // the program's task-bar entry; it owns the main window.
  app_wnd_ = CreateWindowExW(WS_EX_APPWINDOW, kAppClass, Wide(kAppTitle).c_str(),
                             WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS, sw / 2,
                             sh / 2, 0, 0, nullptr, nullptr, instance_, this);
  if (!app_wnd_) return false;

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const DWORD exstyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, style, FALSE, exstyle);
  const int w = r.right - r.left, h = r.bottom - r.top;
  form_wnd_ = CreateWindowExW(exstyle, kFormClass, Wide(kCaptionStart).c_str(), style, (sw - w) / 2,
                              (sh - h) / 2, w, h, app_wnd_, nullptr, instance_, this);
  if (!form_wnd_) return false;
  post_to_ = form_wnd_;
  SendMessageW(form_wnd_, WM_SETFONT, reinterpret_cast<WPARAM>(system_.Font()), FALSE);
  CreateControls();
  SendMessageW(controls_[IDC_SPEEDBUTTONDIR], BM_SETIMAGE, IMAGE_BITMAP,
               reinterpret_cast<LPARAM>(folder_));

  form_.StartWork();
  Guard([this] { form_.FormCreate(); });
  // The task-bar button's progress bar, made before the first cycle: its
  // first making takes long (1.6 s under Wine), on the calling thread.
  MakeTaskbar();
  // The first tick comes only after the start-up is complete.
  view_.SetTimerEnabled(true);
  ShowWindow(app_wnd_, SW_SHOWNOACTIVATE);
  ShowWindow(form_wnd_, SW_SHOW);
  UpdateWindow(form_wnd_);
  Guard([this] { form_.FormShow(); });
  return true;
}

void MainWindow::CreateControls() {
  const auto font_of = [this](ControlFont font) -> HFONT {
    switch (font) {
      case ControlFont::Form:
        return system_.Font();
    }
    return nullptr;
  };
  for (const ControlDef& def : kControls) {
    HWND parent = def.parent ? controls_[def.parent] : form_wnd_;
    HFONT font = font_of(def.font);
    int w = def.w, h = def.h;
    if (w == 0) {  // a label as large as its text, measured in the form's font
      w = system_.names.TextWidth(Narrow(def.text));
      h = 13;
    }
    HWND hwnd =
        CreateWindowExW(def.exstyle, def.cls, def.text, def.style, def.x, def.y, w, h, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(def.id)), instance_, nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    controls_[def.id] = hwnd;
    if (def.exstyle & WS_EX_CONTROLPARENT) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      group_default_proc_ = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GroupProc)));
    }
  }
}

int MainWindow::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (form_wnd_ && IsDialogMessageW(form_wnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

HWND MainWindow::Item(Control control) {
  return controls_[ControlId(control)];
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
      const bool checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
      Guard([this, checked] { form_.SetDeleteChecked(checked); });
      break;
    }
    default:
      break;
  }
}

LRESULT CALLBACK MainWindow::AppProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  BindOnCreate(hwnd, msg, lp);
  MainWindow* self = BoundTo(hwnd);
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  return self->OnAppMessage(hwnd, msg, wp, lp);
}

LRESULT MainWindow::OnAppMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  // A new task bar knows nothing of the old one's objects.
  if (msg == taskbar_created_ && msg != 0) {
    MakeTaskbar();
    return 0;
  }
  switch (msg) {
    case WM_SIZE:
      if (wp == SIZE_RESTORED) RestoreFromTaskBar();
      break;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_RESTORE) {
        ShowWindow(hwnd, SW_RESTORE);
        RestoreFromTaskBar();
        return 0;
      }
      break;
    case WM_CLOSE:
      if (form_wnd_) PostMessageW(form_wnd_, WM_CLOSE, 0, 0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK MainWindow::FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  BindOnCreate(hwnd, msg, lp);
  MainWindow* self = BoundTo(hwnd);
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  return self->OnFormMessage(hwnd, msg, wp, lp);
}

LRESULT MainWindow::OnFormMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_TIMER:
      if (wp == IDT_TIMERFIND) Guard([this] { cycle_.Tick(); });
      return 0;
    case kPostedCall: {
      std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lp));
      Guard([&call] { (*call)(); });
      return 0;
    }
    case WM_QUERYENDSESSION:
      return TRUE;  // whatever runs: the end below keeps the data whole
    case WM_ENDSESSION:
      // At a log-off Windows ends the process soon after this returns, so
      // everything that must be written is written before. An installer's
      // close (ENDSESSION_CLOSEAPP) ends nothing: the program ends itself,
      // the same way, and Windows starts it again after the update.
      if (wp) End();
      return 0;
    case WM_DRAWITEM:
      DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_CTLCOLORSTATIC:
      return ColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
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
      End();
      return 0;
    case WM_DESTROY:
      OnDestroy(hwnd);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void MainWindow::OnDestroy(HWND hwnd) {
  post_to_ = nullptr;
  // Calls posted but not yet run are dropped with their messages.
  MSG left;
  while (PeekMessageW(&left, hwnd, kPostedCall, kPostedCall, PM_REMOVE)) {
    delete reinterpret_cast<std::function<void()>*>(left.lParam);
  }
  form_wnd_ = nullptr;
  DestroyWindow(app_wnd_);
  PostQuitMessage(0);
}

LRESULT CALLBACK MainWindow::GroupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return BoundTo(hwnd)->OnGroupMessage(hwnd, msg, wp, lp);
}

LRESULT MainWindow::OnGroupMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return OnFormMessage(form_wnd_, msg, wp, lp);
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT && CursorBusyOver(reinterpret_cast<HWND>(wp))) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, face_brush_);
      return TRUE;
    }
    default:
      break;
  }
  return CallWindowProcW(group_default_proc_, hwnd, msg, wp, lp);
}

}  // namespace ferrolink
