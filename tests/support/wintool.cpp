// Command-line access to the windows of running programs, for scripts.
//   WinTool wait <selector> [timeout-ms]   prints the window's frame: left top right bottom
//   WinTool texts <selector>               prints the caption, then class and text of each child
//   WinTool timer <selector> <id>          runs a timer tick of the window now
//   WinTool close <selector>               asks the window to close
//   WinTool restore <selector>             restores a minimised window
// A selector is "class:<name>" or the beginning of a caption.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Driver.h"

namespace {

struct FindCtx {
  std::string sel;
  bool visible_only;
  HWND found;
};

BOOL CALLBACK Match(HWND h, LPARAM lp) {
  auto* c = reinterpret_cast<FindCtx*>(lp);
  if (c->visible_only && !IsWindowVisible(h)) return TRUE;
  const bool match = c->sel.rfind("class:", 0) == 0 ? e2e::ClassOf(h) == c->sel.substr(6)
                                                    : e2e::Text(h).rfind(c->sel, 0) == 0;
  if (match) {
    c->found = h;
    return FALSE;
  }
  return TRUE;
}

HWND Find(const std::string& selector, bool visible_only) {
  FindCtx ctx{selector, visible_only, nullptr};
  EnumWindows(Match, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: WinTool wait|texts|timer|close|restore <selector> [arg]\n");
    return 2;
  }
  const std::string cmd = argv[1], sel = argv[2];
  HWND h = nullptr;
  const int timeout = cmd == "wait" && argc > 3 ? std::atoi(argv[3]) : 10000;
  // Only a shown window counts for "wait"; the others act on hidden ones too.
  e2e::WaitUntil([&] { return (h = Find(sel, cmd == "wait")) != nullptr; }, timeout);
  if (!h) {
    std::fprintf(stderr, "WinTool: no window for '%s'\n", sel.c_str());
    return 1;
  }
  if (cmd == "wait") {
    const RECT r = e2e::WindowRectOf(h);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  } else if (cmd == "texts") {
    std::printf("caption\t%s\n", e2e::Text(h).c_str());
    for (HWND c : e2e::Descendants(h)) {
      std::printf("%s\t%s\n", e2e::ClassOf(c).c_str(), e2e::Text(c).c_str());
    }
  } else if (cmd == "timer" && argc > 3) {
    e2e::PostTimer(h, static_cast<UINT_PTR>(std::atoi(argv[3])));
  } else if (cmd == "close") {
    e2e::Close(h);
  } else if (cmd == "restore") {
    PostMessageA(h, WM_SYSCOMMAND, SC_RESTORE, 0);
  } else {
    std::fprintf(stderr, "WinTool: unknown command '%s'\n", cmd.c_str());
    return 2;
  }
  std::fflush(stdout);
  return 0;
}
