// End to end: the real Viewerprobe.exe under Wine, with the Windows version
// chosen per test and a Windows directory of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Driver.h"
#include "HelpViewerCheck.h"

namespace {

constexpr const char* kExeName = "Viewerprobe.exe";

// Windows directory of the test: the work folder without its final backslash.
std::string WinDirOf(const e2e::WorkDir& dir) {
  std::string path = dir.Path();
  path.pop_back();
  return path;
}

e2e::Program StartProbe(const std::string& windowsVersion, const e2e::WorkDir& winDir,
                        const std::string& exe = VIEWERPROBE_EXE) {
  EXPECT_TRUE(e2e::SetWindowsVersion(kExeName, windowsVersion));
  return e2e::Program::Start(exe, {{"WinDir", WinDirOf(winDir)}});
}

HWND WaitForNotice(const e2e::Program& program) {
  return e2e::WaitForTopWindow(program.Pid(), "", viewerprobe::NoticeCaption());
}

// Waits for the program's end; false when it showed a visible window meanwhile
// or did not end within the time.
bool EndsWithoutWindow(e2e::Program& program) {
  bool sawWindow = false;
  const bool ended = e2e::WaitUntil([&] {
    if (!e2e::TopWindows(program.Pid()).empty()) sawWindow = true;
    return !program.Running();
  });
  return ended && !sawWindow && program.Wait(0) == 0u;
}

std::vector<HWND> VisibleButtons(HWND window) {
  std::vector<HWND> out;
  for (HWND c : e2e::Descendants(window)) {
    if (_stricmp(e2e::ClassOf(c).c_str(), "Button") == 0 && e2e::Visible(c)) out.push_back(c);
  }
  return out;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void ExpectRect(HWND control, LONG left, LONG top, LONG width, LONG height) {
  const RECT r = e2e::RectInParent(control);
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right - r.left, width);
  EXPECT_EQ(r.bottom - r.top, height);
}

class Viewerprobe : public ::testing::Test {
 protected:
  void TearDown() override { e2e::SetWindowsVersion(kExeName, ""); }
  // Starts the program as the given Windows version: the notice must appear,
  // and closing it must end the program with 0.
  void ExpectNoticeClosedEnds(const std::string& windowsVersion, const char* why = "",
                              const std::string& exe = VIEWERPROBE_EXE) {
    e2e::Program program = StartProbe(windowsVersion, winDir, exe);
    HWND notice = WaitForNotice(program);
    ASSERT_TRUE(notice) << why;
    e2e::Close(notice);
    EXPECT_EQ(program.Wait(), 0u);
  }
  e2e::WorkDir winDir = e2e::TestWorkDir();
};

TEST_F(Viewerprobe, NoticeShowsCaptionTextAndOnlyOk_OkEndsTheProgram) {
  e2e::Program program = StartProbe("win8", winDir);
  HWND notice = WaitForNotice(program);
  ASSERT_TRUE(notice) << "no notice window";

  HWND text = e2e::FindChild(notice, "Edit", viewerprobe::NoticeText());
  EXPECT_TRUE(text && e2e::Visible(text)) << "the notice text is not in the text box";
  const std::vector<HWND> buttons = VisibleButtons(notice);
  ASSERT_EQ(buttons.size(), 1u);
  EXPECT_EQ(e2e::Text(buttons[0]), "OK");
  HWND yes = e2e::FindChild(notice, "Button", "Yes");
  EXPECT_TRUE(yes && !e2e::Visible(yes));
  EXPECT_TRUE(program.Running());

  e2e::Click(buttons[0]);
  EXPECT_EQ(program.Wait(), 0u);
}

TEST_F(Viewerprobe, NoticeWindowFollowsTheLayoutAndEnterOnOkEndsIt) {
  e2e::Program program = StartProbe("win8", winDir);
  HWND notice = WaitForNotice(program);
  ASSERT_TRUE(notice);

  const RECT client = e2e::ClientRect(notice);
  EXPECT_EQ(client.right, 498);
  EXPECT_EQ(client.bottom, 233);
  const LONG style = GetWindowLongA(notice, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  EXPECT_EQ(GetWindow(notice, GW_OWNER), nullptr);

  HWND text = GetDlgItem(notice, 103);
  HWND yes = GetDlgItem(notice, 101);
  HWND ok = GetDlgItem(notice, 102);
  ASSERT_TRUE(text && yes && ok);
  ExpectRect(text, 8, 16, 481, 177);
  ExpectRect(yes, 320, 200, 81, 25);
  ExpectRect(ok, 408, 200, 81, 25);
  const LONG textStyle = GetWindowLongA(text, GWL_STYLE);
  EXPECT_EQ(textStyle & (ES_MULTILINE | ES_READONLY), ES_MULTILINE | ES_READONLY);
  // No scroll bars, and long lines wrap instead of scrolling sideways.
  EXPECT_EQ(textStyle & (WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL), 0);

  // "OK" is the first control that can take the focus, and Enter presses it.
  ASSERT_TRUE(e2e::WaitUntil([&] { return FocusOf(notice) == ok; }, 5000))
      << "focus is on " << FocusOf(notice);
  e2e::PressKey(ok, VK_RETURN);
  EXPECT_EQ(program.Wait(), 0u);
}

TEST_F(Viewerprobe, ClosingTheNoticeEndsTheProgram) {
  ExpectNoticeClosedEnds("win8");
}

// A log-off, and an installer that closes the program to replace it (after
// which Windows ends nothing itself): the notice agrees and the program ends
// with 0 within 3 s.
TEST_F(Viewerprobe, LoggingOffOrAnInstallersCloseEndsTheProgram) {
  for (const LPARAM why : {static_cast<LPARAM>(ENDSESSION_LOGOFF), LPARAM{ENDSESSION_CLOSEAPP}}) {
    SCOPED_TRACE(why == static_cast<LPARAM>(ENDSESSION_LOGOFF) ? "log-off" : "installer");
    e2e::Program program = StartProbe("win8", winDir);
    HWND notice = WaitForNotice(program);
    ASSERT_TRUE(notice);
    EXPECT_TRUE(e2e::EndSession(notice, why));
    EXPECT_EQ(program.Wait(3000), std::optional<DWORD>(0));
  }
}

TEST_F(Viewerprobe, SmallFileOrDirectoryOfTheViewerNameGetsTheNotice) {
  ASSERT_TRUE(e2e::WriteFileBytes(winDir / "Winhlp32.exe", std::string(40000, 'h')));
  ExpectNoticeClosedEnds("win8", "40000 bytes are no viewer");
  ASSERT_TRUE(DeleteFileA((winDir / "Winhlp32.exe").c_str()));
  ASSERT_TRUE(e2e::MakeDirs(winDir / "Winhlp32.exe"));
  ExpectNoticeClosedEnds("win8", "a directory is no viewer");
}

TEST_F(Viewerprobe, Windows10StillReports62SoTheNoticeAppears) {
  // Holds only while the program declares no support for later systems.
  ExpectNoticeClosedEnds("win10");
}

// DLLs named like the system's beside the program: the notice loads none.
TEST_F(Viewerprobe, NoDllBesideTheProgramIsLoaded) {
  const std::string exe = winDir / "programm\\Viewerprobe.exe";
  ASSERT_TRUE(e2e::MakeDirs(winDir / "programm"));
  ASSERT_TRUE(CopyFileA(e2e::WinPath(VIEWERPROBE_EXE).c_str(), exe.c_str(), FALSE));
  const e2e::PlantedDlls planted(exe);
  ASSERT_TRUE(planted.Planted());
  ExpectNoticeClosedEnds("win8", "", exe);
  EXPECT_EQ(planted.Loaded(), std::vector<std::string>{});
}

TEST_F(Viewerprobe, Windows7EndsAtOnceWithoutWindow) {
  e2e::Program program = StartProbe("win7", winDir);
  EXPECT_TRUE(EndsWithoutWindow(program));
}

TEST_F(Viewerprobe, ViewerPresentEndsAtOnceWithoutWindow) {
  ASSERT_TRUE(e2e::WriteFileBytes(winDir / "Winhlp32.exe", std::string(40001, 'h')));
  e2e::Program program = StartProbe("win8", winDir);
  EXPECT_TRUE(EndsWithoutWindow(program));
}

// ---- resources of the executable ---------------------------------------------

class ViewerprobeResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module =
        LoadLibraryExA(e2e::WinPath(VIEWERPROBE_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module);
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
  }
  std::string Resource(LPCSTR type, LPCSTR name) {
    HRSRC found = FindResourceA(module, name, type);
    if (!found) return "";
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return data ? std::string(data, SizeofResource(module, found)) : "";
  }
  HMODULE module = nullptr;
};

TEST_F(ViewerprobeResources, IconHas16_32And256Pixels) {
  const std::string group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEA(1));
  ASSERT_GE(group.size(), 6u);
  const unsigned count = static_cast<unsigned char>(group[4]);
  ASSERT_EQ(group.size(), 6u + 14u * count);
  std::vector<int> widths;
  for (unsigned i = 0; i < count; ++i) {
    const int w = static_cast<unsigned char>(group[6 + 14 * i]);
    widths.push_back(w == 0 ? 256 : w);
  }
  EXPECT_EQ(widths, (std::vector<int>{16, 32, 256}));
}

TEST_F(ViewerprobeResources, VersionIs2012_01) {
  const std::string path = e2e::WinPath(VIEWERPROBE_EXE);
  DWORD handle = 0;
  std::string info(GetFileVersionInfoSizeA(path.c_str(), &handle), '\0');
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
  EXPECT_EQ(fixed->dwFileVersionMS, (2012u << 16) | 1u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  char* text = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040704E4\\FileVersion",
                             reinterpret_cast<void**>(&text), &size));
  EXPECT_STREQ(text, "2012.01");
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
  reinterpret_cast<std::vector<LPSTR>*>(list)->push_back(name);
  return TRUE;
}

TEST_F(ViewerprobeResources, NoManifestDeclaresWindows81OrLater) {
  std::vector<LPSTR> names;
  EnumResourceNamesA(module, RT_MANIFEST, CollectName, reinterpret_cast<LONG_PTR>(&names));
  for (LPSTR name : names) {
    std::string manifest = Resource(RT_MANIFEST, name);
    for (char& c : manifest) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(manifest.find("1f676c76-80e1-4239-95bb-83d0f6d0da78"), std::string::npos)
        << "declares Windows 8.1";
    EXPECT_EQ(manifest.find("8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"), std::string::npos)
        << "declares Windows 10";
  }
}

}  // namespace
