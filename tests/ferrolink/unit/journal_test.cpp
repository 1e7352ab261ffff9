// The journal over the fake: the lines of a delivery run, one line per file
// and reason, its bound, its place, and a journal that cannot be written or
// whose server does not answer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "FakeComputer.h"
#include "Main.h"
#include "Paths.h"
#include "StallingComputer.h"

using ferrolink::TMainForm;
using ferrolink::test::FakeComputer;
using ferrolink::test::StallingComputer;
using Lines = std::vector<std::string>;

namespace {

constexpr char kLog[] = "C:\\Calyrix\\ferrolink.log";

class JournalTest : public ::testing::Test {
 protected:
  JournalTest() { p.Instrument(true); }
  // The journal's lines without their time stamps, taken out of it.
  Lines Take() {
    std::string text = p.Content(kLog);
    Lines lines;
    if (text.rfind("\xEF\xBB\xBF", 0) != 0) return {"<no byte-order mark>"};
    for (size_t at = 3, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
      EXPECT_EQ(text.substr(at, 20), "2026-12-09 08:41:03\t");
      lines.push_back(text.substr(at + 20, end - at - 20));
    }
    p.Find(kLog)->content = "\xEF\xBB\xBF";
    return lines;
  }

  StallingComputer p;
  TMainForm form{p, p};
};

}  // namespace

TEST_F(JournalTest, SaysWhatBecameOfEachFileOncePerReason) {
  p.AddFile("C:\\Daten\\měření_ř.dfq", "12345");
  p.AddFile("C:\\Daten\\m.dat.");
  p.AddFile("C:\\Daten\\gesperrt.dfq").locked = true;
  p.AddFile("C:\\Daten\\fest.dfq").settle_fails = true;
  p.AddFile("C:\\Daten\\beschädigt.dfq");
  p.stored = [](const std::string& path, std::string& bytes) {
    if (path.find("besch") != std::string::npos) bytes[0] ^= 1;
  };
  // Windows writes the journal of a program folder into the log-on's own store.
  const std::string store = "C:\\Users\\Messplatz\\AppData\\Local\\VirtualStore\\Calyrix\\";
  p.lands_at[p.Key(kLog)] = store + "ferrolink.log";
  form.FormCreate();
  form.TimerFindTimer();
  const std::string start = "Version 2012.1.0.0\tQuelle C:\\Daten\\\tZiel D:\\Ziel\\\tModus ";
  EXPECT_EQ(Take(), (Lines{
                        "Start\t" + start + "verschieben",
                        "Journal\t" + store,
                        "Zustand\tNetz OK",
                        "verschoben\tměření_ř.dfq\t5 Bytes\tgeprüft",
                        "ausgelassen\tm.dat.\tName, den Windows ändern würde",
                        "ausgelassen\tgesperrt.dfq\twird noch geschrieben",
                        "ausgelassen\tfest.dfq\tQuelle kann nicht gelöscht werden: Zugriff "
                        "verweigert",
                        "ausgelassen\tbeschädigt.dfq\tKopie am Ziel weicht ab",
                    }));
  const size_t copies = p.copies.size();
  form.TimerFindTimer();  // the same reasons: no lines, and no copy of what waits
  EXPECT_EQ(Take(), Lines{});
  EXPECT_EQ(p.copies.size(), copies);

  p.Find("C:\\Daten\\gesperrt.dfq")->locked = false;
  p.Find("C:\\Daten\\gesperrt.dfq")->settle_fails = true;  // a new reason
  p.Find("C:\\Daten\\fest.dfq")->settle_fails = false;
  p.Remove("D:\\Ziel");
  form.TimerFindTimer();
  EXPECT_EQ(Take(), Lines{"Zustand\tKein Netz"});
  p.AddDir("D:\\Ziel");
  form.SetDeleteChecked(false);
  p.milliseconds += ferrolink::kFirstWait;
  form.TimerFindTimer();
  EXPECT_EQ(Take(), (Lines{"Zustand\tNetz OK",
                           "ausgelassen\tgesperrt.dfq\tArchivbit der Quelle kann nicht gelöscht "
                           "werden: Zugriff verweigert",
                           "kopiert\tfest.dfq\t4 Bytes\tgeprüft"}));
  form.FormClose();
  EXPECT_EQ(Take(), Lines{"Ende\t" + start + "kopieren"});
}

TEST_F(JournalTest, IsRenamedPastOneMegabyteAndNeverStopsATransfer) {
  p.AddFile(kLog, "\xEF\xBB\xBF" + std::string(ferrolink::kJournalLimit, 'x'));
  form.FormCreate();
  EXPECT_EQ(p.Content(std::string(kLog) + ".1").size(), ferrolink::kJournalLimit + 3);
  EXPECT_EQ(Take().size(), 1u);  // the start, in a new journal

  p.Find(kLog)->locked = true;  // another program holds it
  p.AddFile("C:\\Daten\\a.dfq");
  form.TimerFindTimer();
  EXPECT_TRUE(p.Exists("D:\\Ziel\\a.dfq"));
  EXPECT_FALSE(p.Exists("C:\\Daten\\a.dfq"));
  p.Find(kLog)->locked = false;
  p.AddFile("C:\\Daten\\b.dfq");
  form.TimerFindTimer();
  // The lines of the held time waited, and come first.
  EXPECT_EQ(Take(), (Lines{"Zustand\tNetz OK", "verschoben\ta.dfq\t4 Bytes\tgeprüft",
                           "verschoben\tb.dfq\t4 Bytes\tgeprüft"}));

  // Measured large just before another Ferrolink renamed it and began a new
  // one: the new one is not renamed over the older lines.
  p.AddFile("C:\\Daten\\c.dfq");
  p.Find(kLog)->listed = ferrolink::kJournalLimit + 1;
  form.TimerFindTimer();
  EXPECT_EQ(p.Content(std::string(kLog) + ".1").size(), ferrolink::kJournalLimit + 3);
  EXPECT_EQ(Take(), Lines{"verschoben\tc.dfq\t4 Bytes\tgeprüft"});
  p.Find(kLog)->listed = 0;

  // Held for more than a megabyte of lines: the oldest beyond it are
  // dropped and counted, the newest wait.
  p.Find(kLog)->locked = true;
  ferrolink::Journal journal(p);
  journal.SetPath(kLog);
  const std::string details(1000, 'd');
  for (int line = 0; line < 1100; ++line) journal.Add("Zustand", details);
  journal.Flush();
  p.Find(kLog)->locked = false;
  journal.Flush();
  const Lines lines = Take();
  ASSERT_EQ(lines.size(), 1u + 1018u);  // 1030 bytes a line
  EXPECT_EQ(lines[0],
            "Fehler\tJournal seit 2026-12-09 08:41:03 nicht schreibbar (Zugriff "
            "verweigert), 82 Zeile(n) verloren");

  // Held up in a write for as long by a server that does not answer: the
  // lines are bounded alike, and the note says since when.
  ferrolink::Worker writer([&] { journal.Write(); }, std::chrono::seconds(1));
  journal.SetWriter([&] { writer.Wake(); });
  p.Hold("ferrolink.log");
  journal.Add("Zustand", "vorher");
  journal.Flush();
  EXPECT_TRUE(p.WaitHeld());
  for (int line = 0; line < 1200; ++line) journal.Add("Zustand", details);
  p.Release();
  EXPECT_TRUE(writer.Stop(std::chrono::steady_clock::now() + std::chrono::seconds(5)));
  const Lines held = Take();
  ASSERT_EQ(held.size(), 2u + 1072u);
  EXPECT_EQ(held[0], "Zustand\tvorher");
  EXPECT_EQ(held[1],
            "Fehler\tJournal seit 2026-12-09 08:41:03 nicht schreibbar, 128 Zeile(n) verloren");

  // Asked for after each of a burst of moved files: the writes asked for
  // within the gap after one began are gathered into one, and a stop does
  // not wait for the gap's end.
  std::atomic<int> runs{0};
  ferrolink::Worker gathering([&] { ++runs; }, std::chrono::seconds(10),
                              std::chrono::milliseconds(500));
  const auto reaches = [&](int count) {
    for (int wait = 0; wait < 500 && runs < count; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return runs == count;
  };
  gathering.Wake();
  EXPECT_TRUE(reaches(1));
  for (int wake = 0; wake < 5; ++wake) gathering.Wake();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(reaches(2));
  gathering.Wake();
  EXPECT_TRUE(gathering.Stop(std::chrono::steady_clock::now() + std::chrono::milliseconds(200)));
  EXPECT_EQ(runs, 3);

  // The form's reasons among the dropped lines are told again at the next
  // cycle that can write them.
  p.Find(kLog)->locked = true;
  const std::string name = std::string(240, 'n') + ".";
  for (int n = 0; n < 2200; ++n) {
    p.AddFile("C:\\Daten\\" + std::to_string(n / 50) + name + "\\" + std::to_string(n) + name);
  }
  form.TimerFindTimer();
  for (int n = 1; n < 2200; ++n) {
    p.Remove("C:\\Daten\\" + std::to_string(n / 50) + name + "\\" + std::to_string(n) + name);
  }
  p.Find(kLog)->locked = false;
  form.TimerFindTimer();
  const std::string told = p.Content(std::string(kLog) + ".1") + p.Content(kLog);
  EXPECT_NE(told.find("\tausgelassen\t0" + name + "\\0" + name + "\tName, den Windows"),
            std::string::npos);

  // A server that does not answer holds the journal's writer in its call:
  // the deliveries, their end at the source and their lines go on
  // meanwhile, and the lines follow in order once it answers.
  Take();
  form.StartWork();
  p.Hold("ferrolink.log");
  for (const std::string name : {"d.dfq", "e.dfq"}) {
    p.AddFile("C:\\Daten\\" + name);
    form.TimerFindTimer();
    EXPECT_TRUE(p.WaitHeld());
    EXPECT_TRUE(p.Exists("D:\\Ziel\\" + name));
    EXPECT_FALSE(p.Exists("C:\\Daten\\" + name));
  }
  // A close meanwhile: the end line is added at once, and the wait for the
  // writer gives up after its bound.
  form.WriteEnd();
  const auto began = std::chrono::steady_clock::now();
  EXPECT_FALSE(form.EndWork(100));
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(2));
  p.Release();
  EXPECT_TRUE(form.EndWork(5000));
  EXPECT_EQ(Take(),
            (Lines{"verschoben\td.dfq\t4 Bytes\tgeprüft", "verschoben\te.dfq\t4 Bytes\tgeprüft",
                   "Ende\tVersion 2012.1.0.0\tQuelle C:\\Daten\\\tZiel D:\\Ziel\\\tModus "
                   "verschieben"}));
}

// Two Ferrolinks of two log-ons on one source, target and journal: the
// second runs a whole cycle at each step of the first's delivery of a file.
// Every file arrives whole, once, at its own name, nothing else stays at
// the target, and no line says a file was left.
TEST(TwoLogOns, DeliverEachFileOnceWhereverTheOtherComesIn) {
  for (const char* step :
       {"vor dem Halten", "gehalten", "kopiert", "am Ziel", "erledigt", "losgelassen"}) {
    for (const bool delete_mode : {true, false}) {
      SCOPED_TRACE(std::string(step) + (delete_mode ? ", delete mode" : ", copy mode"));
      FakeComputer p;
      p.Instrument(delete_mode);
      p.AddFile("C:\\Daten\\m.dfq", "Messung m");
      p.AddFile("C:\\Daten\\n.dfq", "Messung n");
      TMainForm first{p, p};
      ferrolink::test::FakeView other_view;
      TMainForm other{p, other_view};
      first.FormCreate();
      other.FormCreate();
      p.process_tag = "a";
      auto other_runs = [&](const std::string& at) {
        if (at != step) return;
        p.before_hold = nullptr;
        p.between_steps = nullptr;
        p.process_tag = "b";
        other.TimerFindTimer();
        p.process_tag = "a";
      };
      p.before_hold = [&](const std::string&) { other_runs("vor dem Halten"); };
      p.between_steps = other_runs;
      first.TimerFindTimer();
      first.FormClose();
      other.FormClose();
      EXPECT_EQ(p.between_steps, nullptr);  // the other one ran
      EXPECT_EQ(p.Find("D:\\Ziel")->children, (std::vector<std::string>{"m.dfq", "n.dfq"}));
      const std::string journal = p.Content(kLog);
      for (const char* name : {"m.dfq", "n.dfq"}) {
        EXPECT_EQ(p.Content(std::string("D:\\Ziel\\") + name), std::string("Messung ") + name[0]);
        const std::string source = std::string("C:\\Daten\\") + name;
        EXPECT_EQ(p.Exists(source), !delete_mode);
        if (!delete_mode) {
          EXPECT_EQ(p.Find(source)->attrs, 0u);
        }
        EXPECT_NE(journal.find(std::string(delete_mode ? "verschoben\t" : "kopiert\t") + name),
                  std::string::npos);
      }
      EXPECT_EQ(journal.find("ausgelassen"), std::string::npos) << journal;
    }
  }
}

// Windows refuses a plain path of 260 UTF-16 units or more, and a folder to
// be made of 248 or more; the fake keeps those limits. Files arrive whatever
// the length of their source path, of the target folder to be made, or of
// their target path, in both modes, and the journal names them whole.
TEST(LongPaths, EveryFileArrivesUpToWindowsLimit) {
  // `start`, then folders (a 'ü' in each: two bytes, one unit) up to exactly
  // `units` units, ending in a backslash.
  auto grown = [](std::string path, size_t units) {
    size_t have = ferrolink::Utf16Units(path);
    while (units - have > 201) {
      path += "\xC3\xBC" + std::string(198, 'x') + "\\";
      have += 200;
    }
    return path + "\xC3\xBC" + std::string(units - have - 2, 'y') + "\\";
  };
  enum Long { SourceFile, TargetFolder, TargetFile };
  for (const Long what : {SourceFile, TargetFolder, TargetFile}) {
    for (const size_t units : {247, 248, 249, 259, 260, 261, 300, 1000, 32000}) {
      for (const bool delete_mode : {true, false}) {
        SCOPED_TRACE(testing::Message() << what << " " << units << " " << delete_mode);
        FakeComputer p;
        p.settings_value = "C:\\Calyrix\\k9q2.ini";
        p.AddFile(p.settings_value, "[Directories]\r\nDatafiles=C:\\Daten\r\n");
        std::string target = "D:\\Ziel\\";
        std::string source_file = "C:\\Daten\\m.dfq";
        if (what == SourceFile) source_file = grown("C:\\Daten\\", units - 5) + "m.dfq";
        // The folder made last is the target folder less its final backslash.
        if (what == TargetFolder) source_file = grown("C:\\Daten\\", units + 2) + "m.dfq";
        if (what == TargetFile) target = grown(target, units - 5);
        std::string ansi_target;  // the settings file keeps the ANSI code page
        ASSERT_TRUE(p.ToAnsi(target, ansi_target));
        p.AddFile("C:\\Calyrix\\ferrolink.ini", "[General]\r\nTarget=" + ansi_target +
                                                    "\r\nDelete=" + (delete_mode ? "1" : "0") +
                                                    "\r\n");
        p.AddDir(target);
        p.AddFile(source_file, "Messung");
        const std::string relative = source_file.substr(9);
        TMainForm form{p, p};
        form.FormCreate();
        form.TimerFindTimer();
        form.FormClose();
        EXPECT_EQ(p.Content(target + relative), "Messung");
        EXPECT_EQ(p.Exists(source_file), !delete_mode);
        if (!delete_mode) {
          EXPECT_EQ(p.Find(source_file)->attrs, 0u);
        }
        const std::string line =
            std::string(delete_mode ? "verschoben\t" : "kopiert\t") + relative + "\t7 Bytes";
        EXPECT_NE(p.Content(kLog).find(line), std::string::npos);
        EXPECT_GE(p.longest_handed, units);
      }
    }
  }
}

TEST_F(JournalTest, NoSettingsFolderNoJournal) {
  p.settings_value.clear();
  p.AddFile("C:\\Daten\\a.dfq");
  form.FormCreate();
  form.TimerFindTimer();
  EXPECT_FALSE(p.Exists(kLog));
  EXPECT_FALSE(p.Exists("C:\\Work\\ferrolink.log"));

  // Lines gathered before the journal's place changed go to the journal
  // they were gathered for; without a place they are dropped.
  ferrolink::Journal journal(p);
  journal.Add("Zustand", "nirgends");
  journal.SetPath(kLog);
  journal.Add("Zustand", "hier");
  p.AddDir("C:\\Andere");
  journal.SetPath("C:\\Andere\\ferrolink.log");
  journal.Add("Zustand", "dort");
  journal.Flush();
  EXPECT_EQ(Take(), Lines{"Zustand\thier"});
  EXPECT_EQ(p.Content("C:\\Andere\\ferrolink.log"),
            "\xEF\xBB\xBF"
            "2026-12-09 08:41:03\tZustand\tdort\r\n");
}
