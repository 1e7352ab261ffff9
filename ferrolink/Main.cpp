#include "Main.h"

#include <chrono>
#include <utility>

#include "Ini.h"
#include "Paths.h"
#include "Version.h"

namespace ferrolink {

namespace {

constexpr char kIniName[] = "ferrolink.ini";
constexpr char kJournalName[] = "ferrolink.log";
// What the journal has gathered is written at least this often.
constexpr std::chrono::milliseconds kJournalPeriod{1000};

std::string Format(const char* pattern, const std::string& arg) {
  std::string text = pattern;
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, arg);
  return text;
}

}  // namespace

TMainForm::TMainForm(System& system, FormView& view) : system_(system), view_(view) {}

TMainForm::~TMainForm() = default;

void TMainForm::StartWork() {
  journal_thread_ = std::make_unique<Worker>(
      [this] {
        try {
          journal_.Write();
        } catch (...) {
          view_.ShowError(ErrorText(std::current_exception()));
        }
      },
      kJournalPeriod);
  journal_.SetWriter([this] { journal_thread_->Wake(); });
  settings_thread_ = std::make_unique<Worker>();
}

bool TMainForm::EndWork(int milliseconds) {
  if (!journal_thread_) return true;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  // The settings first: their thread may add lines yet.
  const bool saved = settings_thread_->Stop(until);
  return journal_thread_->Stop(until) && saved;
}

void TMainForm::Background(std::function<void()> work) {
  auto guarded = [this, work = std::move(work)] {
    try {
      work();
    } catch (...) {
      view_.ShowError(ErrorText(std::current_exception()));
    }
  };
  if (settings_thread_) {
    settings_thread_->Run(std::move(guarded));
  } else {
    guarded();
  }
}

void TMainForm::FormCreate() {
  NetState = TNetState::Start;
  TFileVersion version;
  ReadFileVersion(system_, system_.ProgramFile(), version);
  LoadSettings();
  // An unreadable version resource leaves the record at zeros.
  version_text_ = VersionText(version);
  view_.SetText(Control::LabelVersion, "Version: V" + version_text_);
  journal_.Add(kJournalStart, Outline());
  if (SettingsPending()) journal_.Add(kJournalState, "Einstellungen nicht lesbar");
  journal_.Flush();
  ShowFolders();
  FileSearcher = std::make_unique<TSearcher>(system_);
  FileSearcher->Options = soFiles | soRecursive;
  FileSearcher->OnFound = [this](TFoundFile& file) { CopyFoundFile(file); };
  FileSearcher->MayEnter = [this](const std::string& directory, bool is_link) {
    return WalkEnters(directory, is_link);
  };
}

void TMainForm::ShowFolders() {
  std::string source, target;
  {
    const std::lock_guard<std::mutex> hold(values_);
    source = SourceDir;
    target = TargetDir;
  }
  view_.SetText(Control::EditTarget, DisplayPath(target));
  view_.SetText(Control::LabelSource, DisplayPath(source));
}

void TMainForm::FormShow() {
  view_.SetVisible(Control::FailedImage, true);
}

std::string TMainForm::Outline() const {
  const std::lock_guard<std::mutex> hold(values_);
  return "Version " + version_text_ + "\tQuelle " + SourceDir + "\tZiel " + TargetDir + "\tModus " +
         (delete_checked_ ? "verschieben" : "kopieren");
}

void TMainForm::FormClose() {
  WriteEnd();
  view_.SetTimerEnabled(false);
  FileSearcher.reset();
}

void TMainForm::WriteEnd() {
  // Nothing here waits for the journal: its writer writes the line.
  if (ended_) return;
  ended_ = true;
  journal_.Add(kJournalEnd, Outline());
  journal_.Flush();
}

void TMainForm::CancelCycles() {
  cancel_ = true;
  if (FileSearcher) FileSearcher->Stop();
}

void TMainForm::ButtonMiniClick() {
  view_.MinimizeApplication();
}

void TMainForm::SetDeleteChecked(bool checked) {
  {
    const std::lock_guard<std::mutex> hold(values_);
    if (!TakeDeleteHeld(checked)) return;
  }
  view_.SetChecked(Control::CheckBoxDelete, checked);
  CheckBoxDeleteClick();
}

bool TMainForm::TakeDeleteHeld(bool checked) {
  delete_known_ = true;
  if (checked == delete_checked_) return false;
  delete_checked_ = checked;
  ++unsaved_;
  return true;
}

void TMainForm::CheckBoxDeleteClick() {
  SaveSettings();
}

bool TMainForm::SettingsPending() const {
  const std::lock_guard<std::mutex> hold(values_);
  return settings_pending_;
}

bool TMainForm::ReadSettingsPath(std::string& path, bool& ok, bool report) {
  const SettingsValue value = system_.SettingsFilePath(path);
  if (value == SettingsValue::NoKey) return false;
  ok = value != SettingsValue::OtherType;
  if (!ok) {
    path.clear();
    if (report) view_.ShowError(Format(kMsgBadType, kSettingsValueName));
  }
  return true;
}

std::string TMainForm::IniPath(const std::string& settings_path) const {
  return ExtractFilePath(settings_path) + kIniName;
}

void TMainForm::LoadSettings() {
  ReadSettings(true);
}

void TMainForm::ReadSettings(bool report) {
  bool delete_mode = false, delete_changed = false;
  {
    const std::lock_guard<std::mutex> io(settings_io_);
    std::string settings_path;
    bool ok = false;
    if (!ReadSettingsPath(settings_path, ok, report)) return;
    IniFile settings, own;
    FileRead settings_read = FileRead::Missing, own_read = FileRead::Missing;
    if (ok) {
      const std::string ini = IniPath(settings_path);
      if (!settings_path.empty()) settings_read = ReadIni(settings_path, settings, report);
      own_read = ReadIni(ini, own, report);
      // A save cut short between its renames left the old file under its
      // backup name only: the settings are read from there until the next
      // save puts a file in place again.
      if (own_read == FileRead::Missing) own_read = ReadIni(ini + kSaveBackup, own, report);
    }
    // A value that could not be read has no default: a default would move
    // the files of another folder, or be saved over the user's real target.
    // An empty Datafiles or Target counts as missing: as a lone backslash it
    // would name the root of the current drive. Without its own path,
    // Ferrolink has no folder of its own to default to.
    // The files hold their paths in the ANSI code page.
    std::string source, target;
    if (settings_read != FileRead::Failed) {
      source = system_.FromAnsi(settings.ReadString("Directories", "Datafiles", ""));
      if (source.empty()) source = ExtractFilePath(system_.ProgramFile());
    }
    if (own_read != FileRead::Failed) {
      target = system_.FromAnsi(own.ReadString("General", "Target", ""));
      if (target.empty()) target = source;
    }
    // The journal lies beside the settings, when their folder is known.
    if (ok) {
      journal_.SetPath(settings_path.empty() ? std::string()
                                             : ExtractFilePath(settings_path) + kJournalName);
    }
    const std::lock_guard<std::mutex> hold(values_);
    if (ok) settings_path_ = settings_path;
    SourceDir = source.empty() ? std::string() : IncludeTrailingBackslash(source);
    // A choice of the user whose save has not run yet stands: the file still
    // holds the values before it.
    if (unsaved_ == 0) {
      TargetDir = target.empty() ? std::string() : IncludeTrailingBackslash(target);
      target_known_ = !target.empty();
      delete_mode = own.ReadBool("General", "Delete", false);
      delete_changed = own_read != FileRead::Failed && TakeDeleteHeld(delete_mode);
    }
    settings_pending_ = SourceDir.empty() || TargetDir.empty();
  }
  // A change of the box, as a click by the user makes it.
  if (!delete_changed) return;
  view_.SetChecked(Control::CheckBoxDelete, delete_mode);
  CheckBoxDeleteClick();
}

FileRead TMainForm::ReadIni(const std::string& path, IniFile& ini, bool report) {
  std::string bytes;
  const FileRead result = system_.ReadWholeFile(path, bytes);
  if (result == FileRead::Ok) ini = IniFile::Parse(bytes);
  if (result == FileRead::Failed && report) view_.ShowError(Format(kMsgCannotOpen, path));
  return result;
}

bool TMainForm::TakeFolders(std::string& source, std::string& target) {
  // Settings that could not be read are read again at each tick; once they
  // read, the cycle goes on as if they had been read at start.
  if (SettingsPending()) {
    ReadSettings(false);
    if (SettingsPending()) return false;
    journal_.Add(kJournalState, "Einstellungen wieder lesbar");
    // Worked out on the settings thread, as every folder display after the
    // start: the system's text measure serves one thread at a time.
    Background([this] { ShowFolders(); });
  }
  const std::lock_guard<std::mutex> hold(values_);
  source = SourceDir;
  target = TargetDir;
  return true;
}

void TMainForm::SaveSettings() {
  Background([this] { WriteSettings(); });
}

void TMainForm::WriteSettings() {
  const std::lock_guard<std::mutex> io(settings_io_);
  std::string target;
  bool target_known = false, delete_known = false, delete_mode = false;
  {
    // The values in force now: a later choice's save writes its own.
    const std::lock_guard<std::mutex> hold(values_);
    if (unsaved_ > 0) --unsaved_;
    target = TargetDir;
    target_known = target_known_;
    delete_known = delete_known_;
    delete_mode = delete_checked_;
  }
  std::string settings_path;
  bool ok = false;
  if (!ReadSettingsPath(settings_path, ok, true) || !ok) return;
  const std::string path = IniPath(settings_path);
  std::string bytes;
  IniFile ini;
  const FileRead read = system_.ReadWholeFile(path, bytes);
  // Writing now would drop what the file holds.
  if (read == FileRead::Failed) return view_.ShowError(Format(kMsgCannotOpen, path));
  if (read == FileRead::Ok) ini = IniFile::Parse(bytes);
  // A value that was never read nor chosen keeps what the file says.
  if (target_known) {
    if (!target.empty() && target.back() == '\\') target.pop_back();
    // A name the code page cannot spell would be read back as another
    // folder: the file keeps the target it had.
    std::string stored;
    if (system_.ToAnsi(target, stored)) {
      ini.WriteString("General", "Target", stored);
    } else {
      view_.ShowError(Format(kMsgCannotStore, target));
    }
  }
  if (delete_known) ini.WriteBool("General", "Delete", delete_mode);
  if (!system_.ReplaceWholeFile(path, ini.Serialize())) {
    view_.ShowError(Format(kMsgCannotCreate, path));
  }
}

void TMainForm::SpeedButtonDirClick() {
  view_.SetTimerEnabled(false);
  std::string chosen, stored;
  if (view_.BrowseForFolder(kFolderDialogTitle, chosen)) {
    if (!system_.ToAnsi(chosen, stored)) {
      // A folder the settings file's code page cannot spell would hold only
      // until Ferrolink ends, and the files would go to the old target after
      // the next log-on: it is refused, and the old target stays in force.
      view_.ShowError(Format(kMsgCannotStore, chosen));
    } else {
      // A cycle that runs meanwhile keeps the folders it began with.
      const std::string target = IncludeTrailingBackslash(chosen);
      {
        const std::lock_guard<std::mutex> hold(values_);
        TargetDir = target;
        target_known_ = true;
        ++unsaved_;
      }
      // The folder's forms may ask the network (its universal name): they
      // are worked out on the settings thread, as the save is.
      Background([this, target] { view_.SetText(Control::EditTarget, DisplayPath(target)); });
      SaveSettings();
      view_.SetTimerInterval(kIntervalNewTarget);
    }
  }
  view_.FocusMainForm();
  view_.SetTimerEnabled(true);
}

std::string TMainForm::DisplayPath(const std::string& path) {
  // Nothing to show for no directory (the settings key is missing); the
  // bare shortening would show the current directory instead.
  if (path.empty()) return std::string();
  return ShortenPath(system_, ExpandToUnc(system_, path), kDisplayPathWidth);
}

}  // namespace ferrolink
