#include "SpeedButton.h"

#include "DrawTransparent.h"

namespace ferrolink {

namespace {

constexpr wchar_t kDownProperty[] = L"down";  // set while the left button is held on it

void Click(HWND hwnd) {
  const int id = GetDlgCtrlID(hwnd);
  SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(hwnd));
}

// The face, a raised edge (sunken while held) and the glyph in the middle,
// one pixel further right and down while held.
void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  const bool down = GetPropW(hwnd, kDownProperty) != nullptr;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &r, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  const auto glyph = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  DrawTransparent(dc, glyph, (r.right - 16) / 2 + (down ? 1 : 0),
                  (r.bottom - 16) / 2 + (down ? 1 : 0));
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK SpeedButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case BM_SETIMAGE:
      if (wp != IMAGE_BITMAP) return 0;
      InvalidateRect(hwnd, nullptr, TRUE);
      return SetWindowLongPtrW(hwnd, GWLP_USERDATA, lp);
    case WM_LBUTTONDOWN:
      SetPropW(hwnd, kDownProperty, reinterpret_cast<HANDLE>(1));
      SetCapture(hwnd);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_LBUTTONUP: {
      const bool was_down = RemovePropW(hwnd, kDownProperty) != nullptr;
      ReleaseCapture();
      InvalidateRect(hwnd, nullptr, TRUE);
      RECT r;
      GetClientRect(hwnd, &r);
      const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      if (was_down && PtInRect(&r, pt)) Click(hwnd);
      return 0;
    }
    case BM_CLICK:
      Click(hwnd);
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterSpeedButton(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpfnWndProc = SpeedButtonProc;
  wc.lpszClassName = kSpeedButtonClass;
  return RegisterClassW(&wc) != 0;
}

}  // namespace ferrolink
