// A small flat button that never takes the focus and shows a glyph, as a
// window class of its own. Its parent gets WM_COMMAND with BN_CLICKED, as
// from a push button, for a click released over it or a BM_CLICK.
// BM_SETIMAGE with IMAGE_BITMAP gives it its glyph, which stays the
// caller's to delete.
#pragma once

#include <windows.h>

namespace ferrolink {

inline constexpr wchar_t kSpeedButtonClass[] = L"TSpeedButton";

// Registers the class for the module `instance`; false when that fails.
bool RegisterSpeedButton(HINSTANCE instance);

}  // namespace ferrolink
