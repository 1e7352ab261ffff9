// Panels and controls: making, showing and discarding them, their values,
// and the bitmaps of picture controls.
#include "engine_internal.h"

#include <commctrl.h>

#include <cmath>

using namespace engine_internal;

namespace {

// Text boxes hold line feeds; the edit control needs CR LF.
std::string ToEditText(const char* text) {
  std::string out;
  for (const char* s = text; *s; ++s) {
    if (*s == '\n' && (s == text || s[-1] != '\r')) out += '\r';
    out += *s;
  }
  return out;
}

int SetSlideValue(Ctrl& c, double v) {
  if (v < c.min || v > c.max) return ENGINE_ERR_VALUE;
  c.value = v;
  SendMessageA(c.hwnd, PBM_SETPOS, std::lround(v), 0);
  return 0;
}

// The size and mode a new control of each known style gets; text boxes are
// white.
struct StyleShape {
  int style, height, width, mode, text_bg;
};
constexpr StyleShape kShapes[] = {
    {CTRL_SQUARE_COMMAND_BUTTON, 25, 100, VAL_HOT, -1},
    {CTRL_ROUNDED_COMMAND_BUTTON, 25, 100, VAL_HOT, -1},
    {CTRL_NUMERIC_HSLIDE, 18, 150, VAL_INDICATOR, -1},
    {CTRL_TEXT_MSG, 16, 100, VAL_INDICATOR, -1},
    {CTRL_TEXT_BOX, 100, 200, VAL_HOT, 0xFFFFFF},
    {CTRL_PICTURE, 50, 50, VAL_INDICATOR, -1},
};

// Gives a new control of a known style its size and mode; false for any
// other style.
bool Shape(Ctrl& c) {
  for (const StyleShape& shape : kShapes) {
    if (shape.style != c.style) continue;
    c.height = shape.height;
    c.width = shape.width;
    c.mode = shape.mode;
    c.text_bg = shape.text_bg;
    return true;
  }
  return false;
}

}  // namespace

// ---- panels ------------------------------------------------------------------------------

int NewPanel(const char* title, int top, int left, int height, int width) {
  if (!E().initialised) return ENGINE_ERR_NOT_INITIALISED;
  if (height <= 0 || width <= 0) return ENGINE_ERR_VALUE;
  auto p = std::make_unique<Panel>();
  p->handle = E().next_panel++;
  p->top = top;
  p->left = left;
  p->height = p->design_height = height;
  p->width = p->design_width = width;
  p->hwnd = CreateWindowExA(0, kPanelClass, title ? title : "", PanelStyle(*p), 0, 0, width, height,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!p->hwnd) return ENGINE_ERR_SYSTEM;
  Panel& ref = *p;
  E().panels[p->handle] = std::move(p);
  PlacePanel(ref);
  return ref.handle;
}

int DisplayPanel(int panel) {
  if (!E().initialised) return ENGINE_ERR_NOT_INITIALISED;
  Panel* p = FindPanel(panel);
  if (!p) return ENGINE_ERR_PANEL;
  ShowWindow(p->hwnd, SW_SHOW);
  SetForegroundWindow(p->hwnd);
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
  if (!Shape(*c)) return ENGINE_ERR_STYLE;
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

int SetCtrlBitmap(int panel, int control, int bitmap) {
  Target t = Find(panel, control);
  if (t.error) return t.error;
  Ctrl& c = *t.ctrl;
  if (c.style != CTRL_PICTURE) return ENGINE_ERR_ATTRIBUTE;
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
