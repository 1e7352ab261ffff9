// TMainForm: Ferrolink's main window as logic: its fields, the start-up, the
// settings, the user's actions and the watch cycle. The Win32 window turns
// window messages into calls of the handlers below; everything the handlers
// do to the system goes through System, what they show through FormView.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "CopyRecord.h"
#include "FormView.h"
#include "Ini.h"
#include "Journal.h"
#include "LeftFiles.h"
#include "Searcher.h"
#include "System.h"
#include "Transfer.h"
#include "Worker.h"

namespace ferrolink {

// Texts of the window (UTF-8, as every text of the logic).
inline constexpr char kCaptionStart[] = "Ferrolink - Netzwerksuche ...";
inline constexpr char kAppTitle[] = "Ferrolink";
inline constexpr char kFolderDialogTitle[] = "Wählen Sie das Serververzeichnis";
inline constexpr char kMsgBadType[] = "Ungültiger Datentyp für '%s'";
inline constexpr char kMsgCannotOpen[] = "Datei %s kann nicht geöffnet werden";
inline constexpr char kMsgCannotCreate[] = "Datei %s kann nicht erstellt werden";
// A chosen target whose name the settings file's code page cannot hold.
inline constexpr char kMsgCannotStore[] = "Der Pfad %s kann nicht gespeichert werden";
inline constexpr char kMsgNoMemory[] = "Nicht genügend Arbeitsspeicher";
inline constexpr char kMsgUnexpected[] = "Unerwarteter Fehler";

// The German text that reports an unexpected error: the memory running out,
// or any other error, with its technical description in brackets.
std::string ErrorText(std::exception_ptr error);

// Intervals of TimerFind, in milliseconds.
inline constexpr int kIntervalStart = 2000;
inline constexpr int kIntervalNewTarget = 1000;
inline constexpr int kIntervalReachable = 10000;
inline constexpr int kIntervalUnreachable = 60000;

// The target's state as the window shows it (caption, task-bar text, labels).
enum class TNetState : int32_t {
  Start = -1,         // searching, before the first cycle
  NoNetwork = 0,      // the target cannot be reached
  Reachable = 1,      // the target is there: files are transferred
  Misconfigured = 2,  // the target lies inside the source
};

// The source and target folders of one tick in every form the cycle compares
// them in, worked out once per tick.
struct TickFolders {
  std::string Source, Target;                // normal forms; empty: none
  std::string SourceNetwork, TargetNetwork;  // network forms in upper case
  bool HasSourceId = false, HasTargetId = false;
  FileId SourceId, TargetId;
  std::string ResolvedSource, ResolvedTarget;  // every link followed, upper case
  // The source's network form below the target's, when the target holds the
  // source; empty otherwise.
  std::string SourceBelowTarget;
};

// The width of EditTarget, which the path display must fit.
inline constexpr int kDisplayPathWidth = 305;

class TMainForm {
 public:
  TMainForm(System& system, FormView& view);
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
  // One found file's way: checked, delivered, then settled at the source.
  void TransferFile(const TFoundFile& file);
  // True when a name of `relative` below `target_dir` is, at the target,
  // another file's or folder's name: the short name of a longer one.
  bool NamesAnotherFile(const std::string& target_dir, const std::string& relative);
  // Hears how far the copy of `name` is: shows its share once it has taken
  // a second, at most four times a second; false cancels it (a cancel, or a
  // new target while more than a second of it is left).
  bool CopyGoesOn(const std::string& name, uint64_t copied, uint64_t total);
  // After the delivery: the window shows it, the source is deleted or
  // un-marked, the journal says so.
  void Delivered(const TFoundFile& file, HeldSource& source, bool delete_mode,
                 const std::string& source_file, const std::string& relative);
  // Nothing followed a link to open the held source: its path through the
  // handle is the one its folder gives for its listed name.
  bool HeldIsListed(HeldSource& source, const std::string& source_file, const std::string& name);
  // How a delivery that did not end at its final name leaves the file.
  void Undelivered(Delivery delivery, const DeliveryError& error, const std::string& source_file,
                   const std::string& relative, const std::string& target_file);
  // A found file stays at the source for `reason`: a journal line, unless
  // the file was left for the same reason before. A `lasting` reason, one
  // that does not pass by itself, has the file wait before its next try.
  void Leave(const std::string& source_file, const std::string& relative, const std::string& reason,
             const std::string& error = std::string(), bool lasting = false,
             bool final_name_held = false);
  // The line for the program's start and end: version, folders and mode.
  std::string Outline() const;
  void SetBusy(bool busy);
  // Shows the target and the source in the window, shortened to fit.
  void ShowFolders();
  // The settings file's path from the registry; false when the key is
  // missing (nothing is read or saved then). `ok` is false for a value that
  // is no string, which `report` shows.
  bool ReadSettingsPath(std::string& path, bool& ok, bool report);
  // Reads the settings and takes every value that could be read; `report`
  // says a file that exists but cannot be read (at start, not at each tick).
  void ReadSettings(bool report);
  // Reads a settings file into `ini`; `report` shows one that exists but
  // cannot be read.
  FileRead ReadIni(const std::string& path, IniFile& ini, bool report);
  // Reads the settings again while they are pending; false while they still
  // are. Else gives this tick's folders.
  bool TakeFolders(std::string& source, std::string& target);
  // Takes the delete mode (under values_); true when it changed, and a save
  // of it is due.
  bool TakeDeleteHeld(bool checked);
  // Hands a save of the settings to the settings thread; it writes the
  // values in force when it runs.
  void SaveSettings();
  // The save: the ini file read, the values known put in, the file replaced.
  void WriteSettings();
  // Runs `work` on the settings thread, or now while none runs; an error it
  // raises is shown.
  void Background(std::function<void()> work);
  // True when a target folder of this cycle is the source folder or lies in
  // it, by identity, below the target directory.
  bool InsideSource(const std::string& directory, const std::string& target_dir);
  // The forms of two folders, and whether the target lies in the source.
  TickFolders FormsOf(const std::string& source, const std::string& target);
  bool TargetInside(const TickFolders& folders);
  // False for a folder, met by the walk through a link, that is the target or
  // lies inside it and not in the source: files delivered there stay.
  // A link that leads back into the source is not entered either: the walk
  // meets that folder at its own place, where its files belong.
  bool WalkEnters(const std::string& directory, bool is_link);
  // Takes the identities and paths of Ferrolink's own files for this cycle:
  // its program, both settings files and the save's helper files.
  void TakeOwnFiles();
  // True when the file, found under `name`, is one of them, under whatever
  // spelling.
  bool IsOwnFile(const std::string& path, const std::string& name);
  std::string IniPath(const std::string& settings_path) const;

  System& system_;
  FormView& view_;
  Journal journal_{system_};
  std::string version_text_;
  // The files left at the source, their reasons and their waits; the listed
  // form of the file under way.
  LeftFiles left_;
  Listed listed_;
  // The temporary copies made at the server.
  CopyRecord record_{system_};
  // The folders of this cycle's files as the system names them.
  std::map<std::string, std::string> locations_;
  // The mode is read per file by the cycle while the window may change it.
  std::atomic<bool> delete_checked_{false};
  std::atomic<bool> cancel_{false};
  bool busy_ = false;
  // The copy under way: when it began, when its share was last shown (0:
  // not yet), and whether it was cancelled.
  uint64_t copy_began_ = 0;
  uint64_t progress_shown_ = 0;
  bool copy_cancelled_ = false;
  // The task-bar text the state or the last delivered file gave.
  std::string title_;
  bool ended_ = false;
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
  // Held across the settings files' reads and writes: by the cycle, which
  // reads them again while they cannot be read, and by the settings thread,
  // which saves them; never by the window's thread after the start.
  std::mutex settings_io_;
  // Held only while the folders and the settings' states above are read or
  // set, never across a call into the system.
  mutable std::mutex values_;
  // This tick's folders, and the target folders already tested against the
  // source.
  TickFolders folders_;
  // Ferrolink's own files in this cycle: identities, full paths in upper case
  // for file systems that give no identity, and names in upper case.
  std::set<FileId> own_ids_;
  std::set<std::string> own_paths_;
  std::set<std::string> own_names_;
  std::map<std::string, bool> inside_source_;
  // The threads StartWork begins, destroyed before the journal they write;
  // the settings thread first, as its work may add lines.
  std::unique_ptr<Worker> journal_thread_;
  std::unique_ptr<Worker> settings_thread_;
};

}  // namespace ferrolink
