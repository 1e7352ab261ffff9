// Start-up and what the engine tells about its process: the window class,
// the beep, the duplicate-instance check, the module's folder and the
// resolution setting of the program's INI file.
#include "engine_internal.h"

#include <commctrl.h>

#include <cctype>

using namespace engine_internal;

namespace {

// The executable's full path into path: 0, ENGINE_ERR_SYSTEM when the
// system gives none, ENGINE_ERR_PATH when it is longer than MAX_PATH.
int ModuleFileName(std::string& path) {
  char buffer[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  if (n == 0) return ENGINE_ERR_SYSTEM;
  if (n >= sizeof buffer) return ENGINE_ERR_PATH;
  path.assign(buffer, n);
  return 0;
}

// The place of the separator before a path's last name.
std::size_t LastSeparator(const std::string& path) {
  return path.find_last_of("\\/");
}

}  // namespace

int InitEngine(int, char**) {
  if (E().initialised) return 0;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  if (!InitCommonControlsEx(&icc)) return ENGINE_ERR_SYSTEM;
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
  std::string path;
  if (const int error = ModuleFileName(path)) return error;
  // A mutex name may not hold backslashes; case does not tell paths apart.
  std::string name = "EngineInstance:";
  for (const char c : path) {
    const auto ch = static_cast<unsigned char>(c);
    name += ch == '\\' ? '/' : static_cast<char>(std::toupper(ch));
  }
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
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
  std::string full;
  if (const int error = ModuleFileName(full)) return error;
  const std::size_t slash = LastSeparator(full);
  const std::string folder = slash == std::string::npos ? std::string() : full.substr(0, slash);
  if (!dir || static_cast<int>(folder.size()) >= dirSize) return ENGINE_ERR_PATH;
  folder.copy(dir, folder.size());
  dir[folder.size()] = '\0';
  return 0;
}

int GetSystemAttribute(int attribute, int* value) {
  if (!value) return ENGINE_ERR_VALUE;
  if (attribute != ATTR_RESOLUTION_ADJUSTMENT) return ENGINE_ERR_ATTRIBUTE;
  std::string ini;
  if (const int error = ModuleFileName(ini)) return error;
  // The extension of the program's name goes; a dot in a folder's name stays.
  const std::size_t dot = ini.find_last_of('.');
  const std::size_t slash = LastSeparator(ini);
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ini.erase(dot);
  ini += ".ini";
  *value =
      static_cast<int>(GetPrivateProfileIntA("Engine", "ResolutionAdjustment", -1, ini.c_str()));
  return 0;
}
