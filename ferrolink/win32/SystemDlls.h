// Where Ferrolink's DLLs come from. Windows looks for a DLL that is not one
// of its known DLLs in the program's own folder first, and that folder may be
// writable by every user. So the program imports only known DLLs, restricts
// the search to the system folder before anything else, and loads the other
// DLLs it needs (mpr, version, comctl32) from the system folder by full path,
// here.
#pragma once

#include <windows.h>
#include <winnetwk.h>

namespace ferrolink::system_dlls {

// Restricts the DLLs that this process loads by name, its own and those the
// system loads for it (the folder dialog, the themes), to the system folder,
// and loads the common controls from there. Runs first, before any window or
// dialog.
void RestrictSearch();

// Asks Windows to start this program again, in the same session, when an
// installer or an update closes it (Restart Manager, Windows 7 and later;
// Windows restarts only a program that ran for at least 60 s). Not after a
// crash, a hang or a reboot: the start-up folder starts it after a reboot.
// Does nothing where the system has no such function.
void RegisterForRestart();

// The functions of the same names in mpr.dll and version.dll. When the DLL
// or the function cannot be loaded, each fails as the system's function does
// without a network or without a version resource.
DWORD WNetGetUniversalNameW(LPCWSTR path, DWORD level, LPVOID buffer, LPDWORD size);
DWORD WNetAddConnection2W(LPNETRESOURCEW resource, LPCWSTR password, LPCWSTR user, DWORD flags);
DWORD GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle);
BOOL GetFileVersionInfoW(LPCWSTR file, DWORD handle, DWORD size, LPVOID data);
BOOL VerQueryValueW(LPCVOID block, LPCWSTR sub_block, LPVOID* value, PUINT length);

}  // namespace ferrolink::system_dlls
