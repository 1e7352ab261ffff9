// Layout: fonts, the scaling of controls with their panel, stacking, and the
// control windows themselves; and the screens panels stand on.
#include "engine_internal.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

namespace engine_internal {
namespace {

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

double ScaleY(const Panel& p) {
  return p.design_height > 0 ? static_cast<double>(p.height) / p.design_height : 1.0;
}
double ScaleX(const Panel& p) {
  return p.design_width > 0 ? static_cast<double>(p.width) / p.design_width : 1.0;
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

}  // namespace

RECT CtrlRect(const Panel& p, const Ctrl& c) {
  const double sy = ScaleY(p), sx = ScaleX(p);
  RECT r;
  r.left = std::lround(c.left * sx);
  r.top = std::lround(c.top * sy);
  r.right = r.left + std::lround(c.width * sx);
  r.bottom = r.top + std::lround(c.height * sy);
  return r;
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

}  // namespace engine_internal

using namespace engine_internal;

// ---- screens ---------------------------------------------------------------------

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
