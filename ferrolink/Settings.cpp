#include "Settings.h"

#include "Paths.h"

namespace ferrolink {

namespace {

constexpr char kIniName[] = "ferrolink.ini";

}  // namespace

std::string Format(const char* pattern, const std::string& arg) {
  std::string text = pattern;
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, arg);
  return text;
}

std::string Settings::IniPath(const std::string& settings_path) {
  return ExtractFilePath(settings_path) + kIniName;
}

bool Settings::ReadPath(std::string& path, bool& ok, bool report,
                        std::vector<std::string>& errors) {
  const SettingsValue value = store_.SettingsFilePath(path);
  if (value == SettingsValue::NoKey) return false;
  ok = value != SettingsValue::OtherType;
  if (!ok) {
    path.clear();
    if (report) errors.push_back(Format(kMsgBadType, kSettingsValueName));
  }
  return true;
}

FileRead Settings::ReadIni(const std::string& path, IniFile& ini, bool report,
                           std::vector<std::string>& errors) {
  std::string bytes;
  const FileRead result = store_.ReadWholeFile(path, bytes);
  if (result == FileRead::Ok) ini = IniFile::Parse(bytes);
  if (result == FileRead::Failed && report) errors.push_back(Format(kMsgCannotOpen, path));
  return result;
}

SettingsFound Settings::Read(bool report, const std::string& program_file,
                             const std::function<void(const SettingsFound&)>& take) {
  const std::lock_guard<std::mutex> io(io_);
  SettingsFound found;
  found.key = ReadPath(found.path, found.path_ok, report, found.errors);
  if (!found.key) return found;
  IniFile settings, own;
  FileRead settings_read = FileRead::Missing, own_read = FileRead::Missing;
  if (found.path_ok) {
    const std::string ini = IniPath(found.path);
    if (!found.path.empty()) settings_read = ReadIni(found.path, settings, report, found.errors);
    own_read = ReadIni(ini, own, report, found.errors);
    // A save cut short between its renames left the old file under its
    // backup name only: the settings are read from there until the next
    // save puts a file in place again.
    if (own_read == FileRead::Missing) {
      own_read = ReadIni(ini + kSaveBackup, own, report, found.errors);
    }
  }
  // A value that could not be read has no default: a default would move
  // the files of another folder, or be saved over the user's real target.
  // An empty Datafiles or Target counts as missing: as a lone backslash it
  // would name the root of the current drive. Without its own path,
  // Ferrolink has no folder of its own to default to.
  // The files hold their paths in the ANSI code page.
  std::string source, target;
  if (settings_read != FileRead::Failed) {
    source = store_.FromAnsi(settings.ReadString("Directories", "Datafiles", ""));
    if (source.empty()) source = ExtractFilePath(program_file);
  }
  if (own_read != FileRead::Failed) {
    target = store_.FromAnsi(own.ReadString("General", "Target", ""));
    if (target.empty()) target = source;
  }
  found.source = source.empty() ? std::string() : IncludeTrailingBackslash(source);
  found.target = target.empty() ? std::string() : IncludeTrailingBackslash(target);
  found.own_read = own_read != FileRead::Failed;
  found.delete_mode = own.ReadBool("General", "Delete", false);
  take(found);
  return found;
}

std::vector<std::string> Settings::Save(const std::function<SettingsToSave()>& take) {
  const std::lock_guard<std::mutex> io(io_);
  const SettingsToSave values = take();
  std::vector<std::string> errors;
  std::string settings_path;
  bool ok = false;
  if (!ReadPath(settings_path, ok, true, errors) || !ok) return errors;
  const std::string path = IniPath(settings_path);
  std::string bytes;
  IniFile ini;
  const FileRead read = store_.ReadWholeFile(path, bytes);
  // Writing now would drop what the file holds.
  if (read == FileRead::Failed) return {Format(kMsgCannotOpen, path)};
  if (read == FileRead::Ok) ini = IniFile::Parse(bytes);
  // A value that was never read nor chosen keeps what the file says.
  if (values.target_known) {
    std::string target = values.target;
    if (!target.empty() && target.back() == '\\') target.pop_back();
    // A name the code page cannot spell would be read back as another
    // folder: the file keeps the target it had.
    std::string stored;
    if (store_.ToAnsi(target, stored)) {
      ini.WriteString("General", "Target", stored);
    } else {
      errors.push_back(Format(kMsgCannotStore, target));
    }
  }
  if (values.delete_known) ini.WriteBool("General", "Delete", values.delete_mode);
  if (!store_.ReplaceWholeFile(path, ini.Serialize())) {
    errors.push_back(Format(kMsgCannotCreate, path));
  }
  return errors;
}

}  // namespace ferrolink
