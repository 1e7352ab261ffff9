// TMainForm: Ferrolink's main window as logic: its fields, the start-up, the
// settings, the user's actions and the watch cycle. The Win32 window turns
// window messages into calls of the handlers below; everything the handlers
// do to the system or the window goes through Platform.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Platform.h"
#include "Searcher.h"

namespace ferrolink {

// The registry key below HKEY_CURRENT_USER that names the instrument
// software's settings file in its value "Settings".
inline constexpr char kSettingsKey[] = "\\Software\\Quorlen\\Calyrix K9Q2";
inline constexpr char kSettingsValueName[] = "Settings";

// Texts of the window.
inline constexpr char kCaptionStart[] = "Ferrolink - Netzwerksuche ...";
inline constexpr char kAppTitle[] = "Ferrolink";
inline constexpr char kFolderDialogTitle[] = "W\xE4hlen Sie das Serververzeichnis";
inline constexpr char kMsgBadType[] = "Ung\xFCltiger Datentyp f\xFCr '%s'";
inline constexpr char kMsgCannotOpen[] =
    "Datei %s kann nicht ge\xF6"
    "ffnet werden";
inline constexpr char kMsgCannotCreate[] = "Datei %s kann nicht erstellt werden";

// Intervals of TimerFind, in milliseconds.
inline constexpr int kIntervalStart = 2000;
inline constexpr int kIntervalNewTarget = 1000;
inline constexpr int kIntervalReachable = 10000;
inline constexpr int kIntervalUnreachable = 60000;

// The width of EditTarget, which the path display must fit.
inline constexpr int kDisplayPathWidth = 305;

class TMainForm {
 public:
  explicit TMainForm(Platform& platform);
  ~TMainForm();
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  int32_t NetState = -1;  // -1 start, 0 no network, 1 reachable, 2 misconfigured
  int32_t CopyCount = 0;
  std::string SourceDir;
  std::string TargetDir;
  std::unique_ptr<TSearcher> FileSearcher;

  // Window events.
  void FormCreate();
  void FormShow();
  void FormClose();
  void ButtonMiniClick();
  void CheckBoxDeleteClick();
  void SpeedButtonDirClick();
  void TimerFindTimer();

  // The state of CheckBoxDelete. Setting another state is a change of the
  // box and runs CheckBoxDeleteClick, as a click by the user does.
  bool DeleteChecked() const { return delete_checked_; }
  void SetDeleteChecked(bool checked);

  void LoadSettings();
  void SaveSettings();
  std::string DisplayPath(const std::string& path);
  bool TargetInsideSource(const std::string& source, const std::string& target);
  void CopyFoundFile(TFoundFile& file);

  // True while a cycle runs (the hourglass on MainForm).
  bool Busy() const { return busy_; }

 private:
  void ShowState(int32_t state);
  void SetBusy(bool busy);
  std::string ReadSettingsPath(bool& ok);
  std::string IniPath(const std::string& settings_path) const;
  // A directory's normal network form in upper case, as the directories
  // are compared.
  std::string NetworkForm(const std::string& directory);

  Platform& platform_;
  bool delete_checked_ = false;
  bool busy_ = false;
  // The source's network form below the target's, when the target holds the
  // source; empty otherwise. Set by each cycle before its search.
  std::string source_below_target_;
};

}  // namespace ferrolink
