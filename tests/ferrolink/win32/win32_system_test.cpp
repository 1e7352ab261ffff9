// What the real system does beyond the contract that the fake keeps too:
// sharing with other readers and writers, a save that fails or meets a
// leftover, registry values of odd shapes, and the measure of the font.
#include <windows.h>
#include <winnetwk.h>

#include <gtest/gtest.h>

#include "Driver.h"
#include "SystemDlls.h"
#include "Win32System.h"

namespace {

using ferrolink::FileRead;
using ferrolink::SettingsValue;
using ferrolink::SourceEnd;

const char kKey[] = "Software\\Quorlen\\Calyrix K9Q2";

class Win32SystemTest : public ::testing::Test {
 protected:
  void TearDown() override { e2e::RegRemoveTree(HKEY_CURRENT_USER, kKey); }
  ferrolink::Win32System sys;
  e2e::WorkDir dir = e2e::TestWorkDir();
};

HANDLE OpenHeld(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

}  // namespace

TEST_F(Win32SystemTest, ReadersShareAndAWriterSharingEverythingStillKeepsTheSource) {
  const std::string f = dir / "a.ini";
  ASSERT_TRUE(e2e::WriteFileBytes(f, "[S]\r\nk=v\r\n"));
  std::string bytes;
  HANDLE reader = OpenHeld(f, GENERIC_READ, FILE_SHARE_READ);
  EXPECT_EQ(sys.settings.ReadWholeFile(f, bytes), FileRead::Ok);  // another reader is fine
  CloseHandle(reader);

  HANDLE writer =
      OpenHeld(f, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  ferrolink::HoldFailure failure;
  EXPECT_FALSE(sys.transfer.HoldSource(f, SourceEnd::Delete, failure));
  EXPECT_EQ(failure, ferrolink::HoldFailure::Written);
  CloseHandle(writer);
  EXPECT_TRUE(e2e::FileExists(f));
}

TEST_F(Win32SystemTest, ReplaceWholeFileKeepsTheOldFileOnFailure) {
  const std::string f = dir / "ferrolink.ini";
  ASSERT_TRUE(sys.settings.ReplaceWholeFile(f, "new\r\n"));
  ASSERT_TRUE(sys.settings.ReplaceWholeFile(f, "newer\r\n"));
  EXPECT_EQ(e2e::ListFilesRecursive(dir.Path()), std::vector<std::string>{"ferrolink.ini"});

  HANDLE locked = OpenHeld(f, GENERIC_READ, 0);
  EXPECT_FALSE(sys.settings.ReplaceWholeFile(f, "lost\r\n"));
  CloseHandle(locked);
  EXPECT_EQ(e2e::ReadFileBytes(f).value_or(""), "newer\r\n");
  EXPECT_EQ(e2e::ListFilesRecursive(dir.Path()), std::vector<std::string>{"ferrolink.ini"});
}

TEST_F(Win32SystemTest, SettingsValuesOfEveryShape) {
  std::string value;
  ASSERT_TRUE(e2e::RegSetDword(HKEY_CURRENT_USER, kKey, "Other", 1));
  EXPECT_EQ(sys.settings.SettingsFilePath(value), SettingsValue::Missing);
  ASSERT_TRUE(
      e2e::RegSetString(HKEY_CURRENT_USER, kKey, "Settings", "%TEMP%\\s.ini", REG_EXPAND_SZ));
  EXPECT_EQ(sys.settings.SettingsFilePath(value), SettingsValue::String);
  EXPECT_EQ(value, "%TEMP%\\s.ini");  // not expanded
  ASSERT_TRUE(e2e::RegSetBinary(HKEY_CURRENT_USER, kKey, "Settings", "C:\\x.ini", REG_SZ));
  EXPECT_EQ(sys.settings.SettingsFilePath(value), SettingsValue::String);  // stored without its NUL
  EXPECT_EQ(value, "C:\\x.ini");
}

TEST_F(Win32SystemTest, PathsAndTheFontsMeasure) {
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  std::string base = cwd;
  if (base.back() != '\\') base += '\\';
  EXPECT_EQ(sys.names.FullPath("sub/dir\\f.txt"), base + "sub\\dir\\f.txt");
  EXPECT_NE(sys.names.ProgramFile().find("ferrolink_win32_test.exe"), std::string::npos);
  std::string unc;
  EXPECT_FALSE(sys.names.UniversalName("C:\\windows\\", unc));
  // The network functions reach the system's mpr.dll, which answers that a
  // local drive is no network drive; a function that could not be loaded
  // would answer that there is no network.
  alignas(UNIVERSAL_NAME_INFOW) char buf[1024];
  DWORD size = sizeof buf;
  EXPECT_EQ(
      ferrolink::system_dlls::WNetGetUniversalNameW(L"C:\\", UNIVERSAL_NAME_INFO_LEVEL, buf, &size),
      static_cast<DWORD>(ERROR_NOT_CONNECTED));

  EXPECT_GT(sys.names.TextWidth("WWWW"), sys.names.TextWidth("iiii"));
  EXPECT_GT(sys.names.TextWidth("部品"), sys.names.TextWidth("."));
  const int w = sys.names.TextWidth("C:\\Daten\\Messung\\");
  EXPECT_GT(w, 40);
  EXPECT_LT(w, 160);
}

TEST_F(Win32SystemTest, ASaveKeepsTheFilesAttributesAndIsNotBlockedByALeftover) {
  const std::string f = dir / "ferrolink.ini";
  ASSERT_TRUE(e2e::WriteFileBytes(f, "old\r\n"));
  ASSERT_TRUE(SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_HIDDEN));
  // A temporary file of an earlier crash, read-only, and one held open.
  ASSERT_TRUE(e2e::WriteFileBytes(f + ".new", "half"));
  ASSERT_TRUE(SetFileAttributesA((f + ".new").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(sys.settings.ReplaceWholeFile(f, "new\r\n"));
  EXPECT_EQ(e2e::ReadFileBytes(f).value_or(""), "new\r\n");
  EXPECT_TRUE(GetFileAttributesA(f.c_str()) & FILE_ATTRIBUTE_HIDDEN);

  ASSERT_TRUE(e2e::WriteFileBytes(f + ".new", "half"));
  HANDLE held = OpenHeld(f + ".new", GENERIC_READ, FILE_SHARE_READ);
  EXPECT_TRUE(sys.settings.ReplaceWholeFile(f, "newer\r\n"));
  CloseHandle(held);
  EXPECT_EQ(e2e::ReadFileBytes(f).value_or(""), "newer\r\n");
  EXPECT_EQ(e2e::ListFilesRecursive(dir.Path()),
            (std::vector<std::string>{"ferrolink.ini", "ferrolink.ini.new"}));
}
