// The real system access of the help-viewer check, against the files and the
// environment of the test prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "Driver.h"
#include "Win32ProbeSystem.h"

namespace viewerprobe {
namespace {

TEST(Win32ProbeSystem, EnvironmentValue) {
  Win32ProbeSystem system;
  const std::string longValue(1000, 'x');  // longer than a first guess of MAX_PATH
  ASSERT_TRUE(SetEnvironmentVariableA("VIEWERPROBE_TEST_VALUE", longValue.c_str()));
  EXPECT_EQ(system.EnvironmentValue("VIEWERPROBE_TEST_VALUE"), longValue);
  // Names are case-insensitive, as on Windows.
  EXPECT_EQ(system.EnvironmentValue("viewerprobe_test_value"), longValue);
  ASSERT_TRUE(SetEnvironmentVariableA("VIEWERPROBE_TEST_VALUE", nullptr));
  EXPECT_EQ(system.EnvironmentValue("VIEWERPROBE_TEST_VALUE"), "");
}

TEST(Win32ProbeSystem, AttributesAndLength) {
  Win32ProbeSystem system;
  const e2e::WorkDir dir = e2e::TestWorkDir();
  const std::string file = dir / "Winhlp32.exe";
  ASSERT_TRUE(e2e::WriteFileBytes(file, std::string(40001, 'h')));
  ASSERT_TRUE(e2e::MakeDirs(dir / "sub\\Winhlp32.exe"));

  EXPECT_EQ(system.FileAttributes(dir / "missing.exe"), kInvalidFileAttributes);
  EXPECT_EQ(system.FileAttributes(file) & kFileAttributeDirectory, 0u);
  EXPECT_NE(system.FileAttributes(dir / "sub\\Winhlp32.exe") & kFileAttributeDirectory, 0u);

  EXPECT_EQ(system.FileLength(file), 40001);
  EXPECT_EQ(system.FileLength(dir / "missing.exe"), std::nullopt);

  // A file that another program holds open without sharing is still measured.
  HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(system.FileLength(file), 40001);
  CloseHandle(held);
}

TEST(Win32ProbeSystem, QueryVersion) {
  Win32ProbeSystem system;
  OsVersionRecord record;
  std::memset(&record, 0, sizeof record);
  record.size = sizeof record;
  ASSERT_TRUE(system.QueryVersion(record));
  EXPECT_EQ(record.size, 148u);
  EXPECT_EQ(record.platform, kPlatformWin32Nt);
  EXPECT_GE(record.major, 5u);

  // A record of the wrong size is refused and left as it was.
  OsVersionRecord wrong;
  std::memset(&wrong, 0, sizeof wrong);
  wrong.size = 100;
  EXPECT_FALSE(system.QueryVersion(wrong));
  EXPECT_EQ(wrong.major, 0u);
  EXPECT_EQ(wrong.platform, 0u);
}

}  // namespace
}  // namespace viewerprobe
