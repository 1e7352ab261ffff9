// Drawing of the program's pictures, whose magenta pixels are see-through.
#pragma once

#include <windows.h>

namespace ferrolink {

// Draws the whole bitmap with its top left at x, y, leaving the magenta
// pixels (255, 0, 255) of the picture unpainted. Nothing for a null bitmap.
void DrawTransparent(HDC dc, HBITMAP bmp, int x, int y);

}  // namespace ferrolink
