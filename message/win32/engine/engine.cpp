// The engine over user32, gdi32 and comctl32. Each panel is a top-level
// window of the class "EnginePanel"; each control is one child window (a
// slide has a second one, its label). Panels and controls are kept in maps
// by handle; a control callback may discard its own panel, so no panel or
// control pointer is used after a callback returns.
#include "engine.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kPanelClass = "EnginePanel";
constexpr int kFrameWidth = 2;  // of ATTR_FRAME_COLOR frames, outside the control

struct Ctrl {
  int handle = 0;
  int style = 0;
  HWND hwnd = nullptr;
  HWND label_hwnd = nullptr;  // slides only
  std::string label;
  std::string constant_name;
  // Design geometry in panel client coordinates; shown scaled with the panel.
  int top = 0, left = 0, height = 0, width = 0;
  int label_top = 0, label_left = 0;
  bool visible = true, dimmed = false;
  int mode = VAL_HOT;
  CtrlCallbackPtr callback = nullptr;
  int button_color = 0xC0C0C0;
  int shortcut = 0;
  int label_color = 0x000000, label_bg = -1;  // -1: the panel's background
  std::string font = VAL_DIALOG_FONT;
  int point_size = 13;
  int text_color = 0x000000, text_bg = -1;
  int frame_color = -1;  // -1: no frame
  int scroll_bars = VAL_NO_SCROLL_BARS;
  double min = 0, max = 100, incr = 1, dflt = 0, value = 0;
  std::string dflt_text;
  int data_type = VAL_DOUBLE;
  HBITMAP bitmap = nullptr;  // pictures: the control's own copy
};

struct Panel {
  int handle = 0;
  HWND hwnd = nullptr;
  std::string constant_name;
  int top = 0, left = 0, height = 0, width = 0;
  int design_height = 0, design_width = 0;  // the size the controls were placed for
  int back_color = 0xC0C0C0;
  int close_ctrl = 0;
  bool sizable = true, can_maximize = true, displayed = false;
  std::map<int, std::unique_ptr<Ctrl>> ctrls;
  std::vector<int> z_order;    // front to back
  std::vector<int> tab_order;  // first to last
  int next_ctrl = 2;
};

struct Engine {
  bool initialised = false;
  std::map<int, std::unique_ptr<Panel>> panels;
  int next_panel = 1;
  std::map<int, HBITMAP> bitmaps;
  int next_bitmap = 1;
  std::vector<HMONITOR> monitors;
  std::map<std::pair<std::string, int>, HFONT> fonts;
  std::map<int, HBRUSH> brushes;
  HANDLE instance_mutex = nullptr;
  bool quit = false;
  int quit_code = 0;
  HCURSOR cursor = nullptr;  // nullptr: the normal cursor
};

Engine& E() {
  static Engine engine;
  return engine;
}

COLORREF Rgb(int c) {
  return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

HBRUSH Brush(int color) {
  auto& b = E().brushes[color];
  if (!b) b = CreateSolidBrush(Rgb(color));
  return b;
}

std::string DialogFace() {
  NONCLIENTMETRICSA m{};
  m.cbSize = sizeof m;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0))
    return m.lfMessageFont.lfFaceName;
  return "MS Shell Dlg";
}

// Pitch and family of the faces the program asks for, so that the font
// mapper picks a like face where one is not installed.
BYTE PitchAndFamily(const std::string& face) {
  if (face == "Courier New" || face == "Courier") return FIXED_PITCH | FF_MODERN;
  if (face == "Arial") return VARIABLE_PITCH | FF_SWISS;
  return DEFAULT_PITCH | FF_DONTCARE;
}

// A font whose character cell is `height` pixels high.
HFONT Font(const std::string& face, int height) {
  auto& f = E().fonts[{face, height}];
  if (!f) {
    const std::string real = face == VAL_DIALOG_FONT ? DialogFace() : face;
    f = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, PitchAndFamily(real),
                    real.c_str());
  }
  return f;
}

Panel* FindPanel(int handle) {
  const auto it = E().panels.find(handle);
  return it == E().panels.end() ? nullptr : it->second.get();
}

Panel* PanelOfWindow(HWND hwnd) {
  for (auto& [h, p] : E().panels) {
    if (p->hwnd == hwnd) return p.get();
  }
  return nullptr;
}

Ctrl* FindCtrl(Panel* p, int handle) {
  const auto it = p->ctrls.find(handle);
  return it == p->ctrls.end() ? nullptr : it->second.get();
}

Ctrl* CtrlOfWindow(Panel* p, HWND hwnd) {
  for (auto& [h, c] : p->ctrls) {
    if (c->hwnd == hwnd || (c->label_hwnd && c->label_hwnd == hwnd)) return c.get();
  }
  return nullptr;
}

bool IsButton(const Ctrl& c) {
  return c.style == CTRL_SQUARE_COMMAND_BUTTON || c.style == CTRL_ROUNDED_COMMAND_BUTTON;
}

// ---- geometry --------------------------------------------------------------------

double ScaleY(const Panel& p) {
  return p.design_height > 0 ? static_cast<double>(p.height) / p.design_height : 1.0;
}
double ScaleX(const Panel& p) {
  return p.design_width > 0 ? static_cast<double>(p.width) / p.design_width : 1.0;
}

RECT CtrlRect(const Panel& p, const Ctrl& c) {
  const double sy = ScaleY(p), sx = ScaleX(p);
  RECT r;
  r.left = std::lround(c.left * sx);
  r.top = std::lround(c.top * sy);
  r.right = r.left + std::lround(c.width * sx);
  r.bottom = r.top + std::lround(c.height * sy);
  return r;
}

SIZE LabelSize(const Panel& p, const Ctrl& c) {
  SIZE s{0, 0};
  HDC dc = GetDC(p.hwnd);
  HGDIOBJ old = SelectObject(dc, Font(VAL_DIALOG_FONT, std::lround(13 * ScaleY(p))));
  GetTextExtentPoint32A(dc, c.label.c_str(), static_cast<int>(c.label.size()), &s);
  SelectObject(dc, old);
  ReleaseDC(p.hwnd, dc);
  return s;
}

void PlaceCtrl(Panel& p, Ctrl& c) {
  const RECT r = CtrlRect(p, c);
  const double sy = ScaleY(p);
  MoveWindow(c.hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  SendMessageA(c.hwnd, WM_SETFONT,
               reinterpret_cast<WPARAM>(Font(c.font, std::lround(c.point_size * sy))), TRUE);
  if (c.label_hwnd) {
    const SIZE s = LabelSize(p, c);
    MoveWindow(c.label_hwnd, std::lround(c.label_left * ScaleX(p)), std::lround(c.label_top * sy),
               s.cx, s.cy, TRUE);
    SendMessageA(c.label_hwnd, WM_SETFONT,
                 reinterpret_cast<WPARAM>(Font(VAL_DIALOG_FONT, std::lround(13 * sy))), TRUE);
  }
  InvalidateRect(p.hwnd, nullptr, TRUE);
}

DWORD PanelStyle(const Panel& p) {
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  if (p.sizable) style |= WS_THICKFRAME;
  if (p.can_maximize) style |= WS_MAXIMIZEBOX;
  return style;
}

// Moves and sizes the window so that its client area has the panel's
// geometry; VAL_AUTO_CENTER centres it on its screen's work area.
void PlacePanel(Panel& p) {
  RECT frame{0, 0, p.width, p.height};
  AdjustWindowRectEx(&frame, PanelStyle(p), FALSE, 0);
  const int outer_w = frame.right - frame.left, outer_h = frame.bottom - frame.top;
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoA(MonitorFromWindow(p.hwnd, MONITOR_DEFAULTTONEAREST), &mi);
  const RECT& work = mi.rcWork;
  int x = p.left + frame.left, y = p.top + frame.top;
  if (p.left == VAL_AUTO_CENTER) x = work.left + (work.right - work.left - outer_w) / 2;
  if (p.top == VAL_AUTO_CENTER) y = work.top + (work.bottom - work.top - outer_h) / 2;
  SetWindowPos(p.hwnd, nullptr, x, y, outer_w, outer_h, SWP_NOZORDER | SWP_NOACTIVATE);
  for (auto& [h, c] : p.ctrls) PlaceCtrl(p, *c);
}

void ApplyZOrder(Panel& p) {
  HWND after = HWND_TOP;
  for (int h : p.z_order) {
    Ctrl* c = FindCtrl(&p, h);
    SetWindowPos(c->hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = c->hwnd;
    if (c->label_hwnd) {
      SetWindowPos(c->label_hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      after = c->label_hwnd;
    }
  }
}

void MoveInList(std::vector<int>& list, int handle, int position) {
  list.erase(std::remove(list.begin(), list.end(), handle), list.end());
  position = std::clamp(position, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + position, handle);
}

void InvalidateAround(Panel& p, Ctrl& c) {
  RECT r = CtrlRect(p, c);
  InflateRect(&r, kFrameWidth, kFrameWidth);
  InvalidateRect(p.hwnd, &r, TRUE);
}

void ShowCtrl(Panel& p, Ctrl& c) {
  ShowWindow(c.hwnd, c.visible ? SW_SHOWNA : SW_HIDE);
  if (c.label_hwnd) ShowWindow(c.label_hwnd, c.visible ? SW_SHOWNA : SW_HIDE);
  InvalidateAround(p, c);
}

bool TakesInput(const Ctrl& c) {
  return (c.mode == VAL_HOT || c.style == CTRL_TEXT_BOX) && c.visible && !c.dimmed;
}

// ---- text box ----------------------------------------------------------------------

// Text boxes hold line feeds; the edit control needs CR LF.
std::string ToEditText(const char* text) {
  std::string out;
  for (const char* s = text; *s; ++s) {
    if (*s == '\n' && (s == text || s[-1] != '\r')) out += '\r';
    out += *s;
  }
  return out;
}

// ---- creating control windows --------------------------------------------------------

HWND CreateCtrlWindow(Panel& p, Ctrl& c) {
  const char* cls = "STATIC";
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  const char* text = "";
  switch (c.style) {
    case CTRL_SQUARE_COMMAND_BUTTON:
    case CTRL_ROUNDED_COMMAND_BUTTON:
      cls = "BUTTON";
      style |= BS_OWNERDRAW | WS_TABSTOP;
      text = c.label.c_str();
      break;
    case CTRL_NUMERIC_HSLIDE:
      cls = PROGRESS_CLASSA;
      style |= PBS_SMOOTH;
      break;
    case CTRL_TEXT_MSG:
      style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;
      break;
    case CTRL_TEXT_BOX:
      cls = "EDIT";
      style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_TABSTOP;
      if (c.scroll_bars & VAL_VERT_SCROLL_BAR) style |= WS_VSCROLL;
      if (c.scroll_bars & VAL_HORIZ_SCROLL_BAR) style |= WS_HSCROLL;
      break;
    case CTRL_PICTURE:
      style |= SS_OWNERDRAW;
      break;
  }
  if (c.visible) style |= WS_VISIBLE;
  HWND hwnd = CreateWindowExA(0, cls, text, style, 0, 0, 0, 0, p.hwnd,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.handle)),
                              GetModuleHandleA(nullptr), nullptr);
  if (hwnd && c.style == CTRL_TEXT_BOX) SendMessageA(hwnd, EM_SETLIMITTEXT, 0, 0);
  if (hwnd && c.style == CTRL_NUMERIC_HSLIDE) {
    SendMessageA(hwnd, PBM_SETRANGE32, std::lround(c.min), std::lround(c.max));
    SendMessageA(hwnd, PBM_SETPOS, std::lround(c.value), 0);
  }
  if (hwnd && c.dimmed) EnableWindow(hwnd, FALSE);
  return hwnd;
}

// ---- drawing -------------------------------------------------------------------------

void DrawButton(const Ctrl& c, int back_color, const DRAWITEMSTRUCT& d) {
  RECT r = d.rcItem;
  const bool pressed = d.itemState & ODS_SELECTED;
  HDC dc = d.hDC;
  if (c.style == CTRL_ROUNDED_COMMAND_BUTTON) {
    FillRect(dc, &r, Brush(back_color));
    HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ brush = SelectObject(dc, Brush(c.button_color));
    RoundRect(dc, r.left, r.top, r.right, r.bottom, 10, 10);
    SelectObject(dc, pen);
    SelectObject(dc, brush);
  } else {
    FillRect(dc, &r, Brush(c.button_color));
    DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  }
  if (pressed) OffsetRect(&r, 1, 1);
  char text[256];
  GetWindowTextA(d.hwndItem, text, sizeof text);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, (d.itemState & ODS_DISABLED) ? RGB(0x80, 0x80, 0x80) : Rgb(c.text_color));
  DrawTextA(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (d.itemState & ODS_FOCUS) {
    InflateRect(&r, -4, -4);
    DrawFocusRect(dc, &r);
  }
}

void DrawPicture(const Ctrl& c, const DRAWITEMSTRUCT& d) {
  if (!c.bitmap) return;
  BITMAP bm{};
  GetObjectA(c.bitmap, sizeof bm, &bm);
  HDC mem = CreateCompatibleDC(d.hDC);
  HGDIOBJ old = SelectObject(mem, c.bitmap);
  SetStretchBltMode(d.hDC, COLORONCOLOR);
  StretchBlt(d.hDC, d.rcItem.left, d.rcItem.top, d.rcItem.right - d.rcItem.left,
             d.rcItem.bottom - d.rcItem.top, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

void PaintPanel(Panel& p) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(p.hwnd, &ps);
  for (auto& [h, c] : p.ctrls) {
    if (c->frame_color < 0 || !c->visible) continue;
    RECT r = CtrlRect(p, *c);
    for (int i = 0; i < kFrameWidth; ++i) {
      InflateRect(&r, 1, 1);
      FrameRect(dc, &r, Brush(c->frame_color));
    }
  }
  EndPaint(p.hwnd, &ps);
}

// ---- events --------------------------------------------------------------------------

// Calls the control's callback with the commit event; nothing when the
// control has none, is hidden or is dimmed.
void Commit(int panel, int control) {
  Panel* p = FindPanel(panel);
  Ctrl* c = p ? FindCtrl(p, control) : nullptr;
  if (!c || !c->callback || !c->visible || c->dimmed) return;
  c->callback(panel, control, EVENT_COMMIT, nullptr, 0, 0);
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Panel* p = PanelOfWindow(hwnd);
  if (!p) return DefWindowProcA(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, Brush(p->back_color));
      return 1;
    }
    case WM_PAINT:
      PaintPanel(*p);
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      Ctrl* c = CtrlOfWindow(p, reinterpret_cast<HWND>(lp));
      if (!c) break;
      HDC dc = reinterpret_cast<HDC>(wp);
      const bool label = c->label_hwnd == reinterpret_cast<HWND>(lp);
      int bg = label ? c->label_bg : c->text_bg;
      if (bg < 0) bg = c->style == CTRL_TEXT_BOX && !label ? 0xFFFFFF : p->back_color;
      SetTextColor(dc, Rgb(label ? c->label_color : c->text_color));
      SetBkColor(dc, Rgb(bg));
      return reinterpret_cast<LRESULT>(Brush(bg));
    }
    case WM_DRAWITEM: {
      const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      Ctrl* c = CtrlOfWindow(p, d->hwndItem);
      if (!c) break;
      if (IsButton(*c)) DrawButton(*c, p->back_color, *d);
      if (c->style == CTRL_PICTURE) DrawPicture(*c, *d);
      return TRUE;
    }
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED && lp) {
        Ctrl* c = CtrlOfWindow(p, reinterpret_cast<HWND>(lp));
        if (c && IsButton(*c)) Commit(p->handle, c->handle);
        return 0;
      }
      break;
    case WM_CLOSE:
      // The close box commits the close control; without one it does nothing.
      if (p->close_ctrl) Commit(p->handle, p->close_ctrl);
      return 0;
    case WM_SETCURSOR:
      if (E().cursor) {
        SetCursor(E().cursor);
        return TRUE;
      }
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// Shortcut keys and the tab order; true when the message was used.
bool HandleKey(const MSG& m) {
  if (m.message != WM_KEYDOWN) return false;
  Panel* p = PanelOfWindow(GetAncestor(m.hwnd, GA_ROOT));
  if (!p) return false;
  if (m.wParam == VK_TAB) {
    std::vector<int> order;
    for (int h : p->tab_order) {
      if (TakesInput(*FindCtrl(p, h))) order.push_back(h);
    }
    if (order.empty()) return true;
    Ctrl* focused = CtrlOfWindow(p, GetFocus());
    auto at = focused ? std::find(order.begin(), order.end(), focused->handle) : order.end();
    const bool back = GetKeyState(VK_SHIFT) < 0;
    int index = 0;
    if (at != order.end()) {
      const int n = static_cast<int>(order.size());
      index = (static_cast<int>(at - order.begin()) + (back ? n - 1 : 1)) % n;
    }
    SetFocus(FindCtrl(p, order[index])->hwnd);
    return true;
  }
  for (auto& [h, c] : p->ctrls) {
    if (c->shortcut && static_cast<WPARAM>(c->shortcut) == m.wParam && c->visible && !c->dimmed) {
      Commit(p->handle, h);
      return true;
    }
  }
  return false;
}

void Pump(MSG& m) {
  if (HandleKey(m)) return;
  TranslateMessage(&m);
  DispatchMessageA(&m);
}

HWND OwnerWindow() {
  HWND active = GetActiveWindow();
  return PanelOfWindow(active) ? active : nullptr;
}

// ---- attribute helpers ---------------------------------------------------------------

struct Target {
  Panel* panel = nullptr;
  Ctrl* ctrl = nullptr;
  int error = 0;
};

Target Find(int panel, int control) {
  Target t;
  if (!E().initialised) return {nullptr, nullptr, ENGINE_ERR_NOT_INITIALISED};
  t.panel = FindPanel(panel);
  if (!t.panel) return {nullptr, nullptr, ENGINE_ERR_PANEL};
  t.ctrl = FindCtrl(t.panel, control);
  if (!t.ctrl) return {nullptr, nullptr, ENGINE_ERR_CTRL};
  return t;
}

bool IsColor(int v) {
  return v >= 0 && v <= 0xFFFFFF;
}

int SetSlideValue(Ctrl& c, double v) {
  if (v < c.min || v > c.max) return ENGINE_ERR_VALUE;
  c.value = v;
  SendMessageA(c.hwnd, PBM_SETPOS, std::lround(v), 0);
  return 0;
}

}  // namespace

// ---- start-up, process -------------------------------------------------------------------

int InitEngine(int, char**) {
  if (E().initialised) return 0;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  if (!InitCommonControlsEx(&icc)) return ENGINE_ERR_SYSTEM;
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = PanelProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
  wc.lpszClassName = kPanelClass;
  if (!RegisterClassA(&wc)) return ENGINE_ERR_SYSTEM;
  E().initialised = true;
  return 0;
}

void CVI_Beep() {
  MessageBeep(MB_OK);
}

int CheckForDuplicateAppInstance(int activateOther, int* isDuplicate) {
  if (activateOther != 0 || !isDuplicate) return ENGINE_ERR_VALUE;
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return ENGINE_ERR_PATH;
  // A mutex name may not hold backslashes; case does not tell paths apart.
  std::string name = "EngineInstance:";
  for (DWORD i = 0; i < n; ++i) {
    const auto ch = static_cast<unsigned char>(path[i]);
    name += ch == '\\' ? '/' : static_cast<char>(std::toupper(ch));
  }
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
  if (!mutex) return ENGINE_ERR_SYSTEM;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    *isDuplicate = 1;
    return 0;
  }
  // Held for the rest of the process: that is what later starts see.
  if (!E().instance_mutex) E().instance_mutex = mutex;
  *isDuplicate = 0;
  return 0;
}

int GetModuleDir(void* module, char* dir, int dirSize) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(static_cast<HMODULE>(module), path, sizeof path);
  if (n == 0) return ENGINE_ERR_SYSTEM;
  if (n >= sizeof path) return ENGINE_ERR_PATH;
  const std::string full(path, n);
  const std::size_t slash = full.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string() : full.substr(0, slash);
  if (!dir || static_cast<int>(folder.size()) >= dirSize) return ENGINE_ERR_PATH;
  folder.copy(dir, folder.size());
  dir[folder.size()] = '\0';
  return 0;
}

int CVI_GetFileSize(const char* path, std::int64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!size || !GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return ENGINE_ERR_FILE;
  }
  *size = (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return 0;
}

// ---- panels ------------------------------------------------------------------------------

int NewPanel(int parent, const char* title, int top, int left, int height, int width) {
  if (!E().initialised) return ENGINE_ERR_NOT_INITIALISED;
  Panel* parent_panel = nullptr;
  if (parent != 0 && !(parent_panel = FindPanel(parent))) return ENGINE_ERR_PANEL;
  if (height <= 0 || width <= 0) return ENGINE_ERR_VALUE;
  auto p = std::make_unique<Panel>();
  p->handle = E().next_panel++;
  p->top = top;
  p->left = left;
  p->height = p->design_height = height;
  p->width = p->design_width = width;
  DWORD style = PanelStyle(*p);
  if (parent_panel) style = (style & ~WS_OVERLAPPED) | WS_CHILD;
  p->hwnd = CreateWindowExA(0, kPanelClass, title ? title : "", style, 0, 0, width, height,
                            parent_panel ? parent_panel->hwnd : nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  if (!p->hwnd) return ENGINE_ERR_SYSTEM;
  Panel& ref = *p;
  E().panels[p->handle] = std::move(p);
  PlacePanel(ref);
  return ref.handle;
}

int SetPanelAttribute(int panel, int attribute, int value) {
  if (!E().initialised) return ENGINE_ERR_NOT_INITIALISED;
  Panel* p = FindPanel(panel);
  if (!p) return ENGINE_ERR_PANEL;
  switch (attribute) {
    case ATTR_TOP:
      p->top = value;
      break;
    case ATTR_LEFT:
      p->left = value;
      break;
    case ATTR_HEIGHT:
      if (value <= 0) return ENGINE_ERR_VALUE;
      p->height = value;
      break;
    case ATTR_WIDTH:
      if (value <= 0) return ENGINE_ERR_VALUE;
      p->width = value;
      break;
    case ATTR_BACKCOLOR:
      if (!IsColor(value)) return ENGINE_ERR_VALUE;
      p->back_color = value;
      InvalidateRect(p->hwnd, nullptr, TRUE);
      return 0;
    case ATTR_CLOSE_CTRL:
      if (value != 0 && !FindCtrl(p, value)) return ENGINE_ERR_CTRL;
      p->close_ctrl = value;
      return 0;
    case ATTR_SIZABLE:
    case ATTR_CAN_MAXIMIZE:
      (attribute == ATTR_SIZABLE ? p->sizable : p->can_maximize) = value != 0;
      SetWindowLongA(p->hwnd, GWL_STYLE,
                     (GetWindowLongA(p->hwnd, GWL_STYLE) & WS_VISIBLE) | PanelStyle(*p));
      SetWindowPos(p->hwnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
      break;
    case ATTR_VISIBLE:
      if (value) return DisplayPanel(panel);
      ShowWindow(p->hwnd, SW_HIDE);
      p->displayed = false;
      return 0;
    default:
      return ENGINE_ERR_ATTRIBUTE;
  }
  PlacePanel(*p);
  return 0;
}

int SetPanelAttribute(int panel, int attribute, const char* value) {
  if (!E().initialised) return ENGINE_ERR_NOT_INITIALISED;
  Panel* p = FindPanel(panel);
  if (!p) return ENGINE_ERR_PANEL;
  if (!value) return ENGINE_ERR_VALUE;
  switch (attribute) {
    case ATTR_TITLE:
      return SetWindowTextA(p->hwnd, value) ? 0 : ENGINE_ERR_SYSTEM;
    case ATTR_CONSTANT_NAME:
      p->constant_name = value;
      return 0;
    default:
      return ENGINE_ERR_ATTRIBUTE;
  }
}

int GetPanelAttribute(int panel, int attribute, int* value) {
  if (!E().initialised) return ENGINE_ERR_NOT_INITIALISED;
  Panel* p = FindPanel(panel);
  if (!p) return ENGINE_ERR_PANEL;
  if (!value) return ENGINE_ERR_VALUE;
  switch (attribute) {
    case ATTR_TOP:
      *value = p->top;
      return 0;
    case ATTR_LEFT:
      *value = p->left;
      return 0;
    case ATTR_HEIGHT:
      *value = p->height;
      return 0;
    case ATTR_WIDTH:
      *value = p->width;
      return 0;
    case ATTR_VISIBLE:
      *value = p->displayed ? 1 : 0;
      return 0;
    default:
      return ENGINE_ERR_ATTRIBUTE;
  }
}

int DisplayPanel(int panel) {
  if (!E().initialised) return ENGINE_ERR_NOT_INITIALISED;
  Panel* p = FindPanel(panel);
  if (!p) return ENGINE_ERR_PANEL;
  ShowWindow(p->hwnd, SW_SHOW);
  SetForegroundWindow(p->hwnd);
  p->displayed = true;
  for (int h : p->tab_order) {
    Ctrl* c = FindCtrl(p, h);
    if (TakesInput(*c)) {
      SetFocus(c->hwnd);
      break;
    }
  }
  UpdateWindow(p->hwnd);
  return 0;
}

int DiscardPanel(int panel) {
  if (!E().initialised) return ENGINE_ERR_NOT_INITIALISED;
  const auto it = E().panels.find(panel);
  if (it == E().panels.end()) return ENGINE_ERR_PANEL;
  std::unique_ptr<Panel> p = std::move(it->second);
  E().panels.erase(it);
  // Child panels go with their parent's window: forget them too.
  for (auto child = E().panels.begin(); child != E().panels.end();) {
    if (GetParent(child->second->hwnd) == p->hwnd) {
      child = E().panels.erase(child);
    } else {
      ++child;
    }
  }
  DestroyWindow(p->hwnd);
  for (auto& [h, c] : p->ctrls) {
    if (c->bitmap) DeleteObject(c->bitmap);
  }
  return 0;
}

// ---- controls ----------------------------------------------------------------------------

int NewCtrl(int panel, int style, const char* label, int top, int left) {
  if (!E().initialised) return ENGINE_ERR_NOT_INITIALISED;
  Panel* p = FindPanel(panel);
  if (!p) return ENGINE_ERR_PANEL;
  auto c = std::make_unique<Ctrl>();
  c->style = style;
  c->label = label ? label : "";
  c->top = top;
  c->left = left;
  switch (style) {
    case CTRL_SQUARE_COMMAND_BUTTON:
    case CTRL_ROUNDED_COMMAND_BUTTON:
      c->height = 25;
      c->width = 100;
      break;
    case CTRL_NUMERIC_HSLIDE:
      c->height = 18;
      c->width = 150;
      c->mode = VAL_INDICATOR;
      break;
    case CTRL_TEXT_MSG:
      c->height = 16;
      c->width = 100;
      c->mode = VAL_INDICATOR;
      break;
    case CTRL_TEXT_BOX:
      c->height = 100;
      c->width = 200;
      c->text_bg = 0xFFFFFF;
      break;
    case CTRL_PICTURE:
      c->height = 50;
      c->width = 50;
      c->mode = VAL_INDICATOR;
      break;
    default:
      return ENGINE_ERR_STYLE;
  }
  c->handle = p->next_ctrl++;
  c->label_left = left - 60;
  c->label_top = top;
  c->hwnd = CreateCtrlWindow(*p, *c);
  if (!c->hwnd) return ENGINE_ERR_SYSTEM;
  if (style == CTRL_NUMERIC_HSLIDE) {
    c->label_hwnd =
        CreateWindowExA(0, "STATIC", c->label.c_str(),
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
                        p->hwnd, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!c->label_hwnd) {
      DestroyWindow(c->hwnd);
      return ENGINE_ERR_SYSTEM;
    }
  }
  const int handle = c->handle;
  Ctrl& ref = *c;
  p->ctrls[handle] = std::move(c);
  p->z_order.insert(p->z_order.begin(), handle);
  p->tab_order.push_back(handle);
  PlaceCtrl(*p, ref);
  ApplyZOrder(*p);
  return handle;
}

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
  Target t = Find(panel, control);
  if (t.error) return t.error;
  Panel& p = *t.panel;
  Ctrl& c = *t.ctrl;
  const bool slide = c.style == CTRL_NUMERIC_HSLIDE;
  switch (attribute) {
    case ATTR_TOP:
    case ATTR_LEFT:
      (attribute == ATTR_TOP ? c.top : c.left) = value;
      break;
    case ATTR_HEIGHT:
    case ATTR_WIDTH:
      if (value < 0) return ENGINE_ERR_VALUE;
      (attribute == ATTR_HEIGHT ? c.height : c.width) = value;
      break;
    case ATTR_LABEL_TOP:
    case ATTR_LABEL_LEFT:
      if (!slide) return ENGINE_ERR_ATTRIBUTE;
      (attribute == ATTR_LABEL_TOP ? c.label_top : c.label_left) = value;
      break;
    case ATTR_TEXT_POINT_SIZE:
      if (value <= 0 || value > 500) return ENGINE_ERR_VALUE;
      c.point_size = value;
      break;
    case ATTR_VISIBLE:
      c.visible = value != 0;
      ShowCtrl(p, c);
      return 0;
    case ATTR_DIMMED:
      c.dimmed = value != 0;
      EnableWindow(c.hwnd, !c.dimmed);
      if (c.label_hwnd) EnableWindow(c.label_hwnd, !c.dimmed);
      return 0;
    case ATTR_CTRL_MODE:
      if (value != VAL_HOT && value != VAL_INDICATOR) return ENGINE_ERR_VALUE;
      c.mode = value;
      return 0;
    case ATTR_SHORTCUT_KEY:
      if (value != 0 && value != VAL_ESC_KEY) return ENGINE_ERR_VALUE;
      c.shortcut = value;
      return 0;
    case ATTR_CMD_BUTTON_COLOR:
    case ATTR_LABEL_COLOR:
    case ATTR_LABEL_BGCOLOR:
    case ATTR_TEXT_COLOR:
    case ATTR_TEXT_BGCOLOR:
    case ATTR_FRAME_COLOR:
      if (!IsColor(value)) return ENGINE_ERR_VALUE;
      if (attribute == ATTR_CMD_BUTTON_COLOR && !IsButton(c)) return ENGINE_ERR_ATTRIBUTE;
      if ((attribute == ATTR_LABEL_COLOR || attribute == ATTR_LABEL_BGCOLOR) && !slide) {
        return ENGINE_ERR_ATTRIBUTE;
      }
      switch (attribute) {
        case ATTR_CMD_BUTTON_COLOR:
          c.button_color = value;
          break;
        case ATTR_LABEL_COLOR:
          c.label_color = value;
          break;
        case ATTR_LABEL_BGCOLOR:
          c.label_bg = value;
          break;
        case ATTR_TEXT_COLOR:
          c.text_color = value;
          break;
        case ATTR_TEXT_BGCOLOR:
          c.text_bg = value;
          break;
        default:
          c.frame_color = value;
          break;
      }
      InvalidateRect(c.hwnd, nullptr, TRUE);
      if (c.label_hwnd) InvalidateRect(c.label_hwnd, nullptr, TRUE);
      InvalidateAround(p, c);
      return 0;
    case ATTR_SCROLL_BARS: {
      if (c.style != CTRL_TEXT_BOX) return ENGINE_ERR_ATTRIBUTE;
      if (value < VAL_NO_SCROLL_BARS || value > VAL_BOTH_SCROLL_BARS) return ENGINE_ERR_VALUE;
      // The edit control takes its scroll bars at creation: make it anew.
      const int length = GetWindowTextLengthA(c.hwnd);
      std::string text(length + 1, '\0');
      GetWindowTextA(c.hwnd, text.data(), length + 1);
      c.scroll_bars = value;
      HWND fresh = CreateCtrlWindow(p, c);
      if (!fresh) return ENGINE_ERR_SYSTEM;
      DestroyWindow(c.hwnd);
      c.hwnd = fresh;
      SetWindowTextA(c.hwnd, text.c_str());
      PlaceCtrl(p, c);
      ApplyZOrder(p);
      return 0;
    }
    case ATTR_DATA_TYPE:
      if (!slide) return ENGINE_ERR_ATTRIBUTE;
      if (value != VAL_DOUBLE) return ENGINE_ERR_VALUE;
      return 0;
    case ATTR_ZPLANE_POSITION:
    case ATTR_CTRL_TAB_POSITION:
      if (value < 0) return ENGINE_ERR_VALUE;
      MoveInList(attribute == ATTR_ZPLANE_POSITION ? p.z_order : p.tab_order, control, value);
      if (attribute == ATTR_ZPLANE_POSITION) ApplyZOrder(p);
      return 0;
    case ATTR_MIN_VALUE:
    case ATTR_MAX_VALUE:
    case ATTR_INCR_VALUE:
    case ATTR_DFLT_VALUE:
      return SetCtrlAttribute(panel, control, attribute, static_cast<double>(value));
    default:
      return ENGINE_ERR_ATTRIBUTE;
  }
  PlaceCtrl(p, c);
  return 0;
}

int SetCtrlAttribute(int panel, int control, int attribute, double value) {
  Target t = Find(panel, control);
  if (t.error) return t.error;
  Ctrl& c = *t.ctrl;
  if (c.style != CTRL_NUMERIC_HSLIDE) return ENGINE_ERR_ATTRIBUTE;
  switch (attribute) {
    case ATTR_MIN_VALUE:
    case ATTR_MAX_VALUE:
      (attribute == ATTR_MIN_VALUE ? c.min : c.max) = value;
      SendMessageA(c.hwnd, PBM_SETRANGE32, std::lround(c.min), std::lround(c.max));
      c.value = std::clamp(c.value, std::min(c.min, c.max), std::max(c.min, c.max));
      c.dflt = std::clamp(c.dflt, std::min(c.min, c.max), std::max(c.min, c.max));
      return 0;
    case ATTR_INCR_VALUE:
      if (value <= 0) return ENGINE_ERR_VALUE;
      c.incr = value;
      return 0;
    case ATTR_DFLT_VALUE:
      if (value < c.min || value > c.max) return ENGINE_ERR_VALUE;
      c.dflt = value;
      return 0;
    default:
      return ENGINE_ERR_ATTRIBUTE;
  }
}

int SetCtrlAttribute(int panel, int control, int attribute, const char* value) {
  Target t = Find(panel, control);
  if (t.error) return t.error;
  if (!value) return ENGINE_ERR_VALUE;
  Panel& p = *t.panel;
  Ctrl& c = *t.ctrl;
  switch (attribute) {
    case ATTR_CONSTANT_NAME:
      c.constant_name = value;
      return 0;
    case ATTR_LABEL_TEXT:
      c.label = value;
      if (c.label_hwnd) {
        SetWindowTextA(c.label_hwnd, value);
        PlaceCtrl(p, c);
      } else if (IsButton(c)) {
        SetWindowTextA(c.hwnd, value);
      }
      return 0;
    case ATTR_TEXT_FONT:
      c.font = value;
      PlaceCtrl(p, c);
      return 0;
    case ATTR_DFLT_VALUE:
      if (c.style != CTRL_TEXT_MSG) return ENGINE_ERR_ATTRIBUTE;
      c.dflt_text = value;
      return 0;
    default:
      return ENGINE_ERR_ATTRIBUTE;
  }
}

int SetCtrlAttribute(int panel, int control, int attribute, CtrlCallbackPtr value) {
  Target t = Find(panel, control);
  if (t.error) return t.error;
  if (attribute != ATTR_CALLBACK_FUNCTION_POINTER) return ENGINE_ERR_ATTRIBUTE;
  t.ctrl->callback = value;
  return 0;
}

int DefaultCtrl(int panel, int control) {
  Target t = Find(panel, control);
  if (t.error) return t.error;
  Ctrl& c = *t.ctrl;
  switch (c.style) {
    case CTRL_NUMERIC_HSLIDE:
      return SetSlideValue(c, c.dflt);
    case CTRL_TEXT_MSG:
      return SetWindowTextA(c.hwnd, c.dflt_text.c_str()) ? 0 : ENGINE_ERR_SYSTEM;
    case CTRL_TEXT_BOX:
      return SetWindowTextA(c.hwnd, "") ? 0 : ENGINE_ERR_SYSTEM;
    default:
      return 0;  // buttons and pictures hold no value
  }
}

int SetCtrlVal(int panel, int control, double value) {
  Target t = Find(panel, control);
  if (t.error) return t.error;
  if (t.ctrl->style != CTRL_NUMERIC_HSLIDE) return ENGINE_ERR_ATTRIBUTE;
  return SetSlideValue(*t.ctrl, value);
}

int SetCtrlVal(int panel, int control, const char* value) {
  Target t = Find(panel, control);
  if (t.error) return t.error;
  if (!value) return ENGINE_ERR_VALUE;
  Ctrl& c = *t.ctrl;
  if (c.style == CTRL_TEXT_MSG) return SetWindowTextA(c.hwnd, value) ? 0 : ENGINE_ERR_SYSTEM;
  if (c.style != CTRL_TEXT_BOX) return ENGINE_ERR_ATTRIBUTE;
  const std::string text = ToEditText(value);
  const int end = GetWindowTextLengthA(c.hwnd);
  SendMessageA(c.hwnd, EM_SETSEL, end, end);
  SendMessageA(c.hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(c.hwnd, EM_SETSEL, 0, 0);
  SendMessageA(c.hwnd, EM_SCROLLCARET, 0, 0);
  return 0;
}

int ResetTextBox(int panel, int control, const char* text) {
  Target t = Find(panel, control);
  if (t.error) return t.error;
  if (!text) return ENGINE_ERR_VALUE;
  if (t.ctrl->style != CTRL_TEXT_BOX) return ENGINE_ERR_ATTRIBUTE;
  return SetWindowTextA(t.ctrl->hwnd, ToEditText(text).c_str()) ? 0 : ENGINE_ERR_SYSTEM;
}

// ---- bitmaps -------------------------------------------------------------------------------

int GetBitmapFromResource(int resourceId, int* bitmap) {
  if (!bitmap) return ENGINE_ERR_VALUE;
  HBITMAP b =
      static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!b) return ENGINE_ERR_BITMAP;
  *bitmap = E().next_bitmap++;
  E().bitmaps[*bitmap] = b;
  return 0;
}

int SetCtrlBitmap(int panel, int control, int imageId, int bitmap) {
  Target t = Find(panel, control);
  if (t.error) return t.error;
  Ctrl& c = *t.ctrl;
  if (c.style != CTRL_PICTURE) return ENGINE_ERR_ATTRIBUTE;
  if (imageId != 0) return ENGINE_ERR_VALUE;
  const auto it = E().bitmaps.find(bitmap);
  if (it == E().bitmaps.end()) return ENGINE_ERR_BITMAP;
  HBITMAP copy =
      static_cast<HBITMAP>(CopyImage(it->second, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!copy) return ENGINE_ERR_SYSTEM;
  if (c.bitmap) DeleteObject(c.bitmap);
  c.bitmap = copy;
  InvalidateRect(c.hwnd, nullptr, TRUE);
  return 0;
}

int DiscardBitmap(int bitmap) {
  const auto it = E().bitmaps.find(bitmap);
  if (it == E().bitmaps.end()) return ENGINE_ERR_BITMAP;
  DeleteObject(it->second);
  E().bitmaps.erase(it);
  return 0;
}

// ---- screen --------------------------------------------------------------------------------

int GetSystemAttribute(int attribute, int* value) {
  if (!value) return ENGINE_ERR_VALUE;
  if (attribute != ATTR_RESOLUTION_ADJUSTMENT) return ENGINE_ERR_ATTRIBUTE;
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return ENGINE_ERR_PATH;
  std::string ini(path, n);
  const std::size_t dot = ini.find_last_of('.');
  if (dot != std::string::npos && dot > ini.find_last_of('\\')) ini.erase(dot);
  ini += ".ini";
  *value =
      static_cast<int>(GetPrivateProfileIntA("Engine", "ResolutionAdjustment", -1, ini.c_str()));
  return 0;
}

int GetMonitorFromPanel(int panel, int* monitor) {
  if (!E().initialised) return ENGINE_ERR_NOT_INITIALISED;
  Panel* p = FindPanel(panel);
  if (!p) return ENGINE_ERR_PANEL;
  if (!monitor) return ENGINE_ERR_VALUE;
  HMONITOR m = MonitorFromWindow(p->hwnd, MONITOR_DEFAULTTONEAREST);
  auto& list = E().monitors;
  auto it = std::find(list.begin(), list.end(), m);
  if (it == list.end()) it = list.insert(list.end(), m);
  *monitor = static_cast<int>(it - list.begin()) + 1;
  return 0;
}

int GetMonitorAttribute(int monitor, int attribute, int* value) {
  if (monitor < 1 || monitor > static_cast<int>(E().monitors.size())) return ENGINE_ERR_VALUE;
  if (!value) return ENGINE_ERR_VALUE;
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (!GetMonitorInfoA(E().monitors[monitor - 1], &mi)) return ENGINE_ERR_SYSTEM;
  switch (attribute) {
    case ATTR_MONITOR_HEIGHT:
      *value = mi.rcMonitor.bottom - mi.rcMonitor.top;
      return 0;
    case ATTR_MONITOR_WIDTH:
      *value = mi.rcMonitor.right - mi.rcMonitor.left;
      return 0;
    default:
      return ENGINE_ERR_ATTRIBUTE;
  }
}

// ---- events --------------------------------------------------------------------------------

int RunUserInterface() {
  if (!E().initialised) return ENGINE_ERR_NOT_INITIALISED;
  E().quit = false;
  MSG m;
  while (!E().quit) {
    const BOOL got = GetMessageA(&m, nullptr, 0, 0);
    if (got <= 0) break;
    Pump(m);
  }
  E().quit = false;
  return E().quit_code;
}

int QuitUserInterface(int code) {
  E().quit = true;
  E().quit_code = code;
  // Wakes a loop that waits for the next message.
  PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
  return 0;
}

int ProcessDrawEvents() {
  for (auto& [h, p] : E().panels) {
    RedrawWindow(p->hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  return 0;
}

int ProcessSystemEvents() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    Pump(m);
  }
  return 0;
}

int SetMouseCursor(int cursor) {
  if (cursor == VAL_WAIT_CURSOR) {
    E().cursor = LoadCursorA(nullptr, IDC_WAIT);
  } else if (cursor == VAL_DEFAULT_CURSOR) {
    E().cursor = nullptr;
  } else {
    return ENGINE_ERR_VALUE;
  }
  SetCursor(E().cursor ? E().cursor : LoadCursorA(nullptr, IDC_ARROW));
  return 0;
}

// ---- dialogs and help ----------------------------------------------------------------------

int MessagePopup(const char* title, const char* message) {
  if (!title || !message) return ENGINE_ERR_VALUE;
  return MessageBoxA(OwnerWindow(), message, title, MB_OK | MB_SETFOREGROUND) ? 0
                                                                              : ENGINE_ERR_SYSTEM;
}

int SystemHelp(const char* helpFile, int command, int data, const char* /*string*/) {
  if (!helpFile) return ENGINE_ERR_VALUE;
  UINT cmd = 0;
  if (command == SYSTEM_HELP_CONTEXT) {
    cmd = HELP_CONTEXT;
  } else if (command == SYSTEM_HELP_CONTENTS) {
    cmd = HELP_CONTENTS;
  } else {
    return ENGINE_ERR_VALUE;
  }
  HWND owner = OwnerWindow();
  if (!owner && !E().panels.empty()) owner = E().panels.begin()->second->hwnd;
  return WinHelpA(owner, helpFile, cmd, static_cast<ULONG_PTR>(data)) ? 0 : ENGINE_ERR_SYSTEM;
}
