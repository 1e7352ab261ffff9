// Ferrolink's entry point: DLLs from the system folder only, one instance
// per log-on, registered for a restart after an update, then the main window
// until it closes.
#include <windows.h>
#include <objbase.h>

#include "MainWindow.h"
#include "SystemDlls.h"

namespace {

constexpr char kMutexName[] = "Ferrolink";

// True when another instance runs in this log-on. The mutex handle stays
// open until the process ends, so that later starts see this one. An
// instance started with other rights (as administrator) holds a mutex this
// one may not open: "access denied" says so as well as "already exists".
bool AnotherInstanceRuns() {
  CreateMutexA(nullptr, FALSE, kMutexName);
  const DWORD error = GetLastError();
  return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ferrolink::system_dlls::RestrictSearch();
  if (AnotherInstanceRuns()) return 0;  // a second start ends at once, silently
  ferrolink::system_dlls::RegisterForRestart();
  CoInitialize(nullptr);  // for the folder dialog and the task-bar object
  int code = 1;
  {
    ferrolink::MainWindow window(instance);
    if (window.Create()) code = window.Run();
  }
  CoUninitialize();
  return code;
}
