// The event loop (shortcut keys and the tab order included), the cursor,
// message boxes and help.
#include "engine_internal.h"

#include <algorithm>

using namespace engine_internal;

namespace {

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

}  // namespace

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

int SystemHelp(const char* helpFile, int context) {
  if (!helpFile) return ENGINE_ERR_VALUE;
  HWND owner = OwnerWindow();
  if (!owner && !E().panels.empty()) owner = E().panels.begin()->second->hwnd;
  return WinHelpA(owner, helpFile, HELP_CONTEXT, static_cast<ULONG_PTR>(context))
             ? 0
             : ENGINE_ERR_SYSTEM;
}
