// TMainForm: Ferrolink's main window as logic: its fields, its handlers and
// the wiring of the jobs that do the work: the settings, the watch cycle,
// the delivery of a found file, Ferrolink's own files and the journal. The
// Win32 window turns window messages into calls of the handlers below; the
// jobs reach the system through their seams, what the form shows goes
// through FormView.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "FileDelivery.h"
#include "FormView.h"
#include "Journal.h"
#include "OwnFiles.h"
#include "Searcher.h"
#include "Settings.h"
#include "System.h"
#include "WatchCycle.h"
#include "Worker.h"

namespace ferrolink {

// Texts of the window (UTF-8, as every text of the logic).
inline constexpr char kFolderDialogTitle[] = "Wählen Sie das Serververzeichnis";
inline constexpr char kMsgNoMemory[] = "Nicht genügend Arbeitsspeicher";
inline constexpr char kMsgUnexpected[] = "Unerwarteter Fehler";

// The German text that reports an unexpected error: the memory running out,
// or any other error, with its technical description in brackets.
std::string ErrorText(std::exception_ptr error);

// The width of EditTarget, which the path display must fit.
inline constexpr int kDisplayPathWidth = 305;

class TMainForm {
 public:
  TMainForm(System system, FormView& view);
  ~TMainForm();
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  TNetState NetState = TNetState::Start;
  int32_t CopyCount = 0;
  std::string SourceDir;
  std::string TargetDir;
  std::unique_ptr<TSearcher> FileSearcher;

  // From now on the journal and the settings are written, and a chosen
  // folder's forms worked out, on threads of their own, so that no caller
  // waits for a disk or a server; until then all of it runs on the caller's
  // thread. The program's window calls it before FormCreate.
  void StartWork();
  // Lets those threads end what was handed to them, the journal's last lines
  // included, waiting at most `milliseconds`; true when they have ended.
  bool EndWork(int milliseconds);

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
  // True while a settings file that exists could not be read, or the source
  // has no value: then no cycle transfers anything, and each tick reads the
  // settings again.
  bool SettingsPending() const;
  std::string DisplayPath(const std::string& path);
  bool TargetInsideSource(const std::string& source, const std::string& target);
  void CopyFoundFile(TFoundFile& file);

  // True while a cycle runs (the hourglass on MainForm).
  bool Busy() const { return busy_; }

  // From any thread: the running cycle stops as soon as it can, and the copy
  // under way is cancelled (it leaves no file at the target and the source
  // as it was); so does every later cycle.
  void CancelCycles();
  // Adds the journal's "Ende" line and asks for everything gathered to be
  // written: the part of FormClose that must be done even where a cycle
  // cannot be waited for.
  void WriteEnd();

 private:
  // Takes the state and shows it, when it differs from the one shown.
  void EnterState(TNetState state);
  // The tick's work; TimerFindTimer adds the report of an unexpected error.
  void RunCycle();
  // The walk of a reachable cycle, with the delivery of each file found.
  void Walk();
  // The window shows a file that reached its final name.
  void ShowDelivered(const FoundFile& found, bool delete_mode);
  // The line for the program's start and end: version, folders and mode.
  std::string Outline() const;
  void SetBusy(bool busy);
  // Shows the target and the source in the window, shortened to fit.
  void ShowFolders();
  void ShowErrors(const std::vector<std::string>& errors);
  // Reads the settings and takes every value that could be read; `report`
  // says a file that exists but cannot be read (at start, not at each tick).
  void ReadSettings(bool report);
  // Reads the settings again while they are pending; false while they still
  // are. Else gives this tick's folders.
  bool TakeFolders(std::string& source, std::string& target);
  // Takes the delete mode (under values_); true when it changed, and a save
  // of it is due.
  bool TakeDeleteHeld(bool checked);
  // Hands a save of the settings to the settings thread; it writes the
  // values in force when it runs.
  void SaveSettings();
  // Runs `work` on the settings thread, or now while none runs; an error it
  // raises is shown.
  void Background(std::function<void()> work);

  System system_;
  FormView& view_;
  Journal journal_{system_.journal};
  Settings settings_{system_.settings};
  WatchCycle cycle_{system_.folders, system_.names};
  FileDelivery delivery_{system_.transfer, system_.names, system_.folders, journal_};
  OwnFiles own_files_{system_.folders, system_.names};
  std::string version_text_;
  // The mode is read per file by the cycle while the window may change it.
  std::atomic<bool> delete_checked_{false};
  std::atomic<bool> cancel_{false};
  bool busy_ = false;
  // The task-bar text the state or the last delivered file gave.
  std::string title_;
  bool ended_ = false;
  // Held only while the folders and the settings' states below are read or
  // set, never across a call into the system.
  mutable std::mutex values_;
  // Which settings hold a value that was read or chosen: a save writes only
  // those, so nothing unread is written over what a file holds.
  bool target_known_ = false;
  bool delete_known_ = false;
  bool settings_pending_ = false;
  // Choices of the user whose save has not run yet: a read of the files
  // meanwhile finds the values before them, and keeps the choices.
  int unsaved_ = 0;
  // The instrument settings file's path, as last read.
  std::string settings_path_;
  // The threads StartWork begins, destroyed before the journal they write;
  // the settings thread first, as its work may add lines.
  std::unique_ptr<Worker> journal_thread_;
  std::unique_ptr<Worker> settings_thread_;
};

}  // namespace ferrolink
