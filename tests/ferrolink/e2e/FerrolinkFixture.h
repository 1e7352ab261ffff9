// The fixture of Ferrolink.exe's end-to-end tests: the instrument
// software's registry value and settings files, a source folder, the
// program started, its window found, and ticks forced.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Driver.h"
#include "resource.h"

inline constexpr char kKey[] = "Software\\Quorlen\\Calyrix K9Q2";
using Files = std::vector<std::string>;

class FerrolinkCycle : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::RegRemoveTree(HKEY_CURRENT_USER, kKey);
    ASSERT_TRUE(e2e::MakeDirs(settings));
    ASSERT_TRUE(e2e::MakeDirs(source));
  }
  void TearDown() override {
    if (app.Running()) {
      e2e::Close(w);
      app.Wait(5000);
    }
    e2e::RegRemoveTree(HKEY_CURRENT_USER, kKey);
  }
  // Source dir\daten, target as given, delete mode on or off.
  void Start(const std::string& target, bool delete_mode) {
    WriteSettings(target, delete_mode);
    Launch();
  }
  void WriteSettings(const std::string& target, bool delete_mode) {
    ASSERT_TRUE(e2e::RegSetString(HKEY_CURRENT_USER, kKey, "Settings", settings + "k9q2.ini"));
    ASSERT_TRUE(e2e::WriteFileBytes(settings + "k9q2.ini",
                                    "[Directories]\r\nDatafiles=" + source + "\r\n"));
    ASSERT_TRUE(e2e::WriteFileBytes(
        settings + "ferrolink.ini",
        "[General]\r\nTarget=" + target + "\r\nDelete=" + (delete_mode ? "1" : "0") + "\r\n"));
  }
  // Starts Ferrolink.exe; `box`: the text of an error it shows first.
  void Launch(const std::string& box = "", const std::string& exe = FERROLINK_EXE) {
    app = e2e::Program::Start(exe);
    if (!box.empty()) {
      EXPECT_EQ(e2e::AnswerMessageBox(app.Pid(), "Ferrolink").value_or("<no box>"), box);
    }
    w = e2e::WaitForTopWindow(app.Pid(), "TMainForm");
    ASSERT_TRUE(w) << "no main window";
    title = e2e::FindTopWindow(app.Pid(), "TApplication", "", false);
    ASSERT_TRUE(title);
  }
  // Starts Ferrolink.exe with Wine's debug channels `channels`, their trace
  // in the file `trace`: Wine writes it to its loader's standard error, so
  // a shell starts the loader (the 64-bit build names its own).
  void LaunchTraced(const std::string& channels, const std::string& trace) {
    char loader[MAX_PATH] = "wine";
    GetEnvironmentVariableA("WINELOADER", loader, MAX_PATH);
    ASSERT_TRUE(e2e::StartLinux(
        "/bin/sh", {"-c", "WINEDEBUG=" + channels + " exec '" + std::string(loader) +
                              "' '" FERROLINK_EXE "' 2>'" + e2e::LinuxPath(trace) + "'"}));
    ASSERT_TRUE(e2e::WaitUntil([&] { return (w = FindWindowA("TMainForm", nullptr)) != nullptr; }))
        << "no main window";
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    app = e2e::Program::Adopt(pid);
  }
  void Tick() { e2e::PostTimer(w, IDT_TIMERFIND); }
  bool WaitCaption(const std::string& caption) {
    return e2e::WaitUntil([&] { return e2e::Text(w) == caption; });
  }
  // The window shows what the cycle posts a moment after the files moved:
  // a text is waited for.
  bool WaitText(HWND window, const std::string& text) {
    return e2e::WaitUntil([&] { return e2e::UnicodeText(window) == text; });
  }
  bool WaitFiles(const std::string& folder, const Files& files) {
    return e2e::WaitUntil([&] { return e2e::ListFilesRecursive(folder) == files; });
  }
  HWND Item(int group, int id) { return GetDlgItem(GetDlgItem(w, group), id); }
  std::string Label(int id) { return e2e::Text(Item(IDC_GROUPBOXDONE, id)); }
  void Put(const std::string& rel) {
    const std::string path = source + rel;
    ASSERT_TRUE(e2e::MakeDirs(path.substr(0, path.find_last_of('\\'))));
    ASSERT_TRUE(e2e::WriteFileBytes(path, "Messung " + rel));
  }
  void Close() {
    e2e::Close(w);
    EXPECT_EQ(app.Wait(5000), std::optional<DWORD>(0));
  }

  e2e::WorkDir dir = e2e::TestWorkDir();
  const std::string source = dir / "daten\\";
  // The instrument settings' folder, with Ferrolink's settings and journal.
  std::string settings = dir / "calyrix\\";
  e2e::Program app;
  HWND w = nullptr;
  HWND title = nullptr;
};
