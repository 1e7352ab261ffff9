// Where the engine's DLLs come from. Windows looks for a DLL that is not one
// of its known DLLs in the program's own folder first, and that folder may be
// writable by every user. So the program imports only known DLLs, the search
// is restricted to the system folder before anything else, and the DLLs that
// are none of the known DLLs (comctl32, msimg32) are loaded from the system
// folder by full path.
#include "engine_internal.h"

#include <commctrl.h>

#include <string>

namespace {

// The DLL `name` from the system folder, loaded by its full path so that no
// other folder is searched for it; its own imports are looked for in the
// system folder first, even where the search cannot be restricted. It stays
// loaded. Null when it cannot be loaded.
HMODULE LoadFromSystemFolder(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L'\\' + name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

void RestrictDllSearch() {
  // Windows 8 and later, and Windows 7 with its security updates, have
  // SetDefaultDllDirectories; an import of it would keep the program from
  // starting on the others. There the empty DLL folder at least takes the
  // current folder out of the search.
  const auto set_default =
      reinterpret_cast<decltype(&::SetDefaultDllDirectories)>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (!set_default || !set_default(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
  // The themes load msimg32 by name when they first draw the progress bar.
  // Loaded from the system folder now, it is found loaded then, wherever the
  // system would look for it: where the search cannot be restricted, and
  // under Wine, which looks for a DLL that another one loads on first use in
  // the program's folder first all the same.
  LoadFromSystemFolder(L"msimg32.dll");
}

namespace engine_internal {

bool InitCommonControlsFromSystem(DWORD classes) {
  // It stays loaded: the window classes of the controls live in it.
  HMODULE comctl32 = LoadFromSystemFolder(L"comctl32.dll");
  if (!comctl32) return false;
  const auto init = reinterpret_cast<decltype(&::InitCommonControlsEx)>(
      reinterpret_cast<void*>(GetProcAddress(comctl32, "InitCommonControlsEx")));
  INITCOMMONCONTROLSEX icc{sizeof icc, classes};
  return init && init(&icc);
}

}  // namespace engine_internal
