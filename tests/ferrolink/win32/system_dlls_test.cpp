// The functions that Ferrolink takes at run time from DLLs outside the
// system's known DLLs reach the system's DLL; that none is taken from the
// program's folder, the end-to-end tests show.
#include <windows.h>
#include <winnetwk.h>

#include <gtest/gtest.h>

#include "SystemDlls.h"

namespace {

TEST(SystemDlls, TheNetworkFunctionsReachTheSystemsMpr) {
  // mpr.dll answers that a local drive is no network drive; a function that
  // could not be loaded would answer that there is no network.
  alignas(UNIVERSAL_NAME_INFOW) char buf[1024];
  DWORD size = sizeof buf;
  EXPECT_EQ(
      ferrolink::system_dlls::WNetGetUniversalNameW(L"C:\\", UNIVERSAL_NAME_INFO_LEVEL, buf, &size),
      static_cast<DWORD>(ERROR_NOT_CONNECTED));
}

}  // namespace
