#include "SystemDlls.h"

#include <winnetwk.h>

#include <string>

namespace ferrolink::system_dlls {

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

// The function `name` of the DLL `dll` in the system folder, typed as its
// declaration F; null when the DLL or the function cannot be loaded.
template <typename F>
F* SystemFunction(const wchar_t* dll, const char* name) {
  HMODULE module = LoadFromSystemFolder(dll);
  if (!module) return nullptr;
  return reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

void RestrictSearch() {
  // Windows 8 and later, and Windows 7 with its security updates, have
  // SetDefaultDllDirectories; an import of it would keep the program from
  // starting on the others. There the empty DLL folder at least takes the
  // current folder out of the search.
  const auto set_default =
      reinterpret_cast<decltype(&::SetDefaultDllDirectories)>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (!set_default || !set_default(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
  // The folder dialog loads the common controls by name when it first opens.
  // Loaded from the system folder now, they are found loaded then, wherever
  // the system would look for them: where the search cannot be restricted,
  // and under Wine, which looks for a DLL that another one loads on first use
  // in the program's folder first all the same.
  LoadFromSystemFolder(L"comctl32.dll");
}

void RegisterForRestart() {
  using Register = HRESULT WINAPI(PCWSTR, DWORD);
  const auto register_restart = reinterpret_cast<Register*>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "RegisterApplicationRestart")));
  // Ferrolink takes no arguments: the restart gets none.
  if (register_restart)
    register_restart(nullptr, RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);
}

DWORD WNetGetUniversalNameW(LPCWSTR path, DWORD level, LPVOID buffer, LPDWORD size) {
  static const auto function =
      SystemFunction<decltype(::WNetGetUniversalNameW)>(L"mpr.dll", "WNetGetUniversalNameW");
  return function ? function(path, level, buffer, size) : ERROR_NO_NETWORK;
}

DWORD WNetAddConnection2W(LPNETRESOURCEW resource, LPCWSTR password, LPCWSTR user, DWORD flags) {
  static const auto function =
      SystemFunction<decltype(::WNetAddConnection2W)>(L"mpr.dll", "WNetAddConnection2W");
  return function ? function(resource, password, user, flags) : ERROR_NO_NETWORK;
}

DWORD GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle) {
  static const auto function = SystemFunction<decltype(::GetFileVersionInfoSizeW)>(
      L"version.dll", "GetFileVersionInfoSizeW");
  return function ? function(file, handle) : 0;
}

BOOL GetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD size, LPVOID data) {
  static const auto function =
      SystemFunction<decltype(::GetFileVersionInfoW)>(L"version.dll", "GetFileVersionInfoW");
  return function ? function(file, handle, size, data) : FALSE;
}

BOOL VerQueryValueW(LPCVOID block, LPCWSTR sub_block, LPVOID* value, PUINT length) {
  static const auto function =
      SystemFunction<decltype(::VerQueryValueW)>(L"version.dll", "VerQueryValueW");
  return function ? function(block, sub_block, value, length) : FALSE;
}

}  // namespace ferrolink::system_dlls
