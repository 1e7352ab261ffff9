// Attributes of panels and controls. Each control attribute is one row of
// kCtrlAttributes: the attribute, the control kinds that have it, and the
// action that sets it. The action's value parameter is the row's value type;
// an attribute may have one row per value type (ATTR_DFLT_VALUE: a slide's
// number, a text message's text).
#include "engine_internal.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <variant>

using namespace engine_internal;

namespace {

bool IsColor(int v) {
  return v >= 0 && v <= 0xFFFFFF;
}

void MoveInList(std::vector<int>& list, int handle, int position) {
  list.erase(std::remove(list.begin(), list.end(), handle), list.end());
  position = std::clamp(position, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + position, handle);
}

// Control kinds as bits, so that a row names the set of kinds that have its
// attribute. The two command button styles are one kind.
enum Kind : unsigned {
  kSlide = 1u << 0,
  kTextMsg = 1u << 1,
  kTextBox = 1u << 2,
  kButton = 1u << 3,
  kPicture = 1u << 4,
  kAnyKind = kSlide | kTextMsg | kTextBox | kButton | kPicture,
};

unsigned KindOf(const Ctrl& c) {
  switch (c.style) {
    case CTRL_NUMERIC_HSLIDE:
      return kSlide;
    case CTRL_TEXT_MSG:
      return kTextMsg;
    case CTRL_TEXT_BOX:
      return kTextBox;
    case CTRL_SQUARE_COMMAND_BUTTON:
    case CTRL_ROUNDED_COMMAND_BUTTON:
      return kButton;
    case CTRL_PICTURE:
      return kPicture;
    default:
      return 0;
  }
}

// A colour, 0xRRGGBB: an int whose range belongs to its type, so it is
// checked before the control kind.
struct Color {
  int rgb;
};

template <typename Value>
using Action = int (*)(Panel& p, Ctrl& c, Value value);

struct CtrlAttribute {
  int attribute;
  unsigned kinds;
  std::variant<Action<int>, Action<Color>, Action<double>, Action<const char*>,
               Action<CtrlCallbackPtr>, Action<void*>>
      action;
};

// Size in design coordinates; the control is placed anew.
template <int Ctrl::*Size>
int SetSize(Panel& p, Ctrl& c, int v) {
  if (v < 0) return ENGINE_ERR_VALUE;
  c.*Size = v;
  PlaceCtrl(p, c);
  return 0;
}

template <int Ctrl::*Position>
int SetLabelPosition(Panel& p, Ctrl& c, int v) {
  c.*Position = v;
  PlaceCtrl(p, c);
  return 0;
}

template <int Ctrl::*Member>
int SetColor(Panel& p, Ctrl& c, Color v) {
  c.*Member = v.rgb;
  InvalidateRect(c.hwnd, nullptr, TRUE);
  if (c.label_hwnd) InvalidateRect(c.label_hwnd, nullptr, TRUE);
  InvalidateAround(p, c);
  return 0;
}

// One end of a slide's range; its value and default stay inside the range.
template <double Ctrl::*End>
int SetRangeEnd(Panel&, Ctrl& c, double v) {
  c.*End = v;
  SendMessageA(c.hwnd, PBM_SETRANGE32, std::lround(c.min), std::lround(c.max));
  c.value = std::clamp(c.value, std::min(c.min, c.max), std::max(c.min, c.max));
  c.dflt = std::clamp(c.dflt, std::min(c.min, c.max), std::max(c.min, c.max));
  return 0;
}

int SetScrollBars(Panel& p, Ctrl& c, int v) {
  if (v < VAL_NO_SCROLL_BARS || v > VAL_BOTH_SCROLL_BARS) return ENGINE_ERR_VALUE;
  // The edit control takes its scroll bars at creation: make it anew.
  const int length = GetWindowTextLengthA(c.hwnd);
  std::string text(length + 1, '\0');
  GetWindowTextA(c.hwnd, text.data(), length + 1);
  c.scroll_bars = v;
  HWND fresh = CreateCtrlWindow(p, c);
  if (!fresh) return ENGINE_ERR_SYSTEM;
  DestroyWindow(c.hwnd);
  c.hwnd = fresh;
  SetWindowTextA(c.hwnd, text.c_str());
  PlaceCtrl(p, c);
  ApplyZOrder(p);
  return 0;
}

// Attribute, the control kinds that have it, and the action; the action's
// value parameter (int, Color, double, text, callback or pointer) is the
// value type.
// clang-format off
constexpr CtrlAttribute kCtrlAttributes[] = {
  {ATTR_HEIGHT,          kAnyKind, SetSize<&Ctrl::height>},
  {ATTR_WIDTH,           kAnyKind, SetSize<&Ctrl::width>},
  {ATTR_CONSTANT_NAME,   kAnyKind, [](Panel&, Ctrl& c, const char* v) {
     c.constant_name = v;
     return 0;
   }},
  {ATTR_VISIBLE,         kAnyKind, [](Panel& p, Ctrl& c, int v) {
     c.visible = v != 0;
     ShowCtrl(p, c);
     return 0;
   }},
  {ATTR_DIMMED,          kAnyKind, [](Panel&, Ctrl& c, int v) {
     c.dimmed = v != 0;
     EnableWindow(c.hwnd, !c.dimmed);
     if (c.label_hwnd) EnableWindow(c.label_hwnd, !c.dimmed);
     return 0;
   }},
  {ATTR_CTRL_MODE,       kAnyKind, [](Panel&, Ctrl& c, int v) {
     if (v != VAL_HOT && v != VAL_INDICATOR) return ENGINE_ERR_VALUE;
     c.mode = v;
     return 0;
   }},
  {ATTR_CALLBACK_FUNCTION_POINTER, kAnyKind, [](Panel&, Ctrl& c, CtrlCallbackPtr v) {
     c.callback = v;
     return 0;
   }},
  {ATTR_CALLBACK_DATA,   kAnyKind, [](Panel&, Ctrl& c, void* v) {
     c.callback_data = v;
     return 0;
   }},
  {ATTR_SHORTCUT_KEY,    kAnyKind, [](Panel&, Ctrl& c, int v) {
     if (v != 0 && v != VAL_ESC_KEY) return ENGINE_ERR_VALUE;
     c.shortcut = v;
     return 0;
   }},
  {ATTR_CMD_BUTTON_COLOR, kButton, SetColor<&Ctrl::button_color>},
  {ATTR_LABEL_COLOR,     kSlide,   SetColor<&Ctrl::label_color>},
  {ATTR_LABEL_BGCOLOR,   kSlide,   SetColor<&Ctrl::label_bg>},
  {ATTR_LABEL_TOP,       kSlide,   SetLabelPosition<&Ctrl::label_top>},
  {ATTR_LABEL_LEFT,      kSlide,   SetLabelPosition<&Ctrl::label_left>},
  {ATTR_TEXT_FONT,       kAnyKind, [](Panel& p, Ctrl& c, const char* v) {
     c.font = v;
     PlaceCtrl(p, c);
     return 0;
   }},
  {ATTR_TEXT_POINT_SIZE, kAnyKind, [](Panel& p, Ctrl& c, int v) {
     if (v <= 0 || v > 500) return ENGINE_ERR_VALUE;
     c.point_size = v;
     PlaceCtrl(p, c);
     return 0;
   }},
  {ATTR_TEXT_COLOR,      kAnyKind, SetColor<&Ctrl::text_color>},
  {ATTR_TEXT_BGCOLOR,    kAnyKind, SetColor<&Ctrl::text_bg>},
  {ATTR_FRAME_COLOR,     kAnyKind, SetColor<&Ctrl::frame_color>},
  {ATTR_SCROLL_BARS,     kTextBox, SetScrollBars},
  {ATTR_MIN_VALUE,       kSlide,   SetRangeEnd<&Ctrl::min>},
  {ATTR_MAX_VALUE,       kSlide,   SetRangeEnd<&Ctrl::max>},
  {ATTR_INCR_VALUE,      kSlide,   [](Panel&, Ctrl& c, double v) {
     if (v <= 0) return ENGINE_ERR_VALUE;
     c.incr = v;
     return 0;
   }},
  {ATTR_DFLT_VALUE,      kSlide,   [](Panel&, Ctrl& c, double v) {
     if (v < c.min || v > c.max) return ENGINE_ERR_VALUE;
     c.dflt = v;
     return 0;
   }},
  {ATTR_DFLT_VALUE,      kTextMsg, [](Panel&, Ctrl& c, const char* v) {
     c.dflt_text = v;
     return 0;
   }},
  // Slides hold doubles only.
  {ATTR_DATA_TYPE,       kSlide,   [](Panel&, Ctrl&, int v) {
     return v == VAL_DOUBLE ? 0 : ENGINE_ERR_VALUE;
   }},
  // Positions in the panel's lists, 0 first; beyond the end means last.
  {ATTR_ZPLANE_POSITION, kAnyKind, [](Panel& p, Ctrl& c, int v) {
     if (v < 0) return ENGINE_ERR_VALUE;
     MoveInList(p.z_order, c.handle, v);
     ApplyZOrder(p);
     return 0;
   }},
  {ATTR_CTRL_TAB_POSITION, kAnyKind, [](Panel& p, Ctrl& c, int v) {
     if (v < 0) return ENGINE_ERR_VALUE;
     MoveInList(p.tab_order, c.handle, v);
     return 0;
   }},
};
// clang-format on

template <typename Value>
int Run(const CtrlAttribute& row, Action<Value> action, const Target& t, Value value) {
  if (!(row.kinds & KindOf(*t.ctrl))) return ENGINE_ERR_ATTRIBUTE;
  return action(*t.panel, *t.ctrl, value);
}

// Finds the attribute's row for the value's type (an int also fits a colour
// row), checks the value against its type (a text is not null, a colour is
// in range), then that the control is of a kind that has the attribute, and
// runs the row's action. A missing row and a kind without the attribute are
// both ENGINE_ERR_ATTRIBUTE.
template <typename Value>
int SetCtrlAttributeOf(int panel, int control, int attribute, Value value) {
  const Target t = Find(panel, control);
  if (t.error) return t.error;
  if constexpr (std::is_same_v<Value, const char*>) {
    if (!value) return ENGINE_ERR_VALUE;
  }
  for (const CtrlAttribute& row : kCtrlAttributes) {
    if (row.attribute != attribute) continue;
    if constexpr (std::is_same_v<Value, int>) {
      if (const auto* action = std::get_if<Action<Color>>(&row.action)) {
        if (!IsColor(value)) return ENGINE_ERR_VALUE;
        return Run(row, *action, t, Color{value});
      }
    }
    if (const auto* action = std::get_if<Action<Value>>(&row.action)) {
      return Run(row, *action, t, value);
    }
  }
  return ENGINE_ERR_ATTRIBUTE;
}

}  // namespace

// ---- panels ------------------------------------------------------------------------

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
  if (attribute != ATTR_CONSTANT_NAME) return ENGINE_ERR_ATTRIBUTE;
  p->constant_name = value;
  return 0;
}

// ---- controls ----------------------------------------------------------------------

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
  return SetCtrlAttributeOf(panel, control, attribute, value);
}

int SetCtrlAttribute(int panel, int control, int attribute, double value) {
  return SetCtrlAttributeOf(panel, control, attribute, value);
}

int SetCtrlAttribute(int panel, int control, int attribute, const char* value) {
  return SetCtrlAttributeOf(panel, control, attribute, value);
}

int SetCtrlAttribute(int panel, int control, int attribute, CtrlCallbackPtr value) {
  return SetCtrlAttributeOf(panel, control, attribute, value);
}

int SetCtrlAttribute(int panel, int control, int attribute, void* value) {
  return SetCtrlAttributeOf(panel, control, attribute, value);
}
