// Ferrolink.exe's watch cycle under Wine: forced ticks over real folders,
// the states in caption, task-bar text and pictures, the transfer in both
// modes, read-only and locked files, and the labels read across processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "Driver.h"
#include "FerrolinkFixture.h"
#include "resource.h"

TEST_F(FerrolinkCycle, DeleteModeMovesTheTreeAndLeavesReadOnlyFiles) {
  Put("a.dfq");
  Put("Teil 1\\b.dfq");
  Put("Teil 1\\Serie\\c.dfq");
  Put("schreibgeschützt.dfq");
  ASSERT_TRUE(SetFileAttributesW(e2e::Wide(source + "schreibgeschützt.dfq").c_str(),
                                 FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(e2e::MakeDirs(source + "Leer"));
  ASSERT_TRUE(e2e::MakeDirs(dir / "server"));
  Start(dir / "server", true);
  EXPECT_EQ(e2e::Text(w), "Ferrolink - Netzwerksuche ...");
  Tick();
  ASSERT_TRUE(WaitFiles(source, Files{"schreibgeschützt.dfq"}))
      << "left in the source: " << e2e::ListFilesRecursive(source).size();
  EXPECT_EQ(e2e::ListFilesRecursive(dir / "server"),
            (Files{"Teil 1\\Serie\\c.dfq", "Teil 1\\b.dfq", "a.dfq"}));
  EXPECT_EQ(e2e::ReadFileBytes(dir / "server\\Teil 1\\Serie\\c.dfq").value_or(""),
            "Messung Teil 1\\Serie\\c.dfq");
  EXPECT_FALSE(e2e::DirExists(dir / "server\\Leer"));
  EXPECT_TRUE(e2e::DirExists(source + "Teil 1\\Serie"));  // folders stay at the source
  EXPECT_TRUE(WaitText(Item(IDC_GROUPBOXDONE, IDC_LABELSTATUS), "3 Datei(en) transferiert."));
  EXPECT_EQ(Label(IDC_LABELBRANCH), "Teil 1\\Serie\\c.dfq");
  EXPECT_EQ(e2e::Text(w), "Ferrolink - Netz OK");
  EXPECT_EQ(e2e::Text(title), "Ferrolink: c.dfq");  // until the state changes
  EXPECT_TRUE(IsIconic(title));                     // the first reachable tick
  Close();
}

TEST_F(FerrolinkCycle, ShowsTheNetworkStatesAsTheTargetComesAndGoes) {
  Put("m.dfq");
  Start(dir / "server", true);
  HWND failed = Item(IDC_GROUPBOXTARGET, IDC_FAILEDIMAGE);
  HWND message = Item(IDC_GROUPBOXTARGET, IDC_LABELMESSAGE);
  Tick();
  ASSERT_TRUE(WaitCaption("Ferrolink - Kein Netz"));
  EXPECT_TRUE(WaitText(title, "Ferrolink: Kein Netz"));
  EXPECT_TRUE(e2e::Visible(failed));
  EXPECT_FALSE(e2e::Visible(message));
  EXPECT_FALSE(e2e::DirExists(dir / "server"));  // the tick does not create the target
  EXPECT_FALSE(IsIconic(title));

  ASSERT_TRUE(e2e::MakeDirs(dir / "server"));
  Tick();
  ASSERT_TRUE(WaitCaption("Ferrolink - Netz OK"));
  EXPECT_TRUE(WaitFiles(dir / "server", Files{"m.dfq"}));
  EXPECT_FALSE(e2e::Visible(failed));
  EXPECT_FALSE(e2e::Visible(message));
  EXPECT_FALSE(IsIconic(title));  // not the first tick any more
  Close();
}

TEST_F(FerrolinkCycle, ATargetInsideTheSourceIsAMisconfigurationAndMovesNothing) {
  Put("m.dfq");
  ASSERT_TRUE(e2e::MakeDirs(source + "archiv"));
  Start(source + "archiv", true);
  Tick();
  ASSERT_TRUE(WaitCaption("Ferrolink - Fehlkonfiguration"));
  EXPECT_TRUE(WaitText(title, "Ferrolink: Fehlkonfiguration"));
  EXPECT_TRUE(e2e::Visible(Item(IDC_GROUPBOXTARGET, IDC_LABELMESSAGE)));
  EXPECT_FALSE(e2e::Visible(Item(IDC_GROUPBOXTARGET, IDC_FAILEDIMAGE)));
  Tick();
  Sleep(300);
  EXPECT_EQ(e2e::ListFilesRecursive(source), Files{"m.dfq"});
  EXPECT_EQ(Label(IDC_LABELSTATUS), "---");
  Close();
}

TEST_F(FerrolinkCycle, CopyModeCopiesAndKeepsTheSources) {
  Put("a.dfq");
  Put("sub\\b.dfq");
  ASSERT_TRUE(e2e::MakeDirs(dir / "server"));
  Start(dir / "server", false);
  Tick();
  ASSERT_TRUE(WaitFiles(dir / "server", (Files{"a.dfq", "sub\\b.dfq"})));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Label(IDC_LABELSTATUS) == "2 Datei(en) dupliziert."; }));
  EXPECT_EQ(e2e::ListFilesRecursive(source), (Files{"a.dfq", "sub\\b.dfq"}));
  Close();
}

TEST_F(FerrolinkCycle, AFileLockedByTheInstrumentGoesAtTheNextTick) {
  Put("a_offen.dfq");
  Put("b.dfq");
  ASSERT_TRUE(e2e::MakeDirs(dir / "server"));
  HANDLE lock = CreateFileA((source + "a_offen.dfq").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  Start(dir / "server", true);
  Tick();
  // a_offen.dfq lists first, so b.dfq's arrival means the cycle passed it.
  ASSERT_TRUE(WaitFiles(source, Files{"a_offen.dfq"}));
  EXPECT_EQ(e2e::ListFilesRecursive(dir / "server"), Files{"b.dfq"});
  CloseHandle(lock);
  Tick();
  EXPECT_TRUE(WaitFiles(dir / "server", (Files{"a_offen.dfq", "b.dfq"})));
  EXPECT_TRUE(WaitFiles(source, Files{}));
  EXPECT_TRUE(
      e2e::WaitUntil([&] { return Label(IDC_LABELSTATUS) == "2 Datei(en) transferiert."; }));
  Close();
}

// The instrument software holds its settings file open for writing at
// log-on: nothing moves until it can be read, then the cycle runs as usual.
TEST_F(FerrolinkCycle, ALockedSettingsFileMovesNothingUntilItReads) {
  Put("m.dfq");
  ASSERT_TRUE(e2e::MakeDirs(dir / "server"));
  WriteSettings(dir / "server", true);
  HANDLE lock = CreateFileA((dir / "calyrix\\k9q2.ini").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  Launch("Datei " + dir / "calyrix\\k9q2.ini kann nicht ge\xF6" + "ffnet werden");
  Tick();
  Tick();
  Sleep(300);
  EXPECT_EQ(e2e::Text(w), "Ferrolink - Netzwerksuche ...");
  EXPECT_EQ(e2e::ListFilesRecursive(dir / "server"), Files{});
  CloseHandle(lock);
  Tick();
  EXPECT_TRUE(WaitFiles(dir / "server", Files{"m.dfq"}));
  EXPECT_TRUE(WaitFiles(source, Files{}));
  EXPECT_EQ(e2e::Text(w), "Ferrolink - Netz OK");
  Close();
}

// Linux symbolic links give folders a second spelling: a target that is the
// source under another name is a misconfiguration, and a link inside the
// source back to it is not walked into.
TEST_F(FerrolinkCycle, SecondSpellingsOfTheSourceAreFoundByIdentity) {
  Put("m.dfq");
  Put("teil\\n.dfq");
  ASSERT_TRUE(e2e::MakeDirs(source + "archiv"));
  ASSERT_TRUE(e2e::LinuxSymlink(source, dir / "zweitname"));
  ASSERT_TRUE(e2e::LinuxSymlink(source + "archiv", dir / "verweis"));
  for (const std::string& target : {dir / "zweitname\\archiv", dir / "verweis\\neu"}) {
    SCOPED_TRACE(target);
    Start(target, true);
    Tick();
    EXPECT_TRUE(WaitCaption("Ferrolink - Fehlkonfiguration"));
    Close();
  }

  // Links back into the source are not entered: the files arrive at their
  // real place only. A source file named like the short name of a file at
  // the server (Wine's, as the server's file system gives it) leaves that
  // file as it was.
  ASSERT_TRUE(e2e::LinuxSymlink(source, source + "schleife"));
  Put("2025\\Woche 07\\w.dfq");
  ASSERT_TRUE(e2e::LinuxSymlink(source + "2025\\Woche 07", source + "0_Neueste"));
  ASSERT_TRUE(e2e::MakeDirs(dir / "server"));
  const std::string delivered = dir / "server\\Messung_0001.dfq";
  ASSERT_TRUE(e2e::WriteFileBytes(delivered, "geliefert"));
  wchar_t short_path[MAX_PATH] = {};
  ASSERT_NE(GetShortPathNameW(e2e::Wide(delivered).c_str(), short_path, MAX_PATH), 0u);
  std::string alias = e2e::Utf8(short_path);
  alias = alias.substr(alias.find_last_of('\\') + 1);
  ASSERT_NE(alias, "Messung_0001.dfq");
  Put(alias);
  Start(dir / "server", false);
  Tick();
  ASSERT_TRUE(WaitFiles(dir / "server", (Files{"2025\\Woche 07\\w.dfq", "Messung_0001.dfq", "m.dfq",
                                               "teil\\n.dfq"})));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Label(IDC_LABELSTATUS) == "3 Datei(en) dupliziert."; }));
  EXPECT_EQ(e2e::ReadFileBytes(delivered).value_or(""), "geliefert");
  Close();
}

// A Linux file whose name ends in a dot: Windows would act on "m.dfq"
// instead. It stays, and "m.dfq" itself goes as usual.
TEST_F(FerrolinkCycle, ANameEndingInADotIsLeftAlone) {
  Put("m.dfq");
  ASSERT_TRUE(e2e::StartLinux("/usr/bin/touch", {e2e::LinuxPath(source) + "/m.dfq."}));
  ASSERT_TRUE(WaitFiles(source, (Files{"m.dfq", "m.dfq."})));
  ASSERT_TRUE(e2e::MakeDirs(dir / "server"));
  Start(dir / "server", true);
  Tick();
  ASSERT_TRUE(WaitFiles(source, Files{"m.dfq."}));
  EXPECT_EQ(e2e::ListFilesRecursive(dir / "server"), Files{"m.dfq"});
  EXPECT_EQ(e2e::ReadFileBytes(dir / "server\\m.dfq").value_or(""), "Messung m.dfq");
  Close();
}

// Names outside the ANSI code page arrive as they are: Wine keeps a name in
// UTF-8 on Linux, so the names compared here are the Linux names' bytes.
TEST_F(FerrolinkCycle, EveryNameArrivesAsItIs) {
  const Files names{"Díl Řada 7\\měření_ř.dfq", "部品_01.dfq"};
  for (const std::string& name : names) Put(name);
  ASSERT_TRUE(e2e::MakeDirs(dir / "server"));
  Start(dir / "server", true);
  Tick();
  ASSERT_TRUE(WaitFiles(dir / "server", names));
  EXPECT_TRUE(WaitFiles(source, Files{}));
  EXPECT_EQ(e2e::ReadFileBytes(dir / "server\\部品_01.dfq").value_or(""), "Messung 部品_01.dfq");
  // The folder is walked after the files beside it.
  EXPECT_TRUE(WaitText(Item(IDC_GROUPBOXDONE, IDC_LABELBRANCH), "Díl Řada 7\\měření_ř.dfq"));
  EXPECT_TRUE(WaitText(title, "Ferrolink: měření_ř.dfq"));
  Close();
}

// Without Datafiles the source is Ferrolink's own folder: in delete mode
// the data go, the program, both settings files and the journal stay.
TEST_F(FerrolinkCycle, ItsOwnFolderAsSourceGivesUpOnlyTheData) {
  const std::string home = dir / "programm\\";
  ASSERT_TRUE(e2e::MakeDirs(home));
  ASSERT_TRUE(CopyFileW(e2e::Wide(e2e::WinPath(FERROLINK_EXE)).c_str(),
                        e2e::Wide(home + "Ferrolink.exe").c_str(), FALSE));
  ASSERT_TRUE(e2e::RegSetString(HKEY_CURRENT_USER, kKey, "Settings", home + "k9q2.ini"));
  ASSERT_TRUE(e2e::WriteFileBytes(home + "k9q2.ini", "[Directories]\r\n"));
  ASSERT_TRUE(e2e::WriteFileBytes(home + "ferrolink.ini",
                                  "[General]\r\nTarget=" + dir / "server" + "\r\nDelete=1\r\n"));
  ASSERT_TRUE(e2e::WriteFileBytes(home + "m.dfq", "Messung"));
  ASSERT_TRUE(e2e::MakeDirs(dir / "server"));
  Launch("", home + "Ferrolink.exe");
  Tick();
  ASSERT_TRUE(WaitFiles(dir / "server", Files{"m.dfq"}));
  ASSERT_TRUE(e2e::WriteFileBytes(home + "n.dfq", "Messung"));
  Tick();  // a second cycle passes over the files of the first
  ASSERT_TRUE(WaitFiles(dir / "server", (Files{"m.dfq", "n.dfq"})));
  EXPECT_EQ(e2e::ListFilesRecursive(home),
            (Files{"Ferrolink.exe", "ferrolink.ini", "ferrolink.log", "k9q2.ini"}));
  Close();
}

// Links inside the source to the target and into it: the files delivered
// there earlier stay where they are, in delete mode too.
TEST_F(FerrolinkCycle, ALinkFromTheSourceToTheTargetLeavesItsFilesThere) {
  ASSERT_TRUE(e2e::MakeDirs(dir / "server\\teil"));
  ASSERT_TRUE(e2e::WriteFileBytes(dir / "server\\alt.dfq", "geliefert"));
  ASSERT_TRUE(e2e::WriteFileBytes(dir / "server\\teil\\frueher.dfq", "geliefert"));
  ASSERT_TRUE(e2e::LinuxSymlink(dir / "server", source + "ablage"));
  ASSERT_TRUE(e2e::LinuxSymlink(dir / "server\\teil", source + "zweig"));
  Put("m.dfq");
  Start(dir / "server", true);
  Tick();
  ASSERT_TRUE(WaitFiles(source, Files{}));
  Put("n.dfq");
  Tick();
  ASSERT_TRUE(WaitFiles(source, Files{}));
  EXPECT_EQ(e2e::ListFilesRecursive(dir / "server"),
            (Files{"alt.dfq", "m.dfq", "n.dfq", "teil\\frueher.dfq"}));
  Close();
}

// The journal beside the settings: a journal past its bound is set aside at
// start; the new one says what became of each file and of the target.
TEST_F(FerrolinkCycle, TheJournalSaysWhatBecameOfEachFile) {
  const std::string log = dir / "calyrix\\ferrolink.log";
  ASSERT_TRUE(e2e::WriteFileBytes(log, std::string(1100000, 'x')));
  Put("m.dfq");
  ASSERT_TRUE(e2e::StartLinux("/usr/bin/touch", {e2e::LinuxPath(source) + "/m.dfq."}));
  ASSERT_TRUE(WaitFiles(source, (Files{"m.dfq", "m.dfq."})));
  Start(dir / "server", true);
  Tick();
  ASSERT_TRUE(WaitCaption("Ferrolink - Kein Netz"));
  ASSERT_TRUE(e2e::MakeDirs(dir / "server"));
  Tick();
  ASSERT_TRUE(WaitFiles(source, Files{"m.dfq."}));
  Close();
  EXPECT_EQ(e2e::ReadFileBytes(log + ".1").value_or("").size(), 1100000u);
  const std::string text = e2e::ReadFileBytes(log).value_or("");
  ASSERT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
  Files lines;
  for (size_t at = 3, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
    const std::string line = text.substr(at, end - at);
    EXPECT_EQ(line.size() > 20 ? line.substr(4, 1) + line.substr(10, 1) + line.substr(19, 1) : "",
              "- \t")
        << line;  // "2026-12-09 08:41:03" and a tab
    lines.push_back(line.substr(20, line.find('\t', 20) - 20) + ": " +
                    line.substr(line.find('\t', 20) + 1, 22));
  }
  EXPECT_EQ(lines,
            (Files{"Start: Version 2012.1.0.0\tQue", "Zustand: Kein Netz", "Zustand: Netz OK",
                   "verschoben: m.dfq\t13 Bytes\tgeprüf", "ausgelassen: m.dfq.\tName, den Windo",
                   "Ende: Version 2012.1.0.0\tQue"}));
}

namespace {

// The paths in a trace of Wine's file channel that Windows would refuse: a
// plain path (not "\\?\...") of 260 units or more handed to the system, or of
// 248 or more for a folder to be made. `long_forms` counts the paths handed
// in the long form. The trace escapes its strings ("\\" for a backslash,
// "\00fc" for one unit) and cuts them after about 300 characters ("...").
Files RefusedByWindows(const std::string& trace, int& long_forms) {
  Files refused;
  long_forms = 0;
  size_t at = 0;
  for (size_t end; (end = trace.find('\n', at)) != std::string::npos; at = end + 1) {
    const std::string line = trace.substr(at, end - at);
    const bool conversion =
        line.find(":RtlDosPathNameToNtPathName_U_WithStatus (L\"") != std::string::npos;
    const bool folder = line.find(":CreateDirectoryW L\"") != std::string::npos;
    if (!conversion && !folder) continue;
    size_t i = line.find("L\"") + 2, units = 0;
    std::string start;
    while (i < line.size() && line[i] != '"') {
      size_t step = 1;
      if (line[i] == '\\') {
        step =
            i + 1 < line.size() && std::isxdigit(static_cast<unsigned char>(line[i + 1])) ? 5 : 2;
      }
      if (start.size() < 4) start += line[i + step - 1];
      i += step;
      ++units;
    }
    const bool cut = line.compare(i, 4, "\"...") == 0;
    if (start == "\\\\?\\") {
      ++long_forms;
    } else if (cut || units >= (folder ? 248u : 260u)) {
      refused.push_back(line.substr(0, 160));
    }
  }
  return refused;
}

}  // namespace

// Two log-ons: a second Ferrolink, in a Wine prefix of its own (with its own
// Wine server, as another log-on has a session of its own), moves the same
// source to the same server with the same settings and journal, at the same
// time as this one. Every file arrives whole, nothing else stays at the
// server, and no line of the journal says that a file was left.
TEST_F(FerrolinkCycle, TwoLogOnsMoveOneSourceTogether) {
  Files names;
  const auto content = [](const std::string& name) {
    return "Messung " + name + std::string(32768, 'x');
  };
  for (int n = 0; n < 600; ++n) {
    names.push_back("Teil " + std::to_string(n % 3) + "\\m" + std::to_string(n) + ".dfq");
    ASSERT_TRUE(e2e::MakeDirs(source + names.back().substr(0, 6)));
    ASSERT_TRUE(e2e::WriteFileBytes(source + names.back(), content(names.back())));
  }
  std::sort(names.begin(), names.end());
  ASSERT_TRUE(e2e::MakeDirs(dir / "server"));
  WriteSettings(dir / "server", true);
  char loader[MAX_PATH] = "wine", prefix[MAX_PATH] = "";
  GetEnvironmentVariableA("WINELOADER", loader, MAX_PATH);
  ASSERT_NE(GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH), 0u);
  const std::string other_prefix = "WINEPREFIX='" + std::string(prefix) + "-zweite-anmeldung' ";
  const std::string second = other_prefix + "'" + loader + "' ";
  // Whatever a run cut short left running there ends, before and after; the
  // test waits for that, so that a run again begins with nothing of it.
  struct EndsTheOther {
    std::string kill, ended;
    ~EndsTheOther() {
      e2e::StartLinux("/bin/sh", {"-c", kill + "; touch '" + e2e::LinuxPath(ended) + "'"});
      e2e::WaitUntil([&] { return e2e::FileExists(ended); }, 20000);
    }
  } ends_the_other{other_prefix + "wineserver -k 2>/dev/null; " + other_prefix + "wineserver -w",
                   dir / "zweite beendet"};
  const std::string ready = dir / "zweite bereit";
  ASSERT_TRUE(e2e::StartLinux(
      "/bin/sh",
      {"-c", ends_the_other.kill + "; '" E2E_SOURCE_DIR "/scripts/wine-prefix.sh' '" +
                 E2E_BUILD_DIR "' '" + std::string(prefix) + "-zweite-anmeldung' && " + second +
                 "reg add 'HKCU\\" + kKey + "' /v Settings /d '" + dir / "calyrix\\k9q2.ini" +
                 "' /f && touch '" + e2e::LinuxPath(ready) + "'"}));
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::FileExists(ready); }, 90000));
  const std::string log = dir / "calyrix\\ferrolink.log";
  const auto count = [&](const std::string& what) {
    const std::string journal = e2e::ReadFileBytes(log).value_or("");
    size_t n = 0;
    for (size_t at = journal.find(what); at != std::string::npos; at = journal.find(what, at + 1)) {
      ++n;
    }
    return n;
  };
  // Each ticks 2 s after its start, and this one once more when the other
  // has moved its first file.
  ASSERT_TRUE(e2e::StartLinux("/bin/sh", {"-c", second + "'" FERROLINK_EXE "'"}));
  ASSERT_TRUE(e2e::WaitUntil([&] { return count("\tStart\t") == 1; }, 20000));
  Launch();
  ASSERT_TRUE(e2e::WaitUntil([&] { return count("\tverschoben\t") > 0; }, 20000));
  Tick();
  ASSERT_TRUE(
      e2e::WaitUntil([&] { return e2e::ListFilesRecursive(dir / "server") == names; }, 60000))
      << e2e::ListFilesRecursive(dir / "server").size() << " at the server";
  EXPECT_EQ(e2e::ListFilesRecursive(source), Files{});
  Close();
  const std::string exe = FERROLINK_EXE;
  ASSERT_TRUE(e2e::StartLinux(
      "/bin/sh", {"-c", second + "taskkill /im '" + exe.substr(exe.find_last_of('/') + 1) + "'"}));
  ASSERT_TRUE(e2e::WaitUntil([&] { return count("\tEnde\t") == 2; }, 20000));
  for (const std::string& name : names) {
    EXPECT_EQ(e2e::ReadFileBytes(dir / "server\\" + name).value_or(""), content(name));
  }
  // Whole lines only, each file's move said at least once, none left.
  const std::string journal = e2e::ReadFileBytes(log).value_or("");
  ASSERT_EQ(journal.rfind("\xEF\xBB\xBF", 0), 0u);
  size_t moved = 0;
  for (size_t at = 3, end; (end = journal.find("\r\n", at)) != std::string::npos; at = end + 2) {
    const std::string line = journal.substr(at, end - at);
    EXPECT_TRUE(line.size() > 20 && line[4] == '-' && line[19] == '\t') << line;
    EXPECT_EQ(line.find("\tausgelassen\t"), std::string::npos) << line;
    moved += line.find("\tverschoben\t") != std::string::npos;
  }
  EXPECT_GE(moved, names.size());
  EXPECT_EQ(count("\tZustand\tNetz OK"), 2u);  // both moved files
  std::printf("two log-ons: %zu files, %zu move lines\n", names.size(), moved);
}

// Windows refuses plain paths past 260 units, Wine takes them: files whose
// source path, target folder or target path is that long arrive, and the
// trace of the run shows that none reached the system in a plain form.
TEST_F(FerrolinkCycle, LongPathsArriveAndReachTheSystemInTheirLongForm) {
  const std::string deep = std::string(120, 'q') + "\\" + std::string(120, 'r') + "\\";
  Put(deep + "tief.dfq");
  Put("kurz.dfq");
  const std::string server = dir / "server\\" + std::string(200, 's');
  ASSERT_TRUE(e2e::MakeDirs(server));
  WriteSettings(server, true);
  const std::string trace = dir / "trace.txt";
  LaunchTraced("trace+file", trace);
  Tick();
  ASSERT_TRUE(WaitFiles(server, (Files{"kurz.dfq", deep + "tief.dfq"})))
      << e2e::ListFilesRecursive(server).size();
  EXPECT_EQ(e2e::ReadFileBytes(server + "\\" + deep + "tief.dfq").value_or(""),
            "Messung " + deep + "tief.dfq");
  EXPECT_TRUE(WaitFiles(source, Files{}));
  Close();
  int long_forms = 0;
  EXPECT_EQ(RefusedByWindows(e2e::ReadFileBytes(trace).value_or(""), long_forms), Files{});
  EXPECT_GT(long_forms, 0);  // the trace was taken
}

// A scan of 3 GB at the source: while it is copied the window answers at
// once and its task-bar text shows the share; a close, the end of the
// session, or an installer that closes the program to replace it, cancels
// the copy, leaves nothing at the server and the source as it was, ends the
// journal and the program within 3 s.
TEST_F(FerrolinkCycle, TheWindowAnswersDuringALargeCopyAndTheEndLeavesNothingHalf) {
  const std::pair<LPARAM, const char*> ends[] = {
      {0, "close"},
      {static_cast<LPARAM>(ENDSESSION_LOGOFF), "log-off"},
      {ENDSESSION_CLOSEAPP, "installer"}};
  int round = 0;
  for (const auto& [why, name] : ends) {
    SCOPED_TRACE(name);
    const std::string server = dir / ("server" + std::to_string(++round));
    ASSERT_TRUE(e2e::MakeDirs(server));
    ASSERT_TRUE(
        e2e::StartLinux("/usr/bin/truncate", {"-s", "3G", e2e::LinuxPath(source) + "/scan.dat"}));
    ASSERT_TRUE(WaitFiles(source, Files{"scan.dat"}));
    Start(server, true);
    Tick();
    DWORD longest = 0;
    const bool share_shown = e2e::WaitUntil(
        [&] {
          const DWORD start = GetTickCount();
          DWORD_PTR answer = 0;
          SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
          longest = std::max(longest, GetTickCount() - start);
          return e2e::UnicodeText(title).rfind("Ferrolink: scan.dat \u2013 ", 0) == 0 &&
                 e2e::UnicodeText(title).find(" %") != std::string::npos;
        },
        30000);
    ASSERT_TRUE(share_shown) << e2e::UnicodeText(title);
    std::printf("longest answer during the copy: %lu ms\n", longest);
    EXPECT_LT(longest, 1000u);
    const DWORD start = GetTickCount();
    if (why == 0) {
      e2e::Close(w);
    } else {
      EXPECT_TRUE(e2e::EndSession(w, why));
    }
    EXPECT_EQ(app.Wait(3000), std::optional<DWORD>(0));
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_EQ(e2e::ListFilesRecursive(server), Files{});
    EXPECT_EQ(e2e::ListFilesRecursive(source), Files{"scan.dat"});
    const std::string journal = e2e::ReadFileBytes(dir / "calyrix\\ferrolink.log").value_or("");
    const size_t last = journal.rfind("\r\n", journal.size() - 3);
    EXPECT_EQ(journal.substr(last + 2 + 20, 5), "Ende\t") << journal.substr(last);
    ASSERT_TRUE(DeleteFileW(e2e::Wide(source + "scan.dat").c_str()));
  }
}

// The instrument writes a measurement while it measures: the file stays
// open for writing (sharing reading, as the C library's fopen does) and
// grows. While it is written nothing of it reaches the server; once the
// writer closes it, it arrives whole within two ticks, and the journal says
// once that it was still being written.
TEST_F(FerrolinkCycle, AFileStillBeingWrittenNeverReachesTheServer) {
  for (const bool delete_mode : {true, false}) {
    SCOPED_TRACE(delete_mode ? "delete mode" : "copy mode");
    const std::string server = dir / (delete_mode ? "server1" : "server2");
    ASSERT_TRUE(e2e::MakeDirs(server));
    HANDLE writer = CreateFileW(e2e::Wide(source + "wachsend.dfq").c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    Start(server, delete_mode);
    const std::string kilobyte(1024, 'p');
    std::string written;
    for (int step = 0; step < 30; ++step) {
      DWORD n = 0;
      ASSERT_TRUE(WriteFile(writer, kilobyte.data(), 1024, &n, nullptr));
      written += kilobyte;
      if (step % 3 == 0) Tick();
      Sleep(100);
      EXPECT_EQ(e2e::ListFilesRecursive(server), Files{}) << "at step " << step;
    }
    CloseHandle(writer);
    Tick();
    Tick();
    ASSERT_TRUE(WaitFiles(server, Files{"wachsend.dfq"}));
    EXPECT_EQ(e2e::ReadFileBytes(server + "\\wachsend.dfq").value_or(""), written);
    EXPECT_TRUE(WaitFiles(source, delete_mode ? Files{} : Files{"wachsend.dfq"}));
    Close();
    const std::string journal = e2e::ReadFileBytes(dir / "calyrix\\ferrolink.log").value_or("");
    size_t lines = 0;
    for (size_t at = 0;
         (at = journal.find("wachsend.dfq\twird noch geschrieben", at)) != std::string::npos;
         ++at) {
      ++lines;
    }
    EXPECT_EQ(lines, delete_mode ? 1u : 2u);  // one line per run of the program
    if (!delete_mode) {
      ASSERT_TRUE(DeleteFileW(e2e::Wide(source + "wachsend.dfq").c_str()));
    }
  }
}

// DLLs named like the system's beside the program, where anyone may put
// them: a cycle with a transfer, and the version text, load none of them.
TEST_F(FerrolinkCycle, NoDllBesideTheProgramIsLoaded) {
  const std::string exe = dir / "programm\\Ferrolink.exe";
  ASSERT_TRUE(e2e::MakeDirs(dir / "programm"));
  ASSERT_TRUE(CopyFileA(e2e::WinPath(FERROLINK_EXE).c_str(), exe.c_str(), FALSE));
  const e2e::PlantedDlls planted(exe);
  ASSERT_TRUE(planted.Planted());
  Put("m.dfq");
  ASSERT_TRUE(e2e::MakeDirs(dir / "server"));
  WriteSettings(dir / "server", true);
  Launch("", exe);
  EXPECT_EQ(e2e::Text(GetDlgItem(w, IDC_LABELVERSION)), "Version: V2012.1.0.0");
  Tick();
  EXPECT_TRUE(WaitFiles(dir / "server", Files{"m.dfq"}));
  Close();
  EXPECT_EQ(planted.Loaded(), Files{});
}

// A Linux symbolic link in the source to a file outside it: in delete mode
// the file it leads to keeps its content, and the link stays.
TEST_F(FerrolinkCycle, ALinkToAFileOutsideTheSourceLeavesFileAndLink) {
  ASSERT_TRUE(e2e::MakeDirs(dir / "anderswo"));
  ASSERT_TRUE(e2e::WriteFileBytes(dir / "anderswo\\fremd.dfq", "fremde Messung"));
  ASSERT_TRUE(e2e::LinuxSymlink(dir / "anderswo\\fremd.dfq", source + "verweis.dfq"));
  Put("z.dfq");  // listed after the link: its arrival means the cycle passed it
  ASSERT_TRUE(e2e::MakeDirs(dir / "server"));
  Start(dir / "server", true);
  Tick();
  ASSERT_TRUE(e2e::WaitUntil([&] { return !e2e::FileExists(source + "z.dfq"); }));
  Tick();
  ASSERT_TRUE(WaitCaption("Ferrolink - Netz OK"));
  Close();
  EXPECT_EQ(e2e::ReadFileBytes(dir / "anderswo\\fremd.dfq").value_or("<gone>"), "fremde Messung");
  // The link leads to a file that is there: it can be seen while it is.
  EXPECT_EQ(e2e::ListFilesRecursive(source), Files{"verweis.dfq"});
}

namespace {

// The password argument of each call that connects a network name, in a
// trace of Wine's relay channel ("...:Call mpr.WNetAddConnection2W(<res>,
// <password>,<user>,<flags>) ret=..."), as the trace gives it: a string
// argument as its address and its text (L"..."), a null one as zeros.
Files ConnectPasswords(const std::string& trace) {
  Files passwords;
  size_t at = 0;
  for (size_t end; (end = trace.find('\n', at)) != std::string::npos; at = end + 1) {
    const std::string line = trace.substr(at, end - at);
    const size_t call = line.find(":Call mpr.WNetAddConnection");
    if (call == std::string::npos) continue;
    const size_t open = line.find('(', call);
    // WNetAddConnectionW(remote, password, local), ...2W(resource, password,
    // user, flags), ...3W(window, resource, password, user, flags).
    const int index = line.compare(open - 2, 2, "3W") == 0 ? 2 : 1;
    size_t arg = open + 1;
    for (int i = 0; i < index && arg != std::string::npos; ++i) {
      arg = line.find(',', arg);
      if (arg != std::string::npos) ++arg;
    }
    passwords.push_back(
        arg == std::string::npos ? line : line.substr(arg, line.find_first_of(",)", arg) - arg));
  }
  return passwords;
}

}  // namespace

// The connection to the target: a tick that finds the target there asks the
// network for nothing; one that does not find it connects, without a
// password (a null one: an empty one is a password too).
TEST_F(FerrolinkCycle, ConnectsOnlyToATargetThatIsNotThereAndWithoutAPassword) {
  Put("m.dfq");
  ASSERT_TRUE(e2e::MakeDirs(dir / "server"));
  WriteSettings(dir / "server", true);
  const std::string trace = dir / "relay.txt";
  LaunchTraced("-all,+relay", trace);
  Tick();
  ASSERT_TRUE(WaitFiles(dir / "server", Files{"m.dfq"}));
  ASSERT_TRUE(WaitCaption("Ferrolink - Netz OK"));
  const size_t reachable_part = e2e::ReadFileBytes(trace).value_or("").size();
  ASSERT_TRUE(e2e::RemoveTree(dir / "server"));
  Tick();
  ASSERT_TRUE(WaitCaption("Ferrolink - Kein Netz"));
  Close();
  const std::string text = e2e::ReadFileBytes(trace).value_or("");
  EXPECT_EQ(ConnectPasswords(text.substr(0, reachable_part)), Files{});
  const Files passwords = ConnectPasswords(text.substr(reachable_part));
  ASSERT_FALSE(passwords.empty()) << "no connection asked for";
  for (const std::string& password : passwords) {
    EXPECT_EQ(password.find_first_not_of('0'), std::string::npos) << password;
  }
}
