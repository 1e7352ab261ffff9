#include "Main.h"

#include <chrono>
#include <limits>
#include <new>
#include <utility>

#include "Paths.h"
#include "Version.h"

namespace ferrolink {

namespace {

constexpr char kJournalName[] = "ferrolink.log";
// What the journal has gathered is written at least once a period, and when
// asked for (after each moved file) no sooner than a gap after the last
// write began: a journal open, lock, append and close per file would cost a
// delivery of small files about a seventh more, and on a server five round
// trips per file.
constexpr std::chrono::milliseconds kJournalPeriod{1000}, kJournalGap{100};

}  // namespace

std::string ErrorText(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return kMsgNoMemory;
  } catch (const std::exception& e) {
    return std::string(kMsgUnexpected) + " (" + e.what() + ")";
  } catch (...) {
  }
  return kMsgUnexpected;
}

TMainForm::TMainForm(System system, FormView& view) : system_(system), view_(view) {}

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
      kJournalPeriod, kJournalGap);
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
  ReadFileVersion(system_.names, system_.names.ProgramFile(), version);
  LoadSettings();
  // An unreadable version resource leaves the record at zeros.
  version_text_ = VersionText(version);
  view_.SetText(Control::LabelVersion, "Version: V" + version_text_);
  journal_.Add(kJournalStart, Outline());
  if (SettingsPending()) journal_.Add(kJournalState, "Einstellungen nicht lesbar");
  journal_.Flush();
  ShowFolders();
  FileSearcher = std::make_unique<TSearcher>(system_.folders, system_.names);
  FileSearcher->Options = soFiles | soRecursive;
  FileSearcher->OnFound = [this](TFoundFile& file) { CopyFoundFile(file); };
  FileSearcher->MayEnter = [this](const std::string& directory, bool is_link) {
    return cycle_.WalkEnters(directory, is_link);
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

void TMainForm::ShowErrors(const std::vector<std::string>& errors) {
  for (const std::string& error : errors) view_.ShowError(error);
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

void TMainForm::LoadSettings() {
  ReadSettings(true);
}

void TMainForm::ReadSettings(bool report) {
  bool delete_changed = false;
  const SettingsFound found =
      settings_.Read(report, system_.names.ProgramFile(), [&](const SettingsFound& found) {
        // The journal lies beside the settings, when their folder is known.
        if (found.path_ok) {
          journal_.SetPath(found.path.empty() ? std::string()
                                              : ExtractFilePath(found.path) + kJournalName);
        }
        const std::lock_guard<std::mutex> hold(values_);
        if (found.path_ok) settings_path_ = found.path;
        SourceDir = found.source;
        // A choice of the user whose save has not run yet stands: the file
        // still holds the values before it.
        if (unsaved_ == 0) {
          TargetDir = found.target;
          target_known_ = !found.target.empty();
          delete_changed = found.own_read && TakeDeleteHeld(found.delete_mode);
        }
        settings_pending_ = SourceDir.empty() || TargetDir.empty();
      });
  ShowErrors(found.errors);
  // A change of the box, as a click by the user makes it.
  if (!delete_changed) return;
  view_.SetChecked(Control::CheckBoxDelete, found.delete_mode);
  CheckBoxDeleteClick();
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
  Background([this] {
    ShowErrors(settings_.Save([this] {
      // The values in force now: a later choice's save writes its own.
      const std::lock_guard<std::mutex> hold(values_);
      if (unsaved_ > 0) --unsaved_;
      return SettingsToSave{TargetDir, target_known_, delete_known_, delete_checked_};
    }));
  });
}

void TMainForm::SpeedButtonDirClick() {
  view_.SetTimerEnabled(false);
  std::string chosen, stored;
  if (view_.BrowseForFolder(kFolderDialogTitle, chosen)) {
    if (!system_.settings.ToAnsi(chosen, stored)) {
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
  return ShortenPath(system_.names, ExpandToUnc(system_.names, path), kDisplayPathWidth);
}

bool TMainForm::TargetInsideSource(const std::string& source, const std::string& target) {
  return cycle_.TargetInside(source, target);
}

void TMainForm::EnterState(TNetState state) {
  if (NetState == state) return;
  NetState = state;
  const StateLook look = LookOf(state);
  journal_.Add(kJournalState, look.words);
  view_.SetCaption(look.caption);
  title_ = look.app_title;
  view_.SetAppTitle(title_);
  view_.SetVisible(Control::FailedImage, look.failed_image);
  view_.SetVisible(Control::LabelMessage, look.label_message);
}

void TMainForm::SetBusy(bool busy) {
  busy_ = busy;
  view_.SetBusy(busy);
}

void TMainForm::TimerFindTimer() {
  if (busy_) return;
  try {
    RunCycle();
  } catch (...) {
    // Ticks that fall due while the message is open find the marker set and
    // do nothing; the next one after it runs a whole cycle again, at the
    // pace of an unreachable target, and never minimises the window.
    view_.SetTimerInterval(kIntervalUnreachable);
    const std::string text = ErrorText(std::current_exception());
    journal_.Add(kJournalError, text);
    journal_.Flush();
    view_.ShowError(text);
    SetBusy(false);
  }
  journal_.Flush();
}

void TMainForm::RunCycle() {
  std::string source, target;
  if (!TakeFolders(source, target)) return;
  if (cycle_.Begin(source, target)) return EnterState(TNetState::Misconfigured);
  SetBusy(true);
  if (cycle_.Reachable(target)) {
    EnterState(TNetState::Reachable);
    if (view_.TimerInterval() == kIntervalStart) view_.MinimizeApplication();
    // An empty source (the registry key missing) has no normal form and is
    // not searched: that would walk the current directory.
    if (!cycle_.Tick().Source.empty() && FileSearcher) Walk();
    view_.SetTimerInterval(kIntervalReachable);
  } else {
    EnterState(TNetState::NoNetwork);
    view_.SetTimerInterval(kIntervalUnreachable);
  }
  SetBusy(false);
}

void TMainForm::Walk() {
  const TickFolders& folders = cycle_.Tick();
  delivery_.BeginCycle(folders.Target);
  own_files_.Take(settings_path_, Settings::IniPath(settings_path_), journal_.Path());
  FileSearcher->Start(folders.Source + "*.*");
  delivery_.EndWalk(FileSearcher->Running);
}

void TMainForm::CopyFoundFile(TFoundFile& file) {
  if ((file.Attributes & kAttrReadOnly) != 0 || (file.Attributes & kAttrArchive) == 0) return;
  const TickFolders& folders = cycle_.Tick();
  FoundFile found;
  if ((file.Attributes & kAttrDirectory) == 0 && file.Directory && !folders.Source.empty() &&
      !folders.Target.empty() && delivery_.Place(file, folders.Source, folders.Target, found)) {
    if (cycle_.LandsInSource(found.relative, found.target_file)) {
      delivery_.Leave(found, kLeftIntoSource);
    } else if (!own_files_.Holds(found.source_file, found.name)) {
      // The mode is read once per file, before the source is held with the
      // access its end needs; the window may change it meanwhile.
      const bool delete_mode = delete_checked_;
      const Delivered delivered = delivery_.Deliver(
          found, folders.Target, delete_mode,
          {[this] { return cancel_.load(); }, [this] { return !view_.TimerEnabled(); },
           [this, &found](int percent, bool checking) {
             view_.SetAppTitle("Ferrolink: " + found.name + " \u2013 " +
                               (checking ? "prüft " : "") + std::to_string(percent) + " %");
             view_.SetProgress(percent);
           }});
      // The share goes; a copy that did not end gives the title back.
      if (delivered.share_shown) {
        view_.SetProgress(-1);
        if (!delivered.placed) view_.SetAppTitle(title_);
      }
      if (delivered.placed) ShowDelivered(found, delete_mode);
    }
  }
  if ((!view_.TimerEnabled() || cancel_) && FileSearcher) FileSearcher->Stop();
}

void TMainForm::ShowDelivered(const FoundFile& found, bool delete_mode) {
  title_ = "Ferrolink: " + found.name;
  view_.SetAppTitle(title_);
  // The count stops at its largest value instead of overflowing.
  if (CopyCount < std::numeric_limits<int32_t>::max()) ++CopyCount;
  view_.SetText(Control::LabelBranch, found.relative);
  view_.SetText(Control::LabelStatus,
                std::to_string(CopyCount) +
                    (delete_mode ? " Datei(en) transferiert." : " Datei(en) dupliziert."));
}

}  // namespace ferrolink
