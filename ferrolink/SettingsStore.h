// What the settings need of the system: the instrument software's registry
// value, whole files read and replaced, and the ANSI code page the settings
// files hold their text in.
#pragma once

#include <string>

namespace ferrolink {

enum class FileRead { Ok, Missing, Failed };

// The instrument software's registry value naming its settings file.
// NoKey: its key is missing, so nothing is read and nothing is ever saved.
enum class SettingsValue { NoKey, Missing, String, OtherType };

// The registry key below HKEY_CURRENT_USER whose value "Settings" names the
// instrument software's settings file.
inline constexpr char kSettingsKey[] = "Software\\Quorlen\\Calyrix K9Q2";
inline constexpr char kSettingsValueName[] = "Settings";
// The name ReplaceWholeFile keeps the old file under (the file's name and
// this) until the new one is in place.
inline constexpr char kSaveBackup[] = ".alt";

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // The path of the instrument software's settings file: the value
  // kSettingsValueName of kSettingsKey, a string used as it is (no variables
  // expanded). The key is opened for full access and never created.
  virtual SettingsValue SettingsFilePath(std::string& path) = 0;
  // Reads a whole file; others may read it meanwhile but not write it.
  FileRead ReadWholeFile(const std::string& path, std::string& bytes);
  // Replaces a file's content as a whole: the old content stays untouched
  // unless the new content was written completely. Its helper files are
  // named after it: the name, a dot and more.
  bool ReplaceWholeFile(const std::string& path, const std::string& bytes);
  // Text of a settings file (ANSI code page) as UTF-8.
  virtual std::string FromAnsi(const std::string& bytes) = 0;
  // UTF-8 text in the ANSI code page; false when a character has no place
  // there (the bytes would name another path).
  virtual bool ToAnsi(const std::string& text, std::string& bytes) = 0;

 protected:
  // The file system's side, with every path in the form SystemPath gives it.
  virtual FileRead DoReadWholeFile(const std::string& path, std::string& bytes) = 0;
  virtual bool DoReplaceWholeFile(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace ferrolink
