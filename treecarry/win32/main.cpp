// Treecarry.exe: a Windows program without a window and without a console.
// It reads no arguments, shows and writes nothing, and ends with exit code 0.
#include <windows.h>

#include "Win32Machine.h"
#include "modMain.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  treecarry::Win32Machine machine;
  treecarry::RunMove(machine);  // whether Move.exe ran or not, the program ends alike
  return 0;
}
