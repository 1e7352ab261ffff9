// The journal over the fake: the lines of a delivery run, one line per file
// and reason, its bound, and a journal that cannot be written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeComputer.h"
#include "Main.h"

using ferrolink::TMainForm;
using ferrolink::test::FakeComputer;
using Lines = std::vector<std::string>;

namespace {

constexpr char kLog[] = "C:\\Calyrix\\ferrolink.log";

class JournalTest : public ::testing::Test {
 protected:
  JournalTest() {
    p.settings_value = "C:\\Calyrix\\k9q2.ini";
    p.AddFile(p.settings_value, "[Directories]\r\nDatafiles=C:\\Daten\r\n");
    p.AddFile("C:\\Calyrix\\ferrolink.ini", "[General]\r\nTarget=D:\\Ziel\r\nDelete=1\r\n");
    p.AddDir("C:\\Daten");
    p.AddDir("D:\\Ziel");
  }
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

  FakeComputer p;
  TMainForm form{p, p};
};

}  // namespace

TEST_F(JournalTest, SaysWhatBecameOfEachFileOncePerReason) {
  p.AddFile("C:\\Daten\\měření_ř.dfq", "12345");
  p.AddFile("C:\\Daten\\m.dat.");
  p.AddFile("C:\\Daten\\gesperrt.dfq").locked = true;
  p.AddFile("C:\\Daten\\offen.dfq").held = true;
  form.FormCreate();
  form.TimerFindTimer();
  const std::string start = "Version 2012.1.0.0\tQuelle C:\\Daten\\\tZiel D:\\Ziel\\\tModus ";
  EXPECT_EQ(Take(), (Lines{
                        "Start\t" + start + "verschieben",
                        "Zustand\tNetz OK",
                        "verschoben\tměření_ř.dfq\t5 Bytes",
                        "ausgelassen\tm.dat.\tName, den Windows ändern würde",
                        "ausgelassen\tgesperrt.dfq\tKopieren fehlgeschlagen: Datei wird von einem "
                        "anderen Prozess verwendet",
                        "ausgelassen\toffen.dfq\tQuelle kann nicht gelöscht werden: Datei wird von "
                        "einem anderen Prozess verwendet",
                    }));
  form.TimerFindTimer();  // the same reasons: no lines
  EXPECT_EQ(Take(), Lines{});

  p.Find("C:\\Daten\\gesperrt.dfq")->locked = false;
  p.Find("C:\\Daten\\gesperrt.dfq")->held = true;  // a new reason
  p.Find("C:\\Daten\\offen.dfq")->held = false;
  p.Remove("D:\\Ziel");
  form.TimerFindTimer();
  EXPECT_EQ(Take(), Lines{"Zustand\tKein Netz"});
  p.AddDir("D:\\Ziel");
  form.SetDeleteChecked(false);
  form.TimerFindTimer();
  EXPECT_EQ(Take(), (Lines{"Zustand\tNetz OK",
                           "ausgelassen\tgesperrt.dfq\tArchivbit der Quelle kann nicht gelöscht "
                           "werden: Datei wird von einem anderen Prozess verwendet",
                           "kopiert\toffen.dfq\t4 Bytes"}));
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
  EXPECT_EQ(Take(), (Lines{"Fehler\tJournal seit 2026-12-09 08:41:03 nicht schreibbar (Zugriff "
                           "verweigert), 2 Zeile(n) verloren",
                           "verschoben\tb.dfq\t4 Bytes"}));
}

TEST_F(JournalTest, NoSettingsFolderNoJournal) {
  p.settings_value.clear();
  p.AddFile("C:\\Daten\\a.dfq");
  form.FormCreate();
  form.TimerFindTimer();
  EXPECT_FALSE(p.Exists(kLog));
  EXPECT_FALSE(p.Exists("C:\\Work\\ferrolink.log"));
}
