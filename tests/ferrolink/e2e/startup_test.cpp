// Ferrolink.exe under Wine: single instance, settings shown, saved and not
// saved, the version, the window's shape.
#include <windows.h>

#include <gtest/gtest.h>

#include "Driver.h"
#include "resource.h"

namespace {

const char kKey[] = "Software\\Quorlen\\Calyrix K9Q2";

// A running Ferrolink with a demo configuration in its own work folder.
class FerrolinkStartup : public ::testing::Test {
 protected:
  void SetUp() override {
    e2e::RegRemoveTree(HKEY_CURRENT_USER, kKey);
    e2e::MakeDirs(dir / "calyrix");
    e2e::MakeDirs(dir / "daten");
    e2e::MakeDirs(dir / "server");
  }
  void TearDown() override {
    if (app.Running()) {
      if (HWND w = e2e::FindTopWindow(app.Pid(), "TMainForm", "", false)) e2e::Close(w);
      app.Wait(5000);
    }
    e2e::RegRemoveTree(HKEY_CURRENT_USER, kKey);
  }
  void Configure(const std::string& own_ini) {
    ASSERT_TRUE(e2e::RegSetString(HKEY_CURRENT_USER, kKey, "Settings", dir / "calyrix\\k9q2.ini"));
    ASSERT_TRUE(e2e::WriteFileBytes(dir / "calyrix\\k9q2.ini",
                                    "[Directories]\r\nDatafiles=" + dir / "daten" + "\r\n"));
    if (!own_ini.empty()) {
      ASSERT_TRUE(e2e::WriteFileBytes(dir / "calyrix\\ferrolink.ini", own_ini));
    }
  }
  HWND Start(const std::string& exe = FERROLINK_EXE) {
    app = e2e::Program::Start(exe);
    HWND w = e2e::WaitForTopWindow(app.Pid(), "TMainForm");
    EXPECT_TRUE(w) << "no main window";
    return w;
  }
  static HWND Item(HWND w, int group, int id) {
    return GetDlgItem(group ? GetDlgItem(w, group) : w, id);
  }

  e2e::WorkDir dir = e2e::TestWorkDir();
  e2e::Program app;
};

}  // namespace

TEST_F(FerrolinkStartup, ShowsSettingsVersionAndTheWindow) {
  // Short paths, so that the target is shown whole; the source is long and
  // is shortened from the left to fit the field.
  const e2e::WorkDir home("C:\\fl", "show");
  const std::string source = home / "Messdaten\\Maschine 1\\Auftrag 2012-0815\\Bauteil A\\Serie\\";
  ASSERT_TRUE(e2e::MakeDirs(source));
  ASSERT_TRUE(e2e::MakeDirs(home / "server"));
  ASSERT_TRUE(e2e::RegSetString(HKEY_CURRENT_USER, kKey, "Settings", home / "k9q2.ini"));
  ASSERT_TRUE(
      e2e::WriteFileBytes(home / "k9q2.ini", "[Directories]\r\nDatafiles=" + source + "\r\n"));
  const std::string own = "[General]\r\nTarget=" + home / "server" + "\r\nDelete=0\r\n";
  ASSERT_TRUE(e2e::WriteFileBytes(home / "ferrolink.ini", own));
  HWND w = Start();
  ASSERT_TRUE(w);
  EXPECT_EQ(e2e::Text(w), "Ferrolink - Netzwerksuche ...");
  const RECT client = e2e::ClientRect(w);
  EXPECT_EQ(client.right, 449);
  EXPECT_EQ(client.bottom, 417);
  HWND title = e2e::FindTopWindow(app.Pid(), "TApplication", "", false);
  ASSERT_TRUE(title);
  EXPECT_EQ(e2e::Text(title), "Ferrolink");

  EXPECT_EQ(e2e::Text(Item(w, 0, IDC_LABELVERSION)), "Version: V2012.1.0.0");
  EXPECT_EQ(e2e::Text(Item(w, IDC_GROUPBOXTARGET, IDC_EDITTARGET)), "C:\\fl\\show\\server\\");
  const std::string shown = e2e::Text(Item(w, IDC_GROUPBOXDONE, IDC_LABELSOURCE));
  EXPECT_EQ(shown.rfind("C:\\...\\", 0), 0u) << shown;
  EXPECT_NE(shown.find("\\Bauteil A\\Serie\\"), std::string::npos) << shown;
  EXPECT_EQ(e2e::Text(Item(w, IDC_GROUPBOXDONE, IDC_LABELSTATUS)), "---");
  HWND message = Item(w, IDC_GROUPBOXTARGET, IDC_LABELMESSAGE);
  EXPECT_FALSE(e2e::Visible(message));
  EXPECT_TRUE(e2e::Visible(Item(w, IDC_GROUPBOXTARGET, IDC_FAILEDIMAGE)));
  HWND box = Item(w, IDC_GROUPBOXSETUP, IDC_CHECKBOXDELETE);
  EXPECT_EQ(e2e::Text(box),
            "Quelldateien nach \xDC"
            "bertragung l\xF6schen.");
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // Positions relative to the parent, as laid out.
  const RECT edit = e2e::RectInParent(Item(w, IDC_GROUPBOXTARGET, IDC_EDITTARGET));
  EXPECT_EQ(edit.left, 64);
  EXPECT_EQ(edit.top, 36);
  EXPECT_EQ(edit.right - edit.left, 305);
  EXPECT_EQ(edit.bottom - edit.top, 21);
  const RECT mini = e2e::RectInParent(Item(w, 0, IDC_BUTTONMINI));
  EXPECT_EQ(mini.left, 328);
  EXPECT_EQ(mini.top, 376);
  EXPECT_EQ(e2e::Text(Item(w, 0, IDC_BUTTONMINI)), "Minimieren");

  // Tab order of the window's direct children: the button, then the frames.
  std::vector<int> order;
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP || GetDlgCtrlID(c) == IDC_GROUPBOXTARGET ||
        GetDlgCtrlID(c) == IDC_GROUPBOXDONE || GetDlgCtrlID(c) == IDC_GROUPBOXSETUP) {
      order.push_back(GetDlgCtrlID(c));
    }
  }
  EXPECT_EQ(order, (std::vector<int>{IDC_BUTTONMINI, IDC_GROUPBOXTARGET, IDC_GROUPBOXDONE,
                                     IDC_GROUPBOXSETUP}));
  EXPECT_EQ(GetWindowLongA(Item(w, IDC_GROUPBOXTARGET, IDC_EDITTARGET), GWL_STYLE) & ES_READONLY,
            ES_READONLY);
  // A fixed frame: no sizing border, no maximise box.
  const LONG style = GetWindowLongA(w, GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);

  // Nothing was saved at start with Delete off.
  EXPECT_EQ(e2e::ReadFileBytes(home / "ferrolink.ini").value_or(""), own);

  // A click on the box saves at once.
  e2e::Click(box);
  const std::string saved = "[General]\r\nTarget=" + home / "server" + "\r\nDelete=1\r\n\r\n";
  EXPECT_TRUE(e2e::WaitUntil(
      [&] { return e2e::ReadFileBytes(home / "ferrolink.ini").value_or("") == saved; }));

  e2e::Close(w);
  EXPECT_EQ(app.Wait(5000), std::optional<DWORD>(0));
}

TEST_F(FerrolinkStartup, SecondInstanceEndsAtOnceWithoutWindow) {
  Configure("[General]\r\nTarget=" + dir / "server" + "\r\n");
  ASSERT_TRUE(Start());
  e2e::Program second = e2e::Program::Start(FERROLINK_EXE);
  EXPECT_EQ(second.Wait(10000), std::optional<DWORD>(0));
  EXPECT_TRUE(e2e::TopWindows(second.Pid(), false).empty());
  EXPECT_TRUE(app.Running());
}

TEST_F(FerrolinkStartup, DeleteOnIsWrittenBackAtOnceWithoutComments) {
  Configure("; written by hand\r\n[General]\r\n; the server\r\nTarget=" + dir / "server\\" +
            "\r\ndelete=0x1\r\n");
  HWND w = Start();
  ASSERT_TRUE(w);
  const std::string expected = "[General]\r\nTarget=" + dir / "server" + "\r\nDelete=1\r\n\r\n";
  EXPECT_TRUE(e2e::WaitUntil(
      [&] { return e2e::ReadFileBytes(dir / "calyrix\\ferrolink.ini").value_or("") == expected; }));
  EXPECT_EQ(SendMessageA(Item(w, IDC_GROUPBOXSETUP, IDC_CHECKBOXDELETE), BM_GETCHECK, 0, 0),
            BST_CHECKED);
}

TEST_F(FerrolinkStartup, NoRegistryKeyMeansNothingIsEverSaved) {
  const std::string own = "[General]\r\nTarget=" + dir / "server" + "\r\nDelete=1\r\n";
  ASSERT_TRUE(e2e::WriteFileBytes(dir / "calyrix\\ferrolink.ini", own));
  app = e2e::Program::Start(FERROLINK_EXE, {}, dir.Path());
  HWND w = e2e::WaitForTopWindow(app.Pid(), "TMainForm");
  ASSERT_TRUE(w);
  EXPECT_EQ(e2e::Text(Item(w, IDC_GROUPBOXTARGET, IDC_EDITTARGET)), "");
  HWND box = Item(w, IDC_GROUPBOXSETUP, IDC_CHECKBOXDELETE);
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  e2e::Click(box);
  EXPECT_TRUE(e2e::WaitUntil([&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  e2e::Close(w);
  EXPECT_EQ(app.Wait(5000), std::optional<DWORD>(0));
  EXPECT_EQ(e2e::ReadFileBytes(dir / "calyrix\\ferrolink.ini").value_or(""), own);
  EXPECT_FALSE(e2e::FileExists(dir / "ferrolink.ini"));  // nor in the current folder
}

TEST_F(FerrolinkStartup, WrongValueTypeIsReportedAndTheWindowStillComesUp) {
  ASSERT_TRUE(e2e::RegSetDword(HKEY_CURRENT_USER, kKey, "Settings", 1));
  app = e2e::Program::Start(FERROLINK_EXE);
  const auto text = e2e::AnswerMessageBox(app.Pid(), "Ferrolink");
  EXPECT_EQ(text.value_or("<no box>"), "Ung\xFCltiger Datentyp f\xFCr 'Settings'");
  HWND w = e2e::WaitForTopWindow(app.Pid(), "TMainForm");
  ASSERT_TRUE(w);
  EXPECT_EQ(e2e::Text(Item(w, 0, IDC_LABELVERSION)), "Version: V2012.1.0.0");
}

TEST_F(FerrolinkStartup, MinimiseButtonSendsTheProgramToTheTaskBar) {
  Configure("[General]\r\nTarget=" + dir / "server" + "\r\n");
  HWND w = Start();
  ASSERT_TRUE(w);
  HWND title = e2e::FindTopWindow(app.Pid(), "TApplication", "", false);
  e2e::Click(Item(w, 0, IDC_BUTTONMINI));
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsIconic(title) && !e2e::Visible(w); }));
  PostMessageA(title, WM_SYSCOMMAND, SC_RESTORE, 0);  // the task-bar entry clicked
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Visible(w); }));
}

// From a folder that holds DLLs named like the system's, which the dialog
// leaves alone.
TEST_F(FerrolinkStartup, CancelledFolderChoiceKeepsTargetAndSettings) {
  const std::string own = "[General]\r\nTarget=" + dir / "server" + "\r\n";
  Configure(own);
  const std::string exe = dir / "Ferrolink.exe";
  ASSERT_TRUE(CopyFileA(e2e::WinPath(FERROLINK_EXE).c_str(), exe.c_str(), FALSE));
  const e2e::PlantedDlls planted(exe);
  ASSERT_TRUE(planted.Planted());
  HWND w = Start(exe);
  ASSERT_TRUE(w);
  HWND edit = Item(w, IDC_GROUPBOXTARGET, IDC_EDITTARGET);
  const std::string shown = e2e::Text(edit);
  e2e::Click(Item(w, IDC_GROUPBOXTARGET, IDC_SPEEDBUTTONDIR));
  // The shell's folder dialog, with the title line in one of its texts.
  HWND dialog = nullptr;
  ASSERT_TRUE(e2e::WaitUntil([&] {
    for (HWND top : e2e::TopWindows(app.Pid())) {
      if (e2e::ClassOf(top) == "#32770" &&
          e2e::FindChild(top, "Static", "W\xE4hlen Sie das Serververzeichnis")) {
        dialog = top;
      }
    }
    return dialog != nullptr;
  }));
  EXPECT_FALSE(IsWindowEnabled(w));  // the main window waits for the dialog
  e2e::Click(GetDlgItem(dialog, IDCANCEL));
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowEnabled(w) && !IsWindow(dialog); }));
  EXPECT_EQ(e2e::Text(edit), shown);
  EXPECT_EQ(e2e::ReadFileBytes(dir / "calyrix\\ferrolink.ini").value_or(""), own);
  e2e::Close(w);
  EXPECT_EQ(app.Wait(5000), std::optional<DWORD>(0));
  EXPECT_EQ(planted.Loaded(), std::vector<std::string>{});
}
