// Viewerprobe: tells the user when the help viewer that the instrument
// software's help files need is missing on Windows NT 6.2, and ends.
#include <windows.h>

#include "Win32ProbeSystem.h"
#include "frmMain.h"

namespace {

// Windows looks for a DLL that is not one of its known DLLs in the program's
// own folder first, and that folder may be writable by every user. So the
// DLLs that the process loads by name, and those the system loads for it (the
// themes, with the first window), come from the system folder only. Windows 8
// and later, and Windows 7 with its security updates, have
// SetDefaultDllDirectories; an import of it would keep the program from
// starting on the others. There the empty DLL folder at least takes the
// current folder out of the search.
void RestrictDllSearch() {
  const auto set_default =
      reinterpret_cast<decltype(&::SetDefaultDllDirectories)>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (set_default && set_default(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  viewerprobe::Win32ProbeSystem system;
  viewerprobe::frmMain form(instance, system);
  if (!form.Create()) return 1;
  form.Form_Load();
  return 0;
}
