// The watch cycle and the transfer of found files, over the fake system:
// states, intervals, the misconfiguration test, both modes, and the rules
// that keep data safe.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "FakeComputer.h"
#include "Main.h"

using ferrolink::Control;
using ferrolink::TFoundFile;
using ferrolink::TMainForm;
using ferrolink::TNetState;
using ferrolink::test::FakeComputer;
using ferrolink::test::FakeSystem;
using ferrolink::test::FakeView;

namespace {

// A server that stores one byte of a copy changed.
std::function<void(const std::string&, std::string&)> Damage(size_t at) {
  return [at](const std::string&, std::string& bytes) { bytes[at] ^= 1; };
}

class Cycle : public ::testing::Test {
 protected:
  Cycle() {
    p.key_exists = false;  // the directories come from the test
    p.AddDir("C:\\Daten");
    p.AddDir("D:\\Ziel");
    form.FormCreate();
    form.SourceDir = "C:\\Daten\\";
    form.TargetDir = "D:\\Ziel\\";
  }
  void Tick() { form.TimerFindTimer(); }
  FakeSystem::Node& Source(const std::string& rel, uint32_t attrs = 0x20) {
    return p.AddFile("C:\\Daten\\" + rel, "inhalt " + rel, attrs);
  }
  std::string Status() { return p.texts[Control::LabelStatus]; }

  FakeComputer p;
  TMainForm form{p, p};
};

}  // namespace

TEST_F(Cycle, ShowsEachStateWithItsTextsOnlyWhenItChanges) {
  Tick();
  EXPECT_EQ(form.NetState, TNetState::Reachable);
  EXPECT_EQ(p.caption, "Ferrolink - Netz OK");
  EXPECT_EQ(p.app_title, "Ferrolink: Netz OK");
  EXPECT_FALSE(p.visible[Control::FailedImage]);
  EXPECT_FALSE(p.visible[Control::LabelMessage]);
  const size_t titles = p.app_titles.size();
  Tick();
  EXPECT_EQ(p.app_titles.size(), titles);

  p.Remove("D:\\Ziel");
  Tick();
  EXPECT_EQ(form.NetState, TNetState::NoNetwork);
  EXPECT_EQ(p.caption, "Ferrolink - Kein Netz");
  EXPECT_EQ(p.app_title, "Ferrolink: Kein Netz");
  EXPECT_TRUE(p.visible[Control::FailedImage]);
  EXPECT_FALSE(p.visible[Control::LabelMessage]);

  form.TargetDir = "C:\\Daten\\Archiv\\";
  Tick();
  EXPECT_EQ(form.NetState, TNetState::Misconfigured);
  EXPECT_EQ(p.caption, "Ferrolink - Fehlkonfiguration");
  EXPECT_EQ(p.app_title, "Ferrolink: Fehlkonfiguration");
  EXPECT_FALSE(p.visible[Control::FailedImage]);
  EXPECT_TRUE(p.visible[Control::LabelMessage]);
  EXPECT_EQ(p.app_titles.size(), titles + 2);
  Tick();
  EXPECT_EQ(p.app_titles.size(), titles + 2);
}

TEST_F(Cycle, IntervalFollowsReachabilityAndAnEqualValueKeepsTheCount) {
  Tick();
  EXPECT_EQ(p.timer_interval, 10000);
  const int restarts = p.timer_restarts;
  Tick();
  EXPECT_EQ(p.timer_restarts, restarts);
  p.Remove("D:\\Ziel");
  Tick();
  EXPECT_EQ(p.timer_interval, 60000);
  Tick();
  EXPECT_EQ(p.timer_restarts, restarts + 1);
}

TEST_F(Cycle, MisconfigurationNeitherConnectsNorSearchesNorTouchesTheInterval) {
  form.TargetDir = "C:\\Daten\\Archiv\\";
  Source("m.dat");
  Tick();
  EXPECT_EQ(form.NetState, TNetState::Misconfigured);
  EXPECT_EQ(p.timer_interval, 2000);
  EXPECT_TRUE(p.connection_attempts.empty());
  EXPECT_EQ(p.list_calls, 0);
  EXPECT_TRUE(p.busy_log.empty());
  EXPECT_EQ(p.minimized, 0);
}

TEST(TargetInsideSource, ComparesNormalNetworkFormsInUpperCase) {
  struct Case {
    const char* source;
    const char* target;
    bool inside;
  };
  const Case cases[] = {
      {"C:\\Daten\\", "C:\\Daten\\", true},
      {"C:\\Daten\\", "C:\\Daten\\Archiv\\", true},
      {"C:\\DATEN\\", "c:\\daten\\", true},
      {"C:\\März\\", "c:\\MÄRZ\\Ablage\\", true},
      {"\\\\srv\\share\\Daten\\", "Q:\\Daten\\Archiv\\", true},  // Q: is \\srv\share
      {"C:\\Ablage\\..\\Daten\\", "C:\\Daten\\Archiv\\", true},
      {"C:/Daten//", "C:\\Daten\\Archiv\\", true},
      {"C:\\Daten\\", "C:\\Daten2\\", false},
      {"C:\\Daten\\Sub\\", "C:\\Daten\\", false},
      {"", "C:\\Daten\\", false},
  };
  for (const Case& c : cases) {
    FakeComputer p;
    p.unc_by_drive["Q"] = "\\\\srv\\share";
    TMainForm form(p, p);
    EXPECT_EQ(form.TargetInsideSource(c.source, c.target), c.inside)
        << c.source << " / " << c.target;
  }
}

TEST_F(Cycle, MinimisesOnlyAtAFirstTickThatReachesTheTarget) {
  Tick();
  Tick();
  EXPECT_EQ(p.minimized, 1);

  FakeComputer q;
  q.AddDir("C:\\Daten");
  TMainForm late(q, q);
  late.FormCreate();
  late.SourceDir = "C:\\Daten\\";
  late.TargetDir = "D:\\Ziel\\";
  late.TimerFindTimer();  // unreachable
  q.AddDir("D:\\Ziel");
  late.TimerFindTimer();
  EXPECT_EQ(late.NetState, TNetState::Reachable);
  EXPECT_EQ(q.minimized, 0);
}

TEST_F(Cycle, TargetCountsAsReachableByTheConnectionOrByItsDirectory) {
  Tick();  // a target that answers is not connected
  EXPECT_TRUE(p.connection_attempts.empty());
  form.TargetDir = "D:\\Fehlt\\";
  Tick();
  EXPECT_EQ(form.NetState, TNetState::NoNetwork);
  EXPECT_FALSE(p.Exists("D:\\Fehlt"));  // the tick does not create it
  ASSERT_EQ(p.connection_attempts.size(), 1u);
  EXPECT_EQ(p.connection_attempts[0], "D:\\Fehlt\\");
  p.connection_succeeds = true;
  Tick();
  EXPECT_EQ(form.NetState, TNetState::Reachable);
}

TEST_F(Cycle, BusyMarkerCoversTheCycleInOrderAndBlocksANestedTick) {
  Source("m.dat");
  bool busy_inside = false;
  size_t attempts_inside = 0;
  p.after_copy = [&](const std::string&, const std::string&) {
    busy_inside = form.Busy();
    attempts_inside = p.connection_attempts.size();
    Tick();  // a tick while the cycle runs does nothing
    EXPECT_EQ(p.connection_attempts.size(), attempts_inside);
  };
  Tick();
  EXPECT_TRUE(busy_inside);
  EXPECT_FALSE(form.Busy());
  EXPECT_EQ(p.busy_log, (std::vector<bool>{true, false}));
}

TEST_F(Cycle, TransfersOnlyArchiveMarkedFilesThatAreNotReadOnly) {
  Source("schreibgeschuetzt.dat", 0x21);
  Source("unmarkiert.dat", 0x00);
  Tick();
  EXPECT_TRUE(p.copies.empty());
  EXPECT_EQ(p.texts.count(Control::LabelStatus), 0u);
  EXPECT_EQ(p.Find("C:\\Daten\\schreibgeschuetzt.dat")->attrs, 0x21u);
}

TEST_F(Cycle, CopyModeClearsTheArchiveBitSoTheNextCycleCopiesNothingNew) {
  Source("m1.dat");
  Source("m2.dat", 0x20 | 0x02 | 0x100);  // hidden, and a bit above the low 8
  Source("Sub\\m3.dat");
  Tick();
  ASSERT_EQ(p.copies.size(), 3u);
  EXPECT_EQ(Status(), "3 Datei(en) dupliziert.");
  EXPECT_EQ(p.Find("C:\\Daten\\m1.dat")->attrs, 0x00u);
  EXPECT_EQ(p.Find("C:\\Daten\\m2.dat")->attrs, 0x02u);
  EXPECT_EQ(p.Content("D:\\Ziel\\Sub\\m3.dat"), "inhalt Sub\\m3.dat");
  Tick();
  EXPECT_EQ(p.copies.size(), 3u);

  FakeSystem::Node& rewritten = *p.Find("C:\\Daten\\m1.dat");  // the instrument writes again
  rewritten.attrs |= 0x20;
  rewritten.wtime += 50;
  Tick();
  EXPECT_EQ(p.copies.size(), 4u);
  EXPECT_EQ(Status(), "4 Datei(en) dupliziert.");
}

TEST_F(Cycle, DeleteModeMovesATreeUnderItsRelativePaths) {
  form.SetDeleteChecked(true);
  Source("a.dat");
  Source("Sub\\b.dat");
  Source("Sub\\Tief\\c.dat");
  p.AddDir("C:\\Daten\\Leer");
  Tick();
  EXPECT_EQ(form.CopyCount, 3);
  EXPECT_EQ(Status(), "3 Datei(en) transferiert.");
  EXPECT_EQ(p.texts[Control::LabelBranch], "Sub\\Tief\\c.dat");
  EXPECT_EQ(p.app_title, "Ferrolink: c.dat");
  EXPECT_EQ(p.deleted, (std::vector<std::string>{"C:\\Daten\\a.dat", "C:\\Daten\\Sub\\b.dat",
                                                 "C:\\Daten\\Sub\\Tief\\c.dat"}));
  EXPECT_EQ(p.Content("D:\\Ziel\\a.dat"), "inhalt a.dat");
  EXPECT_EQ(p.Content("D:\\Ziel\\Sub\\Tief\\c.dat"), "inhalt Sub\\Tief\\c.dat");
  EXPECT_EQ(p.created_dirs, (std::vector<std::string>{"D:\\Ziel\\Sub", "D:\\Ziel\\Sub\\Tief"}));
  EXPECT_FALSE(p.Exists("D:\\Ziel\\Leer"));
}

TEST_F(Cycle, TheStatusNamesTheModeOfTheLastCopyWhileTheCountCoversBoth) {
  Source("a.dat");
  Tick();
  form.SetDeleteChecked(true);
  Source("b.dat");
  Tick();
  EXPECT_EQ(Status(), "2 Datei(en) transferiert.");
}

TEST_F(Cycle, OverwritesAnExistingTargetFile) {
  p.AddFile("D:\\Ziel\\m.dat", "alt");
  Source("m.dat");
  Tick();
  EXPECT_EQ(p.Content("D:\\Ziel\\m.dat"), "inhalt m.dat");
}

TEST_F(Cycle, ALockedFileKeepsItsMarkAndIsCopiedAtTheNextCycle) {
  form.SetDeleteChecked(true);
  Source("m.dat").locked = true;
  Tick();
  EXPECT_TRUE(p.copies.empty());
  EXPECT_EQ(p.Find("C:\\Daten\\m.dat")->attrs, 0x20u);
  p.Find("C:\\Daten\\m.dat")->locked = false;
  Tick();
  EXPECT_EQ(p.Content("D:\\Ziel\\m.dat"), "inhalt m.dat");
  EXPECT_FALSE(p.Exists("C:\\Daten\\m.dat"));
}

TEST_F(Cycle, AFileThatCannotGetItsTargetDirectoryIsLeftAsItIs) {
  form.SetDeleteChecked(true);
  p.AddFile("D:\\Ziel\\Sub", "a file where the folder belongs");
  Source("Sub\\m.dat");
  Tick();
  EXPECT_TRUE(p.copies.empty());
  EXPECT_TRUE(p.Exists("C:\\Daten\\Sub\\m.dat"));
}

// A write between the copy and the delete (or the un-marking) would be lost:
// such a file stays, marked, and goes again at the next cycle.
// The source is held from before its first byte is read to its delete or
// un-marking: a file that another program writes is left for a later cycle,
// and what is delivered is the whole file, whatever a listing said.
TEST_F(Cycle, ASourceIsDeliveredWholeAndOnlyWhileNobodyWritesIt) {
  const struct {
    const char* name;
    std::function<void()> setup;
    bool delivered;                          // at the first tick; every file is at the second
    const char* at_temporary = "<missing>";  // the target's file of m.dat's temporary name
  } rows[] = {
      {"a writer holds the source", [&] { p.Find("C:\\Daten\\m.dat")->held = true; }, false},
      {"a program holds it without sharing", [&] { p.Find("C:\\Daten\\m.dat")->locked = true; },
       false},
      {"a writer comes after the listing",
       [&] { p.before_hold = [&](const std::string& path) { p.Find(path)->held = true; }; }, false},
      {"another Ferrolink delivers it first",
       [&] {
         p.before_hold = [&](const std::string& path) {
           if (form.DeleteChecked()) p.Remove(path);
           p.AddFile("D:\\Ziel\\m.dat", "inhalt m.dat");
           p.before_hold = nullptr;
         };
       },
       true},
      {"the listing's size lags behind the file", [&] { p.Find("C:\\Daten\\m.dat")->listed = 3; },
       true},
      {"a hidden file of the temporary name is at the target",
       [&] { p.AddFile("D:\\Ziel\\m.dat.~ft", "alt", 0x22); }, true, "alt"},
      {"a read-only file of the temporary name is at the target",
       [&] { p.AddFile("D:\\Ziel\\m.dat.~ft", "alt", 0x21); }, true, "alt"},
      {"a source file of the temporary name is listed first",
       [&] {
         p.Remove("C:\\Daten\\m.dat");
         Source("m.dat.~ft");
         Source("m.dat");
       },
       true, "inhalt m.dat.~ft"},
  };
  for (const bool delete_mode : {true, false}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(row.name) + (delete_mode ? ", delete mode" : ", copy mode"));
      form.SetDeleteChecked(delete_mode);
      Source("m.dat");
      row.setup();
      Tick();
      EXPECT_EQ(p.Exists("D:\\Ziel\\m.dat"), row.delivered);
      if (!row.delivered) {
        EXPECT_EQ(p.Find("C:\\Daten\\m.dat")->attrs, 0x20u);
        p.Find("C:\\Daten\\m.dat")->held = p.Find("C:\\Daten\\m.dat")->locked = false;
        p.before_hold = nullptr;
        Tick();
      }
      EXPECT_EQ(p.Content("D:\\Ziel\\m.dat"), "inhalt m.dat");
      EXPECT_EQ(p.Content("D:\\Ziel\\m.dat.~ft"), row.at_temporary);
      EXPECT_EQ(p.Find("D:\\Ziel")->children.size(), p.Exists("D:\\Ziel\\m.dat.~ft") ? 2u : 1u);
      EXPECT_EQ(p.Exists("C:\\Daten\\m.dat"), !delete_mode);
      for (const char* file :
           {"C:\\Daten\\m.dat", "C:\\Daten\\m.dat.~ft", "D:\\Ziel\\m.dat", "D:\\Ziel\\m.dat.~ft"}) {
        p.Remove(file);
      }
    }
  }
}

// A directory of exactly 255 characters beside a longer one that begins with
// it: a record cut to 255 characters would name the wrong file.
TEST_F(Cycle, PathsLongerThan255CharactersAreTransferredUnderTheirWholeNames) {
  form.SetDeleteChecked(true);
  const std::string name255 = std::string(255 - 9, 'x');
  p.AddFile("C:\\Daten\\" + name255 + "\\m.dat", "kurz");
  p.AddFile("C:\\Daten\\" + name255 + "yyyy\\m.dat", "lang");
  Tick();
  EXPECT_EQ(p.Content("D:\\Ziel\\" + name255 + "\\m.dat"), "kurz");
  EXPECT_EQ(p.Content("D:\\Ziel\\" + name255 + "yyyy\\m.dat"), "lang");
  EXPECT_EQ(p.deleted.size(), 2u);
  EXPECT_FALSE(p.Exists("C:\\Daten\\" + name255 + "yyyy\\m.dat"));
}

TEST_F(Cycle, NothingLandsOutsideTheTarget) {
  form.SetDeleteChecked(true);
  // Source forms that, taken as written, give "..\" parts.
  for (const char* source : {"C:\\Daten\\.\\Sub\\..\\", "C:/Daten//", "Daten\\..\\..\\Daten\\"}) {
    SCOPED_TRACE(source);
    p.current_dir = "C:\\Work\\";
    form.SourceDir = source;
    Source("m.dat");
    Tick();
    EXPECT_EQ(p.Content("D:\\Ziel\\m.dat"), "inhalt m.dat");
    p.Remove("D:\\Ziel\\m.dat");
  }
  for (const auto& [from, to] : p.copies) {
    EXPECT_EQ(to.rfind("D:\\Ziel\\", 0), 0u) << to;
  }

  // Records that do not lie below the source are left alone.
  form.SourceDir = "C:\\Daten\\";
  Tick();  // takes the cycle's folders
  p.AddFile("C:\\Andere\\x.dat");
  p.AddFile("C:\\Daten\\y.dat");
  const size_t copies = p.copies.size();
  auto record = [](const std::string& dir, const std::string& name) {
    TFoundFile f;
    f.Attributes = 0x20;
    f.Directory = std::make_shared<const std::string>(dir);
    f.Name = name;
    return f;
  };
  const std::pair<const char*, const char*> records[] = {{"C:\\Andere\\", "x.dat"},
                                                         {"C:\\Daten\\", "..\\Andere\\x.dat"},
                                                         {"C:\\Daten\\", "y.dat:strom"},
                                                         {"C:\\Daten\\", ".."}};
  for (const auto& [dir, name] : records) {
    TFoundFile f = record(dir, name);
    form.CopyFoundFile(f);
  }
  EXPECT_EQ(p.copies.size(), copies);
  EXPECT_TRUE(p.Exists("C:\\Andere\\x.dat"));
  EXPECT_TRUE(p.Exists("C:\\Daten\\y.dat"));
}

// A target above the source is allowed, but the source's own subfolder of
// the source's name maps back into the source tree: C:\Daten\Daten\m.dat
// would land on C:\Daten\m.dat and, a cycle later, over its copy C:\m.dat.
TEST_F(Cycle, ATargetAboveTheSourceNeverWritesIntoTheSource) {
  form.SetDeleteChecked(true);
  form.TargetDir = "C:\\";
  Source("m.dat");
  Source("Daten\\m.dat");
  Source("Andere\\n.dat");
  Tick();
  Tick();
  EXPECT_EQ(form.NetState, TNetState::Reachable);
  EXPECT_EQ(p.Content("C:\\m.dat"), "inhalt m.dat");
  EXPECT_EQ(p.Content("C:\\Andere\\n.dat"), "inhalt Andere\\n.dat");
  EXPECT_EQ(p.Content("C:\\Daten\\Daten\\m.dat"), "inhalt Daten\\m.dat");
  EXPECT_FALSE(p.Exists("C:\\Daten\\m.dat"));
  for (const auto& [from, to] : p.copies) {
    EXPECT_NE(to.rfind("C:\\Daten\\", 0), 0u) << to;
  }

  // The same through a drive letter connected to the source's share.
  p.unc_by_drive["Q"] = "\\\\srv\\share";
  p.AddDir("Q:\\");
  p.AddFile("\\\\srv\\share\\Daten\\Daten\\m.dat");
  p.AddFile("\\\\srv\\share\\Daten\\n.dat");
  form.SourceDir = "\\\\srv\\share\\Daten\\";
  form.TargetDir = "Q:\\";
  p.moves.clear();
  Tick();
  EXPECT_EQ(p.moves,
            (std::vector<std::pair<std::string, std::string>>{{"Q:\\n.dat.~ft", "Q:\\n.dat"}}));
}

TEST_F(Cycle, AnEmptySourceIsNeverSearched) {
  form.SourceDir.clear();
  p.current_dir = "C:\\Daten\\";
  Source("m.dat");
  Tick();
  EXPECT_EQ(form.NetState, TNetState::Reachable);
  EXPECT_EQ(p.list_calls, 0);
  EXPECT_TRUE(p.copies.empty());
}

TEST_F(Cycle, SwitchingTheTimerOffStopsTheSearchAfterTheCurrentFile) {
  Source("a.dat");
  Source("b.dat");
  p.after_copy = [&](const std::string&, const std::string&) { p.timer_enabled = false; };
  Tick();
  EXPECT_EQ(p.copies.size(), 1u);
}

TEST_F(Cycle, AnErrorInsideACycleIsShownAndLaterTicksRunAgain) {
  form.SetDeleteChecked(true);
  Source("m.dat");
  p.after_copy = [](const std::string&, const std::string&) { throw std::bad_alloc(); };
  Tick();
  ASSERT_EQ(p.errors.size(), 1u);
  EXPECT_EQ(p.errors[0], "Nicht genügend Arbeitsspeicher");
  EXPECT_EQ(p.timer_interval, 60000);  // a later reachable tick never minimises
  EXPECT_FALSE(form.Busy());
  EXPECT_EQ(p.busy_log.back(), false);
  EXPECT_TRUE(p.Exists("C:\\Daten\\m.dat"));
  p.after_copy = nullptr;
  Tick();
  EXPECT_FALSE(p.Exists("C:\\Daten\\m.dat"));
  EXPECT_EQ(p.errors.size(), 1u);
}

TEST_F(Cycle, TheCountStopsAtItsLargestValue) {
  form.CopyCount = std::numeric_limits<int32_t>::max();
  Source("m.dat");
  Tick();
  EXPECT_EQ(form.CopyCount, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(Status(), "2147483647 Datei(en) dupliziert.");
}

// Other spellings of the source folder, as a target: each is the source or
// lies in it by identity, also where the target's last levels are not there
// yet. A link to another folder is an ordinary target.
TEST_F(Cycle, ATargetInsideTheSourceIsFoundWhateverItsSpelling) {
  Source("m.dat");
  p.AddDir("C:\\Daten\\Archiv");
  p.AddLink("C:\\DATENM~1", "C:\\Daten");
  p.AddLink("\\\\localhost\\C$", "C:\\");
  p.AddLink("S:", "C:\\Daten");
  p.AddLink("T:", "D:\\Ziel");
  p.AddLink("J:", "C:\\Daten\\Archiv");  // a junction to a folder below the source's top
  const std::pair<const char*, TNetState> targets[] = {
      {"C:\\DATENM~1\\", TNetState::Misconfigured},
      {"C:\\DATENM~1\\Archiv\\", TNetState::Misconfigured},
      {"\\\\localhost\\C$\\Daten\\Archiv\\", TNetState::Misconfigured},
      {"S:\\", TNetState::Misconfigured},
      {"S:\\Neu\\Tiefer\\", TNetState::Misconfigured},
      {"J:\\Neu\\", TNetState::Misconfigured},
      {"T:\\", TNetState::Reachable}};
  for (const auto& [target, state] : targets) {
    SCOPED_TRACE(target);
    form.TargetDir = target;
    p.AddDir("S:\\Neu");  // reachable, its last level still missing
    p.connection_succeeds = true;
    Tick();
    EXPECT_EQ(form.NetState, state);
  }
  EXPECT_EQ(p.copies.size(), 1u);  // only to the drive T
}

// A target above the source under another spelling: the source's own folder
// in the target is the source itself, so its files would land on the
// source's files. They are left alone; the others go.
TEST_F(Cycle, ATargetAboveTheSourceUnderAnotherSpellingNeverWritesIntoTheSource) {
  form.SetDeleteChecked(true);
  p.AddLink("\\\\localhost\\C$", "C:\\");
  form.TargetDir = "\\\\localhost\\C$\\";
  Source("m.dat");
  Source("Daten\\m.dat");
  Tick();
  EXPECT_EQ(form.NetState, TNetState::Reachable);
  EXPECT_EQ(p.Content("C:\\m.dat"), "inhalt m.dat");
  EXPECT_EQ(p.Content("C:\\Daten\\Daten\\m.dat"), "inhalt Daten\\m.dat");
  EXPECT_EQ(p.copies.size(), 1u);
}

// A link inside the source that leads back to it, or to a folder of the walk
// already entered: the walk enters each folder once.
TEST_F(Cycle, TheWalkEntersEachFolderOnce) {
  Source("m.dat");
  Source("Teil\\n.dat");
  Source("2025\\Woche 07\\w.dat");
  p.AddLink("C:\\Daten\\Schleife", "C:\\Daten");
  p.AddLink("C:\\Daten\\Zweitname", "C:\\Daten\\Teil");
  // A link listed before the folder it leads to: the files go to their own
  // place all the same.
  p.AddLink("C:\\Daten\\0_Neueste", "C:\\Daten\\2025\\Woche 07");
  auto& listed = p.Find("C:\\Daten")->children;
  std::rotate(listed.begin(), listed.end() - 1, listed.end());
  Tick();
  EXPECT_EQ(p.copies.size(), 3u);
  EXPECT_TRUE(p.Exists("D:\\Ziel\\Teil\\n.dat"));
  EXPECT_TRUE(p.Exists("D:\\Ziel\\2025\\Woche 07\\w.dat"));
  EXPECT_FALSE(p.Exists("D:\\Ziel\\Zweitname"));
  EXPECT_FALSE(p.Exists("D:\\Ziel\\0_Neueste"));

  p.identities = false;  // a file system without identities is still walked
  p.Remove("C:\\Daten\\Schleife");
  p.Remove("C:\\Daten\\Zweitname");
  p.Remove("C:\\Daten\\0_Neueste");
  p.Find("C:\\Daten\\m.dat")->attrs = 0x20;
  Tick();
  EXPECT_EQ(p.copies.size(), 4u);
}

TEST_F(Cycle, AFileReachesItsNameWholeBeforeTheSourceIsTouched) {
  Source("m.dat");
  Tick();  // copy mode: flushed too, as the cleared mark says the server has it
  EXPECT_EQ(p.copies, (std::vector<std::pair<std::string, std::string>>{
                          {"C:\\Daten\\m.dat", "D:\\Ziel\\m.dat.~ft"}}));
  EXPECT_EQ(p.moves, (std::vector<std::pair<std::string, std::string>>{
                         {"D:\\Ziel\\m.dat.~ft", "D:\\Ziel\\m.dat"}}));
  EXPECT_EQ(p.flushed, std::vector<std::string>{"D:\\Ziel\\m.dat.~ft"});

  form.SetDeleteChecked(true);
  p.AddFile("D:\\Ziel\\n.dat.~ft", "halb von einem Absturz");
  Source("n.dat");
  Tick();
  EXPECT_EQ(p.flushed.back(), "D:\\Ziel\\n.dat.~ft-2");
  EXPECT_EQ(p.Content("D:\\Ziel\\n.dat"), "inhalt n.dat");
  EXPECT_EQ(p.Content("D:\\Ziel\\n.dat.~ft"), "halb von einem Absturz");
  EXPECT_FALSE(p.Exists("C:\\Daten\\n.dat"));
  EXPECT_EQ(form.CopyCount, 2);
}

// A transfer that fails after the copy reported success leaves the source
// as it was, archive bit set, and counts nothing; no temporary file stays.
TEST_F(Cycle, ATransferThatFailsAfterTheCopyLeavesTheSource) {
  // A reason that does not pass by itself (`lasting`) has the file wait:
  // no copy before its wait is over, or before its source changes; a final
  // name still held is told without a copy (`copies_after_wait` 0).
  struct Case {
    const char* name;
    bool delete_mode;
    std::function<void()> fault;
    bool lasting = true;
    size_t copies_after_wait = 1;
  };
  const Case cases[] = {
      {"flush fails", true, [&] { p.flush_fails = true; }},
      {"rename fails", true, [&] { p.move_fails = true; }},
      {"final name is read-only", false, [&] { p.AddFile("D:\\Ziel\\m.dat", "alt", 0x01); }},
      {"copy short, over an earlier delivery", true,
       [&] {
         p.AddFile("D:\\Ziel\\m.dat", "alt");
         p.after_copy = [&](const std::string&, const std::string& to) { --p.Find(to)->size; };
       },
       false},
      {"a viewer holds the older copy at the server", true,
       [&] { p.AddFile("D:\\Ziel\\m.dat", "alt").reader = true; }, true, 0},
      // What the server stored is read back past the client's cache.
      {"the server stores the copy damaged", true, [&] { p.stored = Damage(0); }},
      {"the server stores the copy damaged, over an earlier delivery", false,
       [&] {
         p.AddFile("D:\\Ziel\\m.dat", "alt");
         p.stored = Damage(0);
       }},
      {"the copy is damaged only in its last partial sector", false,
       [&] {
         FakeSystem::Node& big = Source("m.dat");
         big.content = std::string(5000, 'm');
         big.size = 5000;
         p.stored = Damage(4999);
       }},
      {"the server removes the copy between its flush and its check", true,
       [&] {
         p.between_steps = [&](const std::string& step) {
           if (step == "kopiert") p.Remove(p.copies.back().second);
         };
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeComputer q;
    std::swap(p.fs, q.fs);
    p.flush_fails = p.move_fails = false;
    p.after_copy = nullptr;
    p.stored = nullptr;
    p.between_steps = nullptr;
    p.AddDir("D:\\Ziel");
    Source("m.dat");
    form.SetDeleteChecked(c.delete_mode);
    c.fault();
    Tick();
    const FakeSystem::Node* source = p.Find("C:\\Daten\\m.dat");
    EXPECT_TRUE(source && source->attrs == 0x20u);
    if (!source) continue;
    EXPECT_FALSE(p.Exists("D:\\Ziel\\m.dat.~ft"));
    if (p.Exists("D:\\Ziel\\m.dat")) {
      EXPECT_EQ(p.Content("D:\\Ziel\\m.dat"), "alt");
    }
    EXPECT_EQ(form.CopyCount, 0);
    EXPECT_EQ(p.texts.count(Control::LabelStatus), 0u);
    const size_t copies = p.copies.size();
    Tick();
    EXPECT_EQ(p.copies.size(), copies + (c.lasting ? 0 : 1));
    p.milliseconds += ferrolink::kFirstWait;
    Tick();
    EXPECT_EQ(p.copies.size(), copies + (c.lasting ? c.copies_after_wait : 2));
    p.Find("C:\\Daten\\m.dat")->wtime += 1;  // written again: tried at once
    Tick();
    EXPECT_EQ(p.copies.size(), copies + (c.lasting ? c.copies_after_wait + 1 : 3));
  }
}

// Names outside the ANSI code page travel whole, in files and folders. A
// name that the target's file system takes for another file there (its
// short name) stays at the source: the copy would replace that file.
TEST_F(Cycle, EveryNameIsDeliveredAsItIs) {
  form.SetDeleteChecked(true);
  p.AddFile("D:\\Ziel\\Messung_0001.dfq", "geliefert").short_name = "MESSUN~1.DFQ";
  p.AddDir("D:\\Ziel\\Teil Rechts").short_name = "TEILRE~1";
  p.AddFile("D:\\Ziel\\Teil Rechts\\m.dat", "geliefert");
  // A server that counts a name's length in bytes: a name that fits there
  // only without the temporary suffix goes through a short temporary name.
  p.bytes_counted_below = "D:\\Ziel";
  std::string fits, too_long;
  for (int n = 0; n < 125; ++n) fits += "ř";
  too_long = fits + "řř";
  fits += ".dfq";
  too_long += ".dfq";
  const struct {
    std::string name;
    bool delivered;
  } files[] = {
      {fits, true},
      {too_long, false},
      {"měření_ř.dfq", true},
      {"部品_01.dfq", true},
      {"Größe_ř.dfq", true},
      {"Díl Řada 7\\měření.dfq", true},
      {"Детали\\μέτρηση.dfq", true},
      {"MITTE~2.DAT", true},  // shaped like a short name, but no other file's
      {"MESSUN~1.DFQ", false},
      {"TEILRE~1\\m.dat", false},
  };
  for (const auto& f : files) Source(f.name);
  Tick();
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    EXPECT_EQ(p.Exists(std::string("C:\\Daten\\") + f.name), !f.delivered);
    if (f.delivered) {
      EXPECT_EQ(p.Content(std::string("D:\\Ziel\\") + f.name), std::string("inhalt ") + f.name);
    }
  }
  EXPECT_EQ(p.Content("D:\\Ziel\\Messung_0001.dfq"), "geliefert");
  EXPECT_EQ(p.Content("D:\\Ziel\\Teil Rechts\\m.dat"), "geliefert");
  EXPECT_EQ(p.texts[Control::LabelBranch], "Детали\\μέτρηση.dfq");
  EXPECT_EQ(p.app_title, "Ferrolink: μέτρηση.dfq");
}

// By default the source is Ferrolink's own folder: the program, both
// settings files and the save's helper files stay, under any spelling.
TEST_F(Cycle, FerrolinksOwnFilesNeverTravel) {
  FakeComputer q;
  q.module_file = "C:\\Messplatz\\Ferrolink.exe";
  q.settings_value = "C:\\Kurz\\k9q2.ini";  // a second spelling of the folder
  q.AddDir("C:\\Messplatz");
  q.AddLink("C:\\Kurz", "C:\\Messplatz");
  q.AddDir("D:\\Ziel");
  const char* own[] = {"Ferrolink.exe", "k9q2.ini", "ferrolink.ini", "ferrolink.ini.new",
                       "ferrolink.ini.alt"};
  for (const char* name : own) q.AddFile(std::string("C:\\Messplatz\\") + name, name);
  q.AddFile("C:\\Messplatz\\k9q2.ini", "[Directories]\r\n");
  q.AddFile("C:\\Messplatz\\ferrolink.ini", "[General]\r\nTarget=D:\\Ziel\r\nDelete=1\r\n");
  q.AddFile("C:\\Messplatz\\m.dfq");
  TMainForm own_form{q, q};
  own_form.FormCreate();
  own_form.TimerFindTimer();
  EXPECT_EQ(own_form.NetState, TNetState::Reachable);
  EXPECT_EQ(q.copies.size(), 1u);
  EXPECT_TRUE(q.Exists("D:\\Ziel\\m.dfq"));
  for (const char* name : own) EXPECT_TRUE(q.Exists(std::string("C:\\Messplatz\\") + name)) << name;
}

// A link inside the source to the target or into it is not walked: what
// was delivered there stays where it is.
TEST_F(Cycle, TheTargetIsNeverWalkedAsPartOfTheSource) {
  form.SetDeleteChecked(true);
  p.AddFile("D:\\Ziel\\alt.dat", "geliefert");
  p.AddFile("D:\\Ziel\\Teil\\frueher.dat", "geliefert");
  p.AddLink("C:\\Daten\\Ablage", "D:\\Ziel");
  p.AddLink("C:\\Daten\\Zweig", "D:\\Ziel\\Teil");
  Source("m.dat");
  Tick();
  Tick();
  EXPECT_EQ(p.copies.size(), 1u);
  EXPECT_EQ(p.Content("D:\\Ziel\\alt.dat"), "geliefert");
  EXPECT_EQ(p.Content("D:\\Ziel\\Teil\\frueher.dat"), "geliefert");
  EXPECT_FALSE(p.Exists("D:\\Ziel\\Ablage"));
  EXPECT_FALSE(p.Exists("D:\\Ziel\\Zweig"));
}

// A writer that holds the source open keeps it: it is delivered, but stays
// marked until a cycle can hold it alone.

// What a killed Ferrolink, or a server gone away, left at the server is
// removed where the record proves it was a copy of this log-on's: named
// before it was made, and there now with the identity it was made with.
TEST_F(Cycle, ACopyLeftAtTheServerGoesOnlyWhereItsIdentityProvesItOurs) {
  const std::string record = p.local_data + ferrolink::kCopyRecordName;
  const auto id = [&](const char* path) { return std::to_string(p.Find(path)->id); };
  const struct {
    const char* name;
    std::function<std::string()> lines;  // the record a run left
    bool removed;
    bool held = false;  // a Ferrolink that hangs in a call still holds it
  } rows[] = {
      {"named and identified",
       [&] { return "N\t1\tD:\\Ziel\\m.dat.~ft\nI\t1\t7\t" + id("D:\\Ziel\\m.dat.~ft") + "\n"; },
       true},
      {"named only", [&] { return std::string("N\t1\tD:\\Ziel\\m.dat.~ft\n"); }, false},
      {"a data file of that name, not the copy",
       [&] {
         return "N\t1\tD:\\Ziel\\m.dat.~ft\nI\t1\t7\t" + std::to_string(p.last_id + 5) + "\n";
       },
       false},
      {"placed",
       [&] {
         return "N\t1\tD:\\Ziel\\m.dat.~ft\nI\t1\t7\t" + id("D:\\Ziel\\m.dat.~ft") + "\nX\t1\n";
       },
       false},
      {"its identity cut short",
       [&] { return "N\t1\tD:\\Ziel\\m.dat.~ft\nI\t1\t7\t" + id("D:\\Ziel\\m.dat.~ft"); }, false},
      {"held",
       [&] { return "N\t1\tD:\\Ziel\\m.dat.~ft\nI\t1\t7\t" + id("D:\\Ziel\\m.dat.~ft") + "\n"; },
       true, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeComputer q;
    q.AddDir("C:\\Daten");
    q.AddFile("D:\\Ziel\\m.dat.~ft", "halb").locked = row.held;
    std::swap(p.fs, q.fs);
    p.AddFile(record, row.lines());
    TMainForm later{p, p};
    later.FormCreate();
    later.SourceDir = "C:\\Daten\\";
    later.TargetDir = "D:\\Ziel\\";
    later.TimerFindTimer();
    EXPECT_EQ(p.Exists("D:\\Ziel\\m.dat.~ft"), !row.removed || row.held);
    if (FakeSystem::Node* left = p.Find("D:\\Ziel\\m.dat.~ft")) left->locked = false;
    later.TimerFindTimer();  // let go since
    EXPECT_EQ(p.Exists("D:\\Ziel\\m.dat.~ft"), !row.removed);
  }

  // A server that goes away during a copy keeps what was written; once it is
  // back, the copy goes and the file arrives.
  form.SetDeleteChecked(true);
  Source("m.dat");
  p.during_copy = [&](const ferrolink::CopyProgress& progress, uint64_t size) {
    p.gone_below = "D:\\";
    return progress(size / 2, size);
  };
  Tick();
  p.gone_below.clear();
  p.during_copy = nullptr;
  EXPECT_TRUE(p.Exists("D:\\Ziel\\m.dat.~ft"));
  EXPECT_TRUE(p.Exists("C:\\Daten\\m.dat"));
  Tick();
  EXPECT_FALSE(p.Exists("D:\\Ziel\\m.dat.~ft"));
  EXPECT_EQ(p.Content("D:\\Ziel\\m.dat"), "inhalt m.dat");
  EXPECT_TRUE(ferrolink::LiveCopies(p.Content(record)).empty()) << p.Content(record);

  // A record that runs for long begins anew, with what still waits.
  ferrolink::CopyRecord long_run(p, p, 300);
  long_run.Open("D:\\Ziel\\");
  p.AddFile("D:\\Ziel\\x.~ft", "gehalten").locked = true;
  const std::string held = long_run.Naming("D:\\Ziel\\x.~ft");
  long_run.Made(held, {7, p.Find("D:\\Ziel\\x.~ft")->id});
  long_run.Dropped(held);  // held: it waits
  for (int n = 0; n < 20; ++n) {
    long_run.Placed(long_run.Naming("D:\\Ziel\\m.dat.~ft"));
    long_run.Tidy("D:\\Ziel\\");
  }
  EXPECT_LT(p.Content(record).size(), 400u);
  EXPECT_EQ(ferrolink::LiveCopies(p.Content(record)).size(), 1u);
}

// Only the data tree's own files are deleted or un-marked: never what a link
// leads to, never a source renamed or replaced while it was held. A reader
// that keeps its delete from others is told apart from a writer.
TEST_F(Cycle, OnlyTheDataTreesOwnFilesAreSettled) {
  p.key_exists = true;
  const struct {
    const char* name;
    std::function<void()> setup;
    const char* reason;  // its journal line's reason, in both modes; empty: delivered
    const char* copy_mode_reason = nullptr;  // where copy mode differs
    bool copy_mode_delivered_by_another = false;
  } rows[] = {
      {"a link to a file elsewhere", [&] { p.AddLink("C:\\Daten\\m.dat", "C:\\Andere\\ziel.dat"); },
       "Verknüpfung auf eine andere Datei"},
      {"a link that the system follows to open it",
       [&] {
         p.AddLink("C:\\Daten\\m.dat", "C:\\Andere\\ziel.dat");
         p.follows_file_links = true;
       },
       "Verknüpfung auf eine andere Datei"},
      {"renamed while held",
       [&] {
         Source("m.dat");
         p.after_copy = [&](const std::string&, const std::string&) {
           p.Rename("C:\\Daten\\m.dat", "C:\\Daten\\umbenannt.dat");
         };
       },
       "Quelle wurde umbenannt oder ersetzt"},
      {"replaced while held",
       [&] {
         Source("m.dat");
         p.after_copy = [&](const std::string&, const std::string&) {
           p.Rename("C:\\Daten\\m.dat", "C:\\Daten\\umbenannt.dat");
           p.AddFile("C:\\Daten\\m.dat", "neu");
         };
       },
       "Quelle wurde umbenannt oder ersetzt"},
      {"its mark cleared by another program while held",
       [&] {
         Source("m.dat");
         p.after_copy = [&](const std::string& from, const std::string&) {
           p.Find(from)->attrs &= ~0x20u;
         };
       },
       "", "", true},
      {"a reader keeps its delete from others", [&] { Source("m.dat").reader = true; },
       "wird von einem anderen Programm offen gehalten", ""},
  };
  for (const bool delete_mode : {true, false}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(row.name) + (delete_mode ? ", delete mode" : ", copy mode"));
      FakeComputer q;
      std::swap(p.fs, q.fs);
      p.links.clear();
      p.Instrument(delete_mode);
      p.AddFile("C:\\Andere\\ziel.dat", "geheim");
      p.after_copy = nullptr;
      p.follows_file_links = false;
      row.setup();
      TMainForm moving{p, p};
      moving.FormCreate();
      moving.TimerFindTimer();
      moving.FormClose();
      const std::string reason =
          !delete_mode && row.copy_mode_reason ? row.copy_mode_reason : row.reason;
      const std::string journal = p.Content("C:\\Calyrix\\ferrolink.log");
      EXPECT_EQ(journal.find("ausgelassen\tm.dat\t" + reason) != std::string::npos, !reason.empty())
          << journal;
      EXPECT_EQ(p.Content("C:\\Andere\\ziel.dat"), "geheim");
      EXPECT_EQ(p.Find("C:\\Andere\\ziel.dat")->attrs, 0x20u);
      if (reason.empty() && (delete_mode || !row.copy_mode_delivered_by_another)) {
        EXPECT_EQ(p.Content("D:\\Ziel\\m.dat"), "inhalt m.dat");
        EXPECT_EQ(p.Exists("C:\\Daten\\m.dat"), !delete_mode);
      }
      // A renamed source is neither deleted nor un-marked under its new name.
      const FakeSystem::Node* renamed = p.Find("C:\\Daten\\umbenannt.dat");
      EXPECT_EQ(renamed ? renamed->attrs : 0x20u, 0x20u);
    }
  }
}
