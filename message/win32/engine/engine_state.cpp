// The engine's state and the lookup of panels and controls by handle and by
// window.
#include "engine_internal.h"

namespace engine_internal {

Engine& E() {
  static Engine engine;
  return engine;
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

bool TakesInput(const Ctrl& c) {
  return (c.mode == VAL_HOT || c.style == CTRL_TEXT_BOX) && c.visible && !c.dimmed;
}

Target Find(int panel, int control) {
  Target t;
  if (!E().initialised) return {nullptr, nullptr, ENGINE_ERR_NOT_INITIALISED};
  t.panel = FindPanel(panel);
  if (!t.panel) return {nullptr, nullptr, ENGINE_ERR_PANEL};
  t.ctrl = FindCtrl(t.panel, control);
  if (!t.ctrl) return {nullptr, nullptr, ENGINE_ERR_CTRL};
  return t;
}

}  // namespace engine_internal
