// Start-up and what the engine tells about its process: the window class,
// the beep, the duplicate-instance check, the module's folder and the
// resolution setting of the program's INI file.
#include "engine_internal.h"

#include <commctrl.h>

using namespace engine_internal;

namespace {

// The executable's full path into path: 0, ENGINE_ERR_SYSTEM when the
// system gives none, ENGINE_ERR_PATH when it is longer than MAX_PATH. Wide,
// so that a folder named outside the ANSI code page keeps its name.
int ModuleFileName(std::wstring& path) {
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  if (n == 0) return ENGINE_ERR_SYSTEM;
  if (n >= MAX_PATH) return ENGINE_ERR_PATH;
  path.assign(buffer, n);
  return 0;
}

// The place of the separator before a path's last name.
std::size_t LastSeparator(const std::wstring& path) {
  return path.find_last_of(L"\\/");
}

}  // namespace

int InitEngine(int, char**) {
  if (E().initialised) return 0;
  if (!InitCommonControlsFromSystem(ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES)) {
    return ENGINE_ERR_SYSTEM;
  }
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = PanelProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
  wc.lpszClassName = kPanelClass;
  if (!RegisterClassA(&wc)) return ENGINE_ERR_SYSTEM;
  E().initialised = true;
  return 0;
}

void CVI_Beep() {
  MessageBeep(MB_OK);
}

int CheckForDuplicateAppInstance(int* isDuplicate) {
  if (!isDuplicate) return ENGINE_ERR_VALUE;
  std::wstring path;
  if (const int error = ModuleFileName(path)) return error;
  // A mutex name may not hold backslashes; case does not tell paths apart.
  CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  std::wstring name = L"EngineInstance:";
  for (const wchar_t c : path) name += c == L'\\' ? L'/' : c;
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  // An instance started with other rights (as administrator) holds a mutex
  // this one may not open: it runs as well.
  if (!mutex && GetLastError() == ERROR_ACCESS_DENIED) {
    *isDuplicate = 1;
    return 0;
  }
  if (!mutex) return ENGINE_ERR_SYSTEM;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    *isDuplicate = 1;
    return 0;
  }
  // Held for the rest of the process: that is what later starts see.
  if (!E().instance_mutex) E().instance_mutex = mutex;
  *isDuplicate = 0;
  return 0;
}

int GetModuleDir(char* dir, int dirSize) {
  std::wstring full;
  if (const int error = ModuleFileName(full)) return error;
  const std::size_t slash = LastSeparator(full);
  const std::wstring wide = slash == std::wstring::npos ? std::wstring() : full.substr(0, slash);
  std::string folder;
  if (!wide.empty()) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    if (n <= 0) return ENGINE_ERR_SYSTEM;
    folder.resize(n);
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), folder.data(), n,
                        nullptr, nullptr);
  }
  if (!dir || static_cast<int>(folder.size()) >= dirSize) return ENGINE_ERR_PATH;
  folder.copy(dir, folder.size());
  dir[folder.size()] = '\0';
  return 0;
}

int GetSystemAttribute(int attribute, int* value) {
  if (!value) return ENGINE_ERR_VALUE;
  if (attribute != ATTR_RESOLUTION_ADJUSTMENT) return ENGINE_ERR_ATTRIBUTE;
  std::wstring ini;
  if (const int error = ModuleFileName(ini)) return error;
  // The extension of the program's name goes; a dot in a folder's name stays.
  const std::size_t dot = ini.find_last_of(L'.');
  const std::size_t slash = LastSeparator(ini);
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) ini.erase(dot);
  ini += L".ini";
  *value =
      static_cast<int>(GetPrivateProfileIntW(L"Engine", L"ResolutionAdjustment", -1, ini.c_str()));
  return 0;
}
