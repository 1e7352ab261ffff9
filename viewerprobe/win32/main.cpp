// Viewerprobe: tells the user when the help viewer that the instrument
// software's help files need is missing on Windows NT 6.2, and ends.
#include <windows.h>

#include "Win32ProbeSystem.h"
#include "frmMain.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  viewerprobe::Win32ProbeSystem system;
  viewerprobe::frmMain form(instance, system);
  if (!form.Create()) return 1;
  form.Form_Load();
  return 0;
}
