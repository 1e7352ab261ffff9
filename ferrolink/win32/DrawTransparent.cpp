#include "DrawTransparent.h"

namespace ferrolink {

namespace {

constexpr COLORREF kTransparent = RGB(255, 0, 255);  // the pictures' see-through colour

}  // namespace

void DrawTransparent(HDC dc, HBITMAP bmp, int x, int y) {
  BITMAP info;
  if (!bmp || !GetObjectA(bmp, sizeof info, &info)) return;
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, bmp);
  // gdi32's function, to which msimg32's TransparentBlt leads: msimg32 is
  // none of the system's known DLLs.
  GdiTransparentBlt(dc, x, y, info.bmWidth, info.bmHeight, mem, 0, 0, info.bmWidth, info.bmHeight,
                    kTransparent);
  SelectObject(mem, old);
  DeleteDC(mem);
}

}  // namespace ferrolink
