// Checks the test prefix itself: the facts every tool's Wine tests rely on.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>

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

// The tests' own misbehaving server, as a Windows program sees each mode.
TEST(Harness, TheMisbehavingServerDoesWhatItsModeSays) {
  const e2e::WorkDir dir = e2e::TestWorkDir();
  e2e::FuseServer server(dir / "server");
  if (!server.Mounted()) GTEST_SKIP() << "FUSE cannot be mounted: " << server.Why();
  // Not a whole number of sectors: the last write is a partial one.
  std::string data;
  for (int i = 0; i < 5000; ++i) data += static_cast<char>('a' + i % 26);
  const auto written_back = [&](const std::string& name) -> std::string {
    if (!e2e::WriteFileBytes(server / name, data)) return "fails";
    const std::optional<std::string> back = e2e::ReadFileBytes(server / name);
    if (!back) return "fails";
    return *back == data ? "same" : back->size() == data.size() ? "differs" : "other size";
  };
  const auto moved = [&](const std::string& from, const std::string& to, DWORD flags) {
    return MoveFileExW(e2e::Wide(server / from).c_str(), e2e::Wide(server / to).c_str(), flags)
               ? std::string("ok")
               : "error " + std::to_string(GetLastError());
  };
  const auto opened = [&](const std::string& name) {
    HANDLE h = CreateFileW(e2e::Wide(server / name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "fails";
    CloseHandle(h);
    return "ok";
  };
  // A read from another thread waits while the server stalls, and the
  // server still takes a new mode meanwhile.
  const auto stalled_read = [&](const std::string& name) -> std::string {
    std::atomic<bool> done{false};
    std::optional<std::string> back;
    std::thread reader([&] {
      back = e2e::ReadFileBytes(server / name);
      done = true;
    });
    const bool waited = e2e::WaitUntil([&] { return server.Waiting() > 0; }, 5000) && !done;
    const bool answered = server.SetMode("normal") && e2e::WaitUntil([&] { return done.load(); });
    reader.join();
    return std::string(waited ? "waited" : "did not wait") + (answered ? ", then " : ", stuck, ") +
           (back == data ? "same" : "other");
  };
  const struct {
    const char* mode;
    std::function<std::string()> act;
    const char* outcome;
  } rows[] = {
      {"normal", [&] { return written_back("a.dat"); }, "same"},
      {"damage d*", [&] { return written_back("d.dat"); }, "differs"},
      {"damage d*", [&] { return written_back("e.dat"); }, "same"},
      {"refuse-replace", [&] { return moved("e.dat", "a.dat", MOVEFILE_REPLACE_EXISTING); },
       "error 5"},
      {"refuse-replace", [&] { return moved("e.dat", "f.dat", 0); }, "ok"},
      {"after 7000 gone",
       [&] {
         const std::string first = written_back("g.dat");
         return first + ", then " + written_back("h.dat");
       },
       "same, then fails"},
      {"gone", [&] { return opened("a.dat"); }, "fails"},
      {"stall", [&] { return stalled_read("a.dat"); }, "waited, then same"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.mode);
    ASSERT_TRUE(server.SetMode(row.mode));
    EXPECT_EQ(row.act(), row.outcome);
  }
  // Counted by the name each was written under, renamed or not.
  EXPECT_EQ(server.BytesWritten("a.dat"), data.size());
  EXPECT_EQ(server.BytesWritten("e.dat"), data.size());
  EXPECT_EQ(server.BytesWritten("f.dat"), 0u);
  EXPECT_EQ(server.BytesWritten("h.dat"), 0u);
  EXPECT_EQ(server.BytesWritten(), 4 * data.size());
}
