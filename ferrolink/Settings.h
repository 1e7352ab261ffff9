// The settings: the registry value that names the instrument software's
// settings file, the source read from that file, the target and the mode
// read from Ferrolink's own settings file beside it, the rules for values
// that cannot be read, and the save. Reads and saves take turns; the values
// themselves stay with the caller, which hands them in and takes them back.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "Ini.h"
#include "SettingsStore.h"

namespace ferrolink {

inline constexpr char kMsgBadType[] = "Ungültiger Datentyp für '%s'";
inline constexpr char kMsgCannotOpen[] = "Datei %s kann nicht geöffnet werden";
inline constexpr char kMsgCannotCreate[] = "Datei %s kann nicht erstellt werden";
// A chosen target whose name the settings file's code page cannot hold.
inline constexpr char kMsgCannotStore[] = "Der Pfad %s kann nicht gespeichert werden";

// `pattern` with its "%s" replaced by `arg`.
std::string Format(const char* pattern, const std::string& arg);

// What a read of the settings found.
struct SettingsFound {
  // False when the registry key is missing: nothing was read, nothing is
  // ever saved.
  bool key = false;
  // False when the registry value is no string.
  bool path_ok = false;
  // The instrument settings file (empty: the value is missing).
  std::string path;
  // The folders, each ending in a backslash; empty where none could be read.
  std::string source, target;
  // Whether Ferrolink's own file could be read, and the mode it holds.
  bool own_read = false;
  bool delete_mode = false;
  // What to tell the user.
  std::vector<std::string> errors;
};

// The values a save writes: only those known (read or chosen), so that
// nothing unread is written over what the file holds.
struct SettingsToSave {
  std::string target;
  bool target_known = false;
  bool delete_known = false;
  bool delete_mode = false;
};

class Settings {
 public:
  explicit Settings(SettingsStore& store) : store_(store) {}

  // Reads both settings files; `report` tells of a file that exists but
  // cannot be read, and of a registry value that is no string. The folder
  // of `program_file`, Ferrolink's own program, is the source where the
  // settings name none. What was found goes to `take` before another read
  // or a save can come between.
  SettingsFound Read(bool report, const std::string& program_file,
                     const std::function<void(const SettingsFound&)>& take);
  // Writes the values into Ferrolink's settings file, keeping all else it
  // holds; the texts to show for what failed. The values are taken from
  // `values` once the save's turn has come: those in force then.
  std::vector<std::string> Save(const std::function<SettingsToSave()>& values);
  // Ferrolink's own settings file beside the instrument's.
  static std::string IniPath(const std::string& settings_path);

 private:
  // Reads a settings file into `ini`; a file that exists but cannot be read
  // adds its message to `errors` when `report`.
  FileRead ReadIni(const std::string& path, IniFile& ini, bool report,
                   std::vector<std::string>& errors);
  // The settings file's path from the registry; false when the key is
  // missing. `ok` is false for a value that is no string.
  bool ReadPath(std::string& path, bool& ok, bool report, std::vector<std::string>& errors);

  SettingsStore& store_;
  // Held across the files' reads and writes, which take turns.
  std::mutex io_;
};

}  // namespace ferrolink
