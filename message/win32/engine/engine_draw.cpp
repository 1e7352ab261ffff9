// Drawing (the panel's background and frames, owner-drawn buttons and
// pictures) and the panel's window procedure, which turns clicks and the
// close box into commit events.
#include "engine_internal.h"

namespace engine_internal {
namespace {

COLORREF Rgb(int c) {
  return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

HBRUSH Brush(int color) {
  auto& b = E().brushes[color];
  if (!b) b = CreateSolidBrush(Rgb(color));
  return b;
}

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

}  // namespace

void Commit(int panel, int control) {
  Panel* p = FindPanel(panel);
  Ctrl* c = p ? FindCtrl(p, control) : nullptr;
  if (!c || !c->callback || !c->visible || c->dimmed) return;
  c->callback(panel, control, EVENT_COMMIT, c->callback_data, 0, 0);
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
    case WM_ENDSESSION:
      // A log-off, or an installer that closes the program to replace it
      // (ENDSESSION_CLOSEAPP, after which Windows ends nothing itself): the
      // event loop ends as by its quit button, once an opening of the list
      // under way has finished its trim.
      if (wp) QuitUserInterface(0);
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

}  // namespace engine_internal
