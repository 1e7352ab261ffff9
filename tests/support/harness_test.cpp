// Checks the test prefix itself: the facts every tool's Wine tests rely on.
#include <windows.h>

#include <gtest/gtest.h>

#include "Driver.h"

TEST(Harness, AnsiCodePageIs1252) {
  EXPECT_EQ(GetACP(), 1252u);
}

TEST(Harness, RegistryAndFilesRoundTrip) {
  const std::string key = "Software\\ToolsHarnessTest";
  ASSERT_TRUE(e2e::RegSetString(HKEY_CURRENT_USER, key, "Value",
                                "Gr\xFC\xDF"
                                "e"));
  EXPECT_EQ(e2e::RegGetString(HKEY_CURRENT_USER, key, "Value").value_or(""),
            "Gr\xFC\xDF"
            "e");
  EXPECT_TRUE(e2e::RegRemoveTree(HKEY_CURRENT_USER, key));
  EXPECT_FALSE(e2e::RegGetString(HKEY_CURRENT_USER, key, "Value").has_value());

  const e2e::WorkDir dir = e2e::TestWorkDir();
  ASSERT_TRUE(e2e::MakeDirs(dir / "a\\b"));
  ASSERT_TRUE(e2e::WriteFileBytes(dir / "a\\b\\Mässung.txt", std::string("x\0y", 3)));
  EXPECT_EQ(e2e::ReadFileBytes(dir / "a\\b\\Mässung.txt").value_or(""), std::string("x\0y", 3));
  EXPECT_EQ(e2e::ListFilesRecursive(dir.Path()), std::vector<std::string>{"a\\b\\Mässung.txt"});
}

TEST(Harness, WindowsVersionCanBeChosenPerProgram) {
  EXPECT_TRUE(e2e::SetWindowsVersion("SomeTool.exe", "win8"));
  EXPECT_EQ(
      e2e::RegGetString(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\SomeTool.exe", "Version")
          .value_or(""),
      "win8");
  EXPECT_TRUE(e2e::SetWindowsVersion("SomeTool.exe", ""));
}
