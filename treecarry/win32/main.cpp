// Treecarry.exe: a Windows program without a window and without a console.
// It reads no arguments, shows and writes nothing, and ends with exit code 0.
#include <windows.h>

#include "Win32Machine.h"
#include "modMain.h"

namespace {

// Windows looks for a DLL that is not one of its known DLLs in the program's
// own folder first, and that folder may be writable by every user. So the
// DLLs that the process loads by name, and those the system loads for it,
// come from the system folder only. Windows 8 and later, and Windows 7 with
// its security updates, have SetDefaultDllDirectories; an import of it would
// keep the program from starting on the others. There the empty DLL folder at
// least takes the current folder out of the search.
void RestrictDllSearch() {
  const auto set_default =
      reinterpret_cast<decltype(&::SetDefaultDllDirectories)>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (set_default && set_default(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();  // Move.exe is started by its full path all the same
  treecarry::Win32Machine machine;
  treecarry::RunMove(machine);  // whether Move.exe ran or not, the program ends alike
  return 0;
}
