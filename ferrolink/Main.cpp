#include "Main.h"

#include "Ini.h"
#include "Paths.h"
#include "Version.h"

namespace ferrolink {

namespace {

constexpr char kIniName[] = "ferrolink.ini";

std::string Format(const char* pattern, const std::string& arg) {
  std::string text = pattern;
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, arg);
  return text;
}

}  // namespace

TMainForm::TMainForm(Platform& platform) : platform_(platform) {}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate() {
  NetState = -1;
  TFileVersion version;
  ReadFileVersion(platform_, platform_.ModuleFileName(), version);
  LoadSettings();
  // An unreadable version resource leaves the record at zeros.
  platform_.SetText(Control::LabelVersion, "Version: V" + VersionText(version));
  platform_.SetText(Control::EditTarget, DisplayPath(TargetDir));
  platform_.SetText(Control::LabelSource, DisplayPath(SourceDir));
  FileSearcher = std::make_unique<TSearcher>(platform_);
  FileSearcher->Options = soFiles | soRecursive;
  FileSearcher->OnFound = [this](TFoundFile& file) { CopyFoundFile(file); };
}

void TMainForm::FormShow() {
  platform_.SetVisible(Control::FailedImage, true);
}

void TMainForm::FormClose() {
  platform_.SetTimerEnabled(false);
  FileSearcher.reset();
}

void TMainForm::ButtonMiniClick() {
  platform_.MinimizeApplication();
}

void TMainForm::SetDeleteChecked(bool checked) {
  if (checked == delete_checked_) return;
  delete_checked_ = checked;
  platform_.SetChecked(Control::CheckBoxDelete, checked);
  CheckBoxDeleteClick();
}

void TMainForm::CheckBoxDeleteClick() {
  SaveSettings();
}

std::string TMainForm::ReadSettingsPath(bool& ok) {
  std::string value;
  switch (platform_.ReadSettingsValue(value)) {
    case SettingsValue::String:
      ok = true;
      return value;
    case SettingsValue::Missing:
      ok = true;
      return std::string();
    case SettingsValue::OtherType:
      break;
  }
  ok = false;
  platform_.ShowError(Format(kMsgBadType, kSettingsValueName));
  return std::string();
}

std::string TMainForm::IniPath(const std::string& settings_path) const {
  return ExtractFilePath(settings_path) + kIniName;
}

void TMainForm::LoadSettings() {
  if (!platform_.OpenSettingsKey()) return;
  const std::string own_dir = ExtractFilePath(platform_.ModuleFileName());
  bool ok = false;
  const std::string settings_path = ReadSettingsPath(ok);
  IniFile settings, own;
  bool delete_on = false;
  if (ok) {
    // A file that exists but cannot be read is reported; its values then
    // take their defaults, and the start-up goes on.
    auto read = [this](const std::string& path, IniFile& ini) {
      std::string bytes;
      switch (platform_.ReadWholeFile(path, bytes)) {
        case FileRead::Ok:
          ini = IniFile::Parse(bytes);
          break;
        case FileRead::Missing:
          break;
        case FileRead::Failed:
          platform_.ShowError(Format(kMsgCannotOpen, path));
          break;
      }
    };
    if (!settings_path.empty()) read(settings_path, settings);
    read(IniPath(settings_path), own);
  }
  // An empty Datafiles value counts as missing: as a lone backslash it would
  // make the whole current drive the source.
  std::string source = settings.ReadString("Directories", "Datafiles", "");
  if (source.empty()) source = own_dir;
  SourceDir = IncludeTrailingBackslash(source);
  TargetDir = IncludeTrailingBackslash(own.ReadString("General", "Target", SourceDir));
  delete_on = own.ReadBool("General", "Delete", false);
  SetDeleteChecked(delete_on);
  platform_.CloseSettingsKey();
}

void TMainForm::SaveSettings() {
  if (!platform_.OpenSettingsKey()) return;
  bool ok = false;
  const std::string settings_path = ReadSettingsPath(ok);
  if (ok) {
    const std::string path = IniPath(settings_path);
    std::string bytes;
    IniFile ini;
    const FileRead read = platform_.ReadWholeFile(path, bytes);
    if (read == FileRead::Failed) {
      // Writing now would drop what the file holds.
      platform_.ShowError(Format(kMsgCannotOpen, path));
    } else {
      if (read == FileRead::Ok) ini = IniFile::Parse(bytes);
      std::string target = TargetDir;
      if (!target.empty() && target.back() == '\\') target.pop_back();
      ini.WriteString("General", "Target", target);
      ini.WriteBool("General", "Delete", delete_checked_);
      if (!platform_.ReplaceWholeFile(path, ini.Serialize())) {
        platform_.ShowError(Format(kMsgCannotCreate, path));
      }
    }
  }
  platform_.CloseSettingsKey();
}

void TMainForm::SpeedButtonDirClick() {
  platform_.SetTimerEnabled(false);
  std::string chosen;
  if (platform_.BrowseForFolder(kFolderDialogTitle, chosen)) {
    TargetDir = IncludeTrailingBackslash(chosen);
    platform_.SetText(Control::EditTarget, DisplayPath(TargetDir));
    SaveSettings();
    platform_.SetTimerInterval(kIntervalNewTarget);
  }
  platform_.FocusMainForm();
  platform_.SetTimerEnabled(true);
}

std::string TMainForm::DisplayPath(const std::string& path) {
  // Nothing to show for no directory (the settings key is missing); the
  // bare shortening would show the current directory instead.
  if (path.empty()) return std::string();
  return ShortenPath(platform_, ExpandToUnc(platform_, path), kDisplayPathWidth);
}

}  // namespace ferrolink
