// Start-up and what the engine tells about its process: the window class,
// the beep, the duplicate-instance check, the module's folder, file sizes
// and the resolution setting of the program's INI file.
#include "engine_internal.h"

#include <commctrl.h>

#include <cctype>
#include <cstdint>

using namespace engine_internal;

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

int CheckForDuplicateAppInstance(int activateOther, int* isDuplicate) {
  if (activateOther != 0 || !isDuplicate) return ENGINE_ERR_VALUE;
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return ENGINE_ERR_PATH;
  // A mutex name may not hold backslashes; case does not tell paths apart.
  std::string name = "EngineInstance:";
  for (DWORD i = 0; i < n; ++i) {
    const auto ch = static_cast<unsigned char>(path[i]);
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

int GetModuleDir(void* module, char* dir, int dirSize) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(static_cast<HMODULE>(module), path, sizeof path);
  if (n == 0) return ENGINE_ERR_SYSTEM;
  if (n >= sizeof path) return ENGINE_ERR_PATH;
  const std::string full(path, n);
  const std::size_t slash = full.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string() : full.substr(0, slash);
  if (!dir || static_cast<int>(folder.size()) >= dirSize) return ENGINE_ERR_PATH;
  folder.copy(dir, folder.size());
  dir[folder.size()] = '\0';
  return 0;
}

int CVI_GetFileSize(const char* path, std::int64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!size || !GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return ENGINE_ERR_FILE;
  }
  *size = (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return 0;
}

int GetSystemAttribute(int attribute, int* value) {
  if (!value) return ENGINE_ERR_VALUE;
  if (attribute != ATTR_RESOLUTION_ADJUSTMENT) return ENGINE_ERR_ATTRIBUTE;
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return ENGINE_ERR_PATH;
  std::string ini(path, n);
  const std::size_t dot = ini.find_last_of('.');
  if (dot != std::string::npos && dot > ini.find_last_of('\\')) ini.erase(dot);
  ini += ".ini";
  *value =
      static_cast<int>(GetPrivateProfileIntA("Engine", "ResolutionAdjustment", -1, ini.c_str()));
  return 0;
}
