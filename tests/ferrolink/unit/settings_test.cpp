// Start-up, settings and the user's actions of the main window, over the fake.
#include <gtest/gtest.h>

#include <thread>

#include "FakeComputer.h"
#include "Main.h"
#include "StallingComputer.h"

using ferrolink::Control;
using ferrolink::SettingsValue;
using ferrolink::TMainForm;
using ferrolink::TNetState;
using ferrolink::test::FakeComputer;
using ferrolink::test::StallingComputer;

namespace {

class Settings : public ::testing::Test {
 protected:
  Settings() {
    p.settings_value = "C:\\Calyrix\\settings.ini";
    p.AddDir("C:\\Calyrix");
    p.AddDir("C:\\Tools");
  }
  void Instrument(const std::string& content) { p.AddFile("C:\\Calyrix\\settings.ini", content); }
  void Own(const std::string& content) { p.AddFile(kIni, content); }
  void Create() { form.FormCreate(); }

  static constexpr const char* kIni = "C:\\Calyrix\\ferrolink.ini";
  FakeComputer p;
  TMainForm form{p, p};
};

}  // namespace

TEST_F(Settings, ReadsAllThreePlacesAndAddsFinalBackslashes) {
  Instrument("[Directories]\r\nDatafiles=D:\\Messdaten\r\n");
  Own("[General]\r\nTarget=\\\\srv\\ablage\r\nDelete=0\r\n");
  Create();
  EXPECT_EQ(form.SourceDir, "D:\\Messdaten\\");
  EXPECT_EQ(form.TargetDir, "\\\\srv\\ablage\\");
  EXPECT_FALSE(form.DeleteChecked());
  EXPECT_EQ(p.texts[Control::LabelSource], "D:\\Messdaten\\");
  EXPECT_EQ(p.texts[Control::EditTarget], "\\\\srv\\ablage\\");
  EXPECT_EQ(p.texts[Control::LabelVersion], "Version: V2012.1.0.0");
  EXPECT_TRUE(p.replaced_files.empty());  // nothing is saved at start with Delete off
  ASSERT_TRUE(form.FileSearcher);
  EXPECT_EQ(form.FileSearcher->Options, ferrolink::soFiles | ferrolink::soRecursive);
  EXPECT_EQ(form.NetState, TNetState::Start);
}

TEST_F(Settings, DefaultsWhenFilesOrKeysAreMissing) {
  Create();                                  // neither file exists
  EXPECT_EQ(form.SourceDir, "C:\\Tools\\");  // the executable's directory
  EXPECT_EQ(form.TargetDir, "C:\\Tools\\");  // the source
  EXPECT_TRUE(p.errors.empty());
  EXPECT_TRUE(p.replaced_files.empty());
}

TEST_F(Settings, EmptyDatafilesCountsAsMissing) {
  Instrument("[Directories]\r\nDatafiles=\r\n");
  Create();
  EXPECT_EQ(form.SourceDir, "C:\\Tools\\");
}

TEST_F(Settings, DeleteOnRewritesTheFileAtOnceWithoutComments) {
  Instrument("[Directories]\r\nDatafiles=C:\\Daten\\\r\n");
  Own("; Ferrolink\r\n[General]\r\n; Ziel\r\nTarget=\\\\srv\\x\r\nDelete=$1\r\n");
  Create();
  EXPECT_TRUE(form.DeleteChecked());
  EXPECT_TRUE(p.checked[Control::CheckBoxDelete]);
  ASSERT_EQ(p.replaced_files.size(), 1u);
  EXPECT_EQ(p.Content(kIni), "[General]\r\nTarget=\\\\srv\\x\r\nDelete=1\r\n\r\n");
}

TEST_F(Settings, CheckBoxSavesOnEveryChange) {
  Own("[General]\r\nTarget=E:\\Ziel\r\n");
  Create();
  form.SetDeleteChecked(true);
  EXPECT_EQ(p.Content(kIni), "[General]\r\nTarget=E:\\Ziel\r\nDelete=1\r\n\r\n");
  form.SetDeleteChecked(true);  // no change of state, no save
  EXPECT_EQ(p.replaced_files.size(), 1u);
  form.SetDeleteChecked(false);
  EXPECT_EQ(p.Content(kIni), "[General]\r\nTarget=E:\\Ziel\r\nDelete=0\r\n\r\n");
}

TEST_F(Settings, DriveRootTargetRoundTrip) {
  Own("[General]\r\nTarget=C:\r\n");
  Create();
  EXPECT_EQ(form.TargetDir, "C:\\");
  form.SetDeleteChecked(true);
  EXPECT_EQ(p.Content(kIni), "[General]\r\nTarget=C:\r\nDelete=1\r\n\r\n");
}

TEST_F(Settings, NoRegistryKeyMeansNothingReadAndNothingSaved) {
  p.key_exists = false;
  Own("[General]\r\nTarget=E:\\Ziel\r\nDelete=1\r\n");
  Create();
  EXPECT_EQ(form.SourceDir, "");
  EXPECT_EQ(form.TargetDir, "");
  EXPECT_FALSE(form.DeleteChecked());
  EXPECT_EQ(p.texts[Control::EditTarget], "");
  form.SetDeleteChecked(true);
  p.browse_result = true;
  p.browse_path = "E:\\Neu";
  form.SpeedButtonDirClick();
  EXPECT_EQ(form.TargetDir, "E:\\Neu\\");
  EXPECT_TRUE(p.replaced_files.empty());
  ASSERT_TRUE(form.FileSearcher);
}

TEST_F(Settings, WrongValueTypeIsReportedAndDefaultsStandIn) {
  p.value_kind = SettingsValue::OtherType;
  Own("[General]\r\nTarget=E:\\Ziel\r\nDelete=1\r\n");
  Create();
  EXPECT_EQ(p.errors, std::vector<std::string>{"Ungültiger Datentyp für 'Settings'"});
  EXPECT_EQ(form.SourceDir, "C:\\Tools\\");
  EXPECT_EQ(form.TargetDir, "C:\\Tools\\");
  EXPECT_EQ(p.texts[Control::LabelVersion], "Version: V2012.1.0.0");
  EXPECT_TRUE(form.FileSearcher);
  EXPECT_TRUE(p.replaced_files.empty());
}

// A settings value that could not be read never drives a transfer or a
// save; each tick reads it again, and once it reads, the cycle goes on as if
// it had been read at start. Files lie beside Ferrolink.exe, where an
// unread source used to fall back to.
TEST_F(Settings, UnreadSettingsMoveNothingUntilTheyRead) {
  struct Case {
    const char* name;
    bool instrument_locked, own_locked, no_module_path;
    const char* error;  // the report at start; empty: none
    size_t reports;     // after two ticks (and a click): the ticks stay silent
  };
  const Case cases[] = {
      {"instrument file locked", true, false, false,
       "Datei C:\\Calyrix\\settings.ini kann nicht geö"
       "ffnet werden",
       1},
      {"ferrolink.ini locked", false, true, false,
       "Datei C:\\Calyrix\\ferrolink.ini kann nicht geö"
       "ffnet werden",
       2},
      {"own path unreadable, no Datafiles", false, false, true, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeComputer q;
    q.settings_value = "C:\\Calyrix\\settings.ini";
    q.AddDir("E:\\Ziel");
    q.AddFile("C:\\Tools\\Ferrolink.ini.dat");
    q.AddFile("D:\\X\\m.dat");
    q.AddFile("C:\\Calyrix\\settings.ini",
              c.no_module_path ? "" : "[Directories]\r\nDatafiles=D:\\X\r\n");
    q.AddFile("C:\\Calyrix\\ferrolink.ini", "[General]\r\nTarget=E:\\Ziel\r\nDelete=1\r\n");
    q.Find("C:\\Calyrix\\settings.ini")->read_fails = c.instrument_locked;
    q.Find("C:\\Calyrix\\ferrolink.ini")->read_fails = c.own_locked;
    if (c.no_module_path) q.module_file.clear();
    TMainForm f{q, q};
    f.FormCreate();
    EXPECT_EQ(q.errors,
              c.error[0] ? std::vector<std::string>{c.error} : std::vector<std::string>{});
    for (int tick = 0; tick < 2; ++tick) f.TimerFindTimer();
    EXPECT_TRUE(q.copies.empty());
    EXPECT_TRUE(q.Exists("C:\\Tools\\Ferrolink.ini.dat"));
    EXPECT_TRUE(q.connection_attempts.empty());
    if (c.own_locked) {
      f.SetDeleteChecked(!f.DeleteChecked());  // a click: nothing is saved over the file
      EXPECT_TRUE(q.replaced_files.empty());
    }
    EXPECT_EQ(q.errors.size(), c.reports);
    if (c.no_module_path) continue;

    q.Find("C:\\Calyrix\\settings.ini")->read_fails = false;
    q.Find("C:\\Calyrix\\ferrolink.ini")->read_fails = false;
    f.TimerFindTimer();
    EXPECT_EQ(f.SourceDir, "D:\\X\\");
    EXPECT_EQ(f.TargetDir, "E:\\Ziel\\");
    EXPECT_TRUE(f.DeleteChecked());
    EXPECT_EQ(q.texts[Control::LabelSource], "D:\\X\\");
    EXPECT_EQ(q.Content("E:\\Ziel\\m.dat"), "data");
    EXPECT_FALSE(q.Exists("D:\\X\\m.dat"));
    EXPECT_EQ(q.minimized, 1);
  }
}

// The ini reads again before the next tick, and the user ticks the box: the
// click is saved, and the target the file holds stays.
TEST_F(Settings, AClickBeforeTheIniIsReadAgainKeepsItsTarget) {
  Own("[General]\r\nTarget=E:\\Ziel\r\n");
  p.Find(kIni)->read_fails = true;
  Create();
  p.Find(kIni)->read_fails = false;
  form.SetDeleteChecked(true);
  EXPECT_EQ(p.Content(kIni), "[General]\r\nTarget=E:\\Ziel\r\nDelete=1\r\n\r\n");
}

TEST_F(Settings, AnEmptyTargetIsNoTarget) {
  Instrument("[Directories]\r\nDatafiles=D:\\Messdaten\r\n");
  Own("[General]\r\nTarget=\r\n");
  p.AddDir("D:\\Messdaten");
  Create();
  EXPECT_EQ(form.TargetDir, "D:\\Messdaten\\");
  form.TimerFindTimer();
  EXPECT_EQ(form.NetState, TNetState::Misconfigured);
}

// A save that failed half-way left the old file under its backup name only:
// the settings are read from there, and the next save puts a file in place.
TEST_F(Settings, ASaveCutShortLeavesTheSettingsReadable) {
  p.AddFile(std::string(kIni) + ".alt", "[General]\r\nTarget=E:\\Alt\r\nDelete=1\r\n");
  Create();
  EXPECT_EQ(form.TargetDir, "E:\\Alt\\");
  EXPECT_TRUE(form.DeleteChecked());
  form.SetDeleteChecked(false);
  EXPECT_EQ(p.Content(kIni), "[General]\r\nTarget=E:\\Alt\r\nDelete=0\r\n\r\n");
}

// The saves run on the settings thread once it runs, else at once: the
// window's side of a choice and a click is done whatever becomes of their
// saves, a failed one keeps the old file and is shown, a held one (a server
// that does not answer) arrives once it answers. Made while a tick reads the
// settings again, the choices stand and are saved.
TEST(SettingsSave, TheWindowsSideFinishesWhateverBecomesOfTheSave) {
  const struct {
    const char* name;
    bool own_thread, fails, held, during_read;
  } rows[] = {
      {"a failed save, at once", false, true, false, false},
      {"a failed save on the settings thread", true, true, false, false},
      {"a save held by the server, on the settings thread", true, false, true, false},
      {"choices while a tick reads the settings again", true, false, false, true},
  };
  const std::string ini = "C:\\Calyrix\\ferrolink.ini";
  const std::string old = "[General]\r\nTarget=E:\\Alt\r\n; keep\r\n";
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    StallingComputer p;
    p.settings_value = "C:\\Calyrix\\settings.ini";
    p.AddFile(ini, old).write_fails = row.fails;
    p.AddFile(p.settings_value, "[Directories]\r\nDatafiles=D:\\X\r\n").read_fails =
        row.during_read;
    TMainForm form{p, p};
    if (row.own_thread) form.StartWork();
    form.FormCreate();
    if (row.held) p.Hold("ferrolink.ini");
    // The tick's read waits for the server, holding the settings files.
    std::thread tick;
    if (row.during_read) {
      p.Hold("settings.ini");
      tick = std::thread([&] { form.TimerFindTimer(); });
      EXPECT_TRUE(p.WaitHeld());
    }
    p.browse_result = true;
    p.browse_path = "F:\\Neu";
    form.SpeedButtonDirClick();
    form.SetDeleteChecked(true);
    EXPECT_EQ(form.TargetDir, "F:\\Neu\\");
    EXPECT_TRUE(form.DeleteChecked());
    EXPECT_TRUE(p.timer_enabled);
    EXPECT_EQ(p.timer_interval, 1000);
    EXPECT_EQ(p.focused, 1);
    if (row.held) {
      EXPECT_TRUE(p.WaitHeld());
      EXPECT_EQ(p.ContentNow(ini), old);
    }
    p.Release();
    if (tick.joinable()) tick.join();
    EXPECT_TRUE(form.EndWork(5000));
    EXPECT_EQ(p.texts[Control::EditTarget], "F:\\Neu\\");
    const std::string failed = "Datei C:\\Calyrix\\ferrolink.ini kann nicht erstellt werden";
    std::vector<std::string> errors;
    if (row.fails) errors = {failed, failed};
    if (row.during_read) errors = {"Datei C:\\Calyrix\\settings.ini kann nicht geöffnet werden"};
    EXPECT_EQ(p.errors, errors);
    EXPECT_EQ(p.Content(ini), row.fails ? old : "[General]\r\nTarget=F:\\Neu\r\nDelete=1\r\n\r\n");
  }
}

TEST_F(Settings, UnreadableOwnFileIsNotOverwrittenAtSave) {
  Own("[General]\r\nTarget=E:\\Alt\r\n");
  Create();
  p.Find(kIni)->read_fails = true;
  form.SetDeleteChecked(true);
  EXPECT_EQ(p.errors, std::vector<std::string>{
                          "Datei C:\\Calyrix\\ferrolink.ini kann nicht geöffnet werden"});
  EXPECT_TRUE(p.replaced_files.empty());
}

TEST_F(Settings, FolderChoiceSavesAndShortensTheInterval) {
  Own("[General]\r\nTarget=E:\\Alt\r\nDelete=0\r\n");
  Create();
  p.browse_result = true;
  p.browse_path = "F:\\Server\\Ablage";
  form.SpeedButtonDirClick();
  EXPECT_EQ(p.browse_title, "Wählen Sie das Serververzeichnis");
  EXPECT_FALSE(p.browse_timer_was_on);  // no tick while the dialog runs
  EXPECT_EQ(form.TargetDir, "F:\\Server\\Ablage\\");
  EXPECT_EQ(p.texts[Control::EditTarget], "F:\\Server\\Ablage\\");
  EXPECT_EQ(p.Content(kIni), "[General]\r\nTarget=F:\\Server\\Ablage\r\nDelete=0\r\n\r\n");
  EXPECT_EQ(p.timer_interval, 1000);
  EXPECT_TRUE(p.timer_enabled);
}

TEST_F(Settings, CancelledFolderChoiceChangesNothing) {
  Own("[General]\r\nTarget=E:\\Alt\r\n");
  Create();
  p.browse_result = false;
  form.SpeedButtonDirClick();
  EXPECT_EQ(form.TargetDir, "E:\\Alt\\");
  EXPECT_TRUE(p.replaced_files.empty());
  EXPECT_EQ(p.timer_interval, 2000);
  EXPECT_TRUE(p.timer_enabled);
  EXPECT_EQ(p.timer_restarts, 1);  // counts its whole interval from now
  EXPECT_EQ(p.focused, 1);
}

TEST_F(Settings, WindowEvents) {
  Create();
  form.FormShow();
  EXPECT_TRUE(p.visible[Control::FailedImage]);
  form.ButtonMiniClick();
  EXPECT_EQ(p.minimized, 1);
  form.FormClose();
  EXPECT_FALSE(p.timer_enabled);
  EXPECT_FALSE(form.FileSearcher);
  EXPECT_TRUE(p.replaced_files.empty());  // nothing saved on close
}

// The files hold their paths in the ANSI code page; a chosen target that
// the code page cannot spell is not saved as another path.
TEST_F(Settings, PathsInTheFilesAreInTheAnsiCodePage) {
  Instrument(
      "[Directories]\r\nDatafiles=D:\\Me\xDF"
      "daten M\xE4rz\r\n");
  Own("[General]\r\nTarget=\\\\srv\\Ablage \x80\r\nDelete=0\r\n");
  Create();
  EXPECT_EQ(form.SourceDir, "D:\\Meßdaten März\\");
  EXPECT_EQ(form.TargetDir, "\\\\srv\\Ablage €\\");

  p.browse_result = true;
  p.browse_path = "F:\\Größe";
  form.SpeedButtonDirClick();
  EXPECT_EQ(p.Content(kIni),
            "[General]\r\nTarget=F:\\Gr\xF6\xDF"
            "e\r\nDelete=0\r\n\r\n");
  p.browse_path = "F:\\Díl Řada 7";
  form.SpeedButtonDirClick();
  EXPECT_EQ(form.TargetDir, "F:\\Größe\\");  // refused: the old target stays in force
  EXPECT_EQ(p.errors,
            std::vector<std::string>{"Der Pfad F:\\Díl Řada 7 kann nicht gespeichert werden"});
  EXPECT_EQ(p.Content(kIni),
            "[General]\r\nTarget=F:\\Gr\xF6\xDF"
            "e\r\nDelete=0\r\n\r\n");
}
