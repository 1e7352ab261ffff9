#include "Main.h"

#include "Ini.h"
#include "Paths.h"
#include "Version.h"

namespace ferrolink {

namespace {

constexpr char kIniName[] = "ferrolink.ini";
constexpr char kJournalName[] = "ferrolink.log";

std::string Format(const char* pattern, const std::string& arg) {
  std::string text = pattern;
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, arg);
  return text;
}

}  // namespace

TMainForm::TMainForm(System& system, FormView& view) : system_(system), view_(view) {}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate() {
  NetState = TNetState::Start;
  TFileVersion version;
  ReadFileVersion(system_, system_.ProgramFile(), version);
  LoadSettings();
  // An unreadable version resource leaves the record at zeros.
  version_text_ = VersionText(version);
  view_.SetText(Control::LabelVersion, "Version: V" + version_text_);
  journal_.Add(kJournalStart, Outline());
  if (settings_pending_) journal_.Add(kJournalState, "Einstellungen nicht lesbar");
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
  const std::lock_guard<std::recursive_mutex> hold(settings_mutex_);
  view_.SetText(Control::EditTarget, DisplayPath(TargetDir));
  view_.SetText(Control::LabelSource, DisplayPath(SourceDir));
}

void TMainForm::FormShow() {
  view_.SetVisible(Control::FailedImage, true);
}

std::string TMainForm::Outline() const {
  return "Version " + version_text_ + "\tQuelle " + SourceDir + "\tZiel " + TargetDir + "\tModus " +
         (delete_checked_ ? "verschieben" : "kopieren");
}

void TMainForm::FormClose() {
  WriteEnd();
  view_.SetTimerEnabled(false);
  FileSearcher.reset();
}

void TMainForm::WriteEnd() {
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
  delete_known_ = true;
  if (checked == delete_checked_) return;
  delete_checked_ = checked;
  view_.SetChecked(Control::CheckBoxDelete, checked);
  CheckBoxDeleteClick();
}

void TMainForm::CheckBoxDeleteClick() {
  SaveSettings();
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
  const std::lock_guard<std::recursive_mutex> hold(settings_mutex_);
  std::string settings_path;
  bool ok = false;
  if (!ReadSettingsPath(settings_path, ok, report)) return;
  IniFile settings, own;
  FileRead settings_read = FileRead::Missing, own_read = FileRead::Missing;
  if (ok) {
    auto read = [&](const std::string& path, IniFile& ini) {
      std::string bytes;
      const FileRead result = system_.ReadWholeFile(path, bytes);
      if (result == FileRead::Ok) ini = IniFile::Parse(bytes);
      if (result == FileRead::Failed && report) {
        view_.ShowError(Format(kMsgCannotOpen, path));
      }
      return result;
    };
    if (!settings_path.empty()) settings_read = read(settings_path, settings);
    own_read = read(IniPath(settings_path), own);
    // A save cut short between its renames left the old file under its
    // backup name only: the settings are read from there until the next
    // save puts a file in place again.
    if (own_read == FileRead::Missing) own_read = read(IniPath(settings_path) + kSaveBackup, own);
  }
  // A value that could not be read has no default: a default would move the
  // files of another folder, or be saved over the user's real target. An
  // empty Datafiles or Target counts as missing: as a lone backslash it would
  // name the root of the current drive. Without its own path, Ferrolink has
  // no folder of its own to default to.
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
    settings_path_ = settings_path;
    journal_.SetPath(settings_path.empty() ? std::string()
                                           : ExtractFilePath(settings_path) + kJournalName);
  }
  SourceDir = source.empty() ? std::string() : IncludeTrailingBackslash(source);
  TargetDir = target.empty() ? std::string() : IncludeTrailingBackslash(target);
  target_known_ = !target.empty();
  settings_pending_ = source.empty() || target.empty();
  if (own_read != FileRead::Failed) SetDeleteChecked(own.ReadBool("General", "Delete", false));
}

void TMainForm::SaveSettings() {
  const std::lock_guard<std::recursive_mutex> hold(settings_mutex_);
  std::string settings_path;
  bool ok = false;
  if (!ReadSettingsPath(settings_path, ok, true)) return;
  if (ok) {
    const std::string path = IniPath(settings_path);
    std::string bytes;
    IniFile ini;
    const FileRead read = system_.ReadWholeFile(path, bytes);
    if (read == FileRead::Failed) {
      // Writing now would drop what the file holds.
      view_.ShowError(Format(kMsgCannotOpen, path));
    } else {
      if (read == FileRead::Ok) ini = IniFile::Parse(bytes);
      // A value that was never read nor chosen keeps what the file says.
      if (target_known_) {
        std::string target = TargetDir;
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
      if (delete_known_) ini.WriteBool("General", "Delete", delete_checked_);
      if (!system_.ReplaceWholeFile(path, ini.Serialize())) {
        view_.ShowError(Format(kMsgCannotCreate, path));
      }
    }
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
      const std::lock_guard<std::recursive_mutex> hold(settings_mutex_);
      TargetDir = IncludeTrailingBackslash(chosen);
      target_known_ = true;
      view_.SetText(Control::EditTarget, DisplayPath(TargetDir));
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
