// What the engine's source files share: the panel and control records, the
// engine's state, lookup by handle and by window, and the layout and drawing
// steps that more than one file takes. Not part of the engine's API.
//
// Each panel is a top-level window of the class kPanelClass; each control is
// one child window (a slide has a second one, its label). Panels and controls
// are kept in maps by handle; a control callback may discard its own panel,
// so no panel or control pointer is used after a callback returns.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine.h"

namespace engine_internal {

inline constexpr const char* kPanelClass = "EnginePanel";
inline constexpr int kFrameWidth = 2;  // of ATTR_FRAME_COLOR frames, outside the control

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
  void* callback_data = nullptr;
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
  bool sizable = true, can_maximize = true;
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

// ---- state and lookup (engine_state.cpp) ----------------------------------------
Engine& E();
Panel* FindPanel(int handle);
Panel* PanelOfWindow(HWND hwnd);
Ctrl* FindCtrl(Panel* p, int handle);
// The control whose window, or whose label's window, is hwnd.
Ctrl* CtrlOfWindow(Panel* p, HWND hwnd);
bool IsButton(const Ctrl& c);
// Whether the control can take the focus: the tab order and the first focus.
bool TakesInput(const Ctrl& c);

// A panel and one of its controls, or the error that names the missing one.
struct Target {
  Panel* panel = nullptr;
  Ctrl* ctrl = nullptr;
  int error = 0;
};
Target Find(int panel, int control);

// ---- layout and fonts (engine_layout.cpp) ----------------------------------------
// The control's rectangle in the panel's client area, scaled with the panel.
RECT CtrlRect(const Panel& p, const Ctrl& c);
// Moves, sizes and sets the font of the control (and its label) for the
// panel's present size.
void PlaceCtrl(Panel& p, Ctrl& c);
DWORD PanelStyle(const Panel& p);
// Moves and sizes the window so that its client area has the panel's
// geometry; VAL_AUTO_CENTER centres it on its screen's work area.
void PlacePanel(Panel& p);
// Stacks the control windows in the panel's z_order.
void ApplyZOrder(Panel& p);
// Redraws the control's rectangle with its frame.
void InvalidateAround(Panel& p, Ctrl& c);
void ShowCtrl(Panel& p, Ctrl& c);
// Makes the control's window (not its label) for its style and attributes.
HWND CreateCtrlWindow(Panel& p, Ctrl& c);

// ---- DLLs (engine_dlls.cpp) ---------------------------------------------------------
// Loads comctl32 from the system folder and registers the window classes of
// the common controls given (ICC_*); false when it cannot.
bool InitCommonControlsFromSystem(DWORD classes);

// ---- drawing and the window procedure (engine_draw.cpp) --------------------------
LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Calls the control's callback with the commit event; nothing when the
// control has none, is hidden or is dimmed.
void Commit(int panel, int control);

}  // namespace engine_internal
