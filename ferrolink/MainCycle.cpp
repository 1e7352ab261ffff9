// The watch cycle of TMainForm: the tick, the misconfiguration test and the
// transfer of one found file.
#include <cstdint>
#include <exception>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "Main.h"
#include "Paths.h"
#include "Transfer.h"

namespace ferrolink {

namespace {

struct StateLook {
  const char* words;  // in the journal
  const char* caption;
  const char* app_title;
  bool failed_image;
  bool label_message;
};

StateLook LookOf(TNetState state) {
  switch (state) {
    case TNetState::NoNetwork:
      return {"Kein Netz", "Ferrolink - Kein Netz", "Ferrolink: Kein Netz", true, false};
    case TNetState::Reachable:
      return {"Netz OK", "Ferrolink - Netz OK", "Ferrolink: Netz OK", false, false};
    case TNetState::Misconfigured:
      return {"Fehlkonfiguration", "Ferrolink - Fehlkonfiguration", "Ferrolink: Fehlkonfiguration",
              false, true};
    case TNetState::Start:
      break;
  }
  return {"", kCaptionStart, kAppTitle, true, false};
}

// Why a file stays at the source, in the journal's words.
constexpr char kLeftOutside[] = "Pfad führt aus dem Ziel hinaus";
constexpr char kLeftName[] = "Name, den Windows ändern würde";
constexpr char kLeftIntoSource[] = "Ziel läge im Quellverzeichnis";
constexpr char kLeftNoFolder[] = "Zielordner kann nicht angelegt werden";
constexpr char kLeftCopy[] = "Kopieren fehlgeschlagen";
constexpr char kLeftSize[] = "Kopie hat nicht die Größe der Quelle";
constexpr char kLeftRename[] = "Umbenennen am Ziel fehlgeschlagen";
constexpr char kLeftWritten[] = "wird noch geschrieben";
constexpr char kLeftAlias[] = "Name steht am Ziel für eine andere Datei";
constexpr char kLeftNotDeleted[] = "Quelle kann nicht gelöscht werden";
constexpr char kLeftNotUnmarked[] = "Archivbit der Quelle kann nicht gelöscht werden";
constexpr char kLeftRead[] = "wird von einem anderen Programm offen gehalten";
constexpr char kLeftLink[] = "Verknüpfung auf eine andere Datei";
constexpr char kLeftMoved[] = "Quelle wurde umbenannt oder ersetzt";
constexpr char kLeftNameRefused[] = "Name kann am Ziel nicht gespeichert werden";

// True for a name that may be a short name: at most eight characters, a dot
// and three more, with a tilde (Windows makes "MESSUN~1.DFQ", Wine
// "MESS~FVI.DFQ").
bool MayBeShortName(const std::string& name) {
  return name.find('~') != std::string::npos && Utf16Units(name) <= 12;
}

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
  folders_ = FormsOf(source, target);
  inside_source_.clear();
  if (TargetInside(folders_)) {
    EnterState(TNetState::Misconfigured);
    return;
  }
  SetBusy(true);
  // A target that answers needs no connection: each attempt is a log-on at
  // the server.
  const bool reachable = system_.FolderExists(target) || system_.Connect(target);
  if (reachable) {
    EnterState(TNetState::Reachable);
    if (view_.TimerInterval() == kIntervalStart) view_.MinimizeApplication();
    // An empty source (the registry key missing) has no normal form and is
    // not searched: that would walk the current directory.
    if (!folders_.Source.empty() && FileSearcher) {
      left_.BeginCycle(journal_.DroppedLines());
      // Copies that an earlier run, or a server gone away, left behind go
      // first, once nobody holds them.
      if (record_.Opened()) {
        record_.Tidy(folders_.Target);
      } else {
        record_.Open(folders_.Target);
      }
      TakeOwnFiles();
      locations_.clear();
      FileSearcher->Start(folders_.Source + "*.*");
      left_.EndWalk(FileSearcher->Running);
    }
    view_.SetTimerInterval(kIntervalReachable);
  } else {
    EnterState(TNetState::NoNetwork);
    view_.SetTimerInterval(kIntervalUnreachable);
  }
  SetBusy(false);
}

TickFolders TMainForm::FormsOf(const std::string& source, const std::string& target) {
  TickFolders f;
  f.Source = NormalDirectory(system_, source);
  f.Target = NormalDirectory(system_, target);
  f.SourceNetwork = NetworkForm(system_, f.Source);
  f.TargetNetwork = NetworkForm(system_, f.Target);
  f.SourceBelowTarget = PartBelow(f.SourceNetwork, f.TargetNetwork);
  f.HasSourceId = !f.Source.empty() && system_.Identity(f.Source, f.SourceId);
  f.HasTargetId = !f.Target.empty() && system_.Identity(f.Target, f.TargetId);
  f.ResolvedSource = ResolvedDirectory(system_, f.Source);
  f.ResolvedTarget = ResolvedDirectory(system_, f.Target);
  return f;
}

bool TMainForm::TargetInsideSource(const std::string& source, const std::string& target) {
  return TargetInside(FormsOf(source, target));
}

bool TMainForm::TargetInside(const TickFolders& f) {
  // A source without a network form (no path, or one too long for it) holds
  // nothing.
  if (f.SourceNetwork.empty()) return false;
  if (LiesBelow(f.TargetNetwork, f.SourceNetwork)) return true;
  // Other spellings of the source (a short name, a share, a subst drive, a
  // link) pass the text test: the folders' identities decide, and the paths
  // with every link followed, for a link that leads below the source's top.
  if (f.Target.empty()) return false;
  if (f.HasSourceId && LiesInside(system_, f.Target, f.SourceId, std::string())) return true;
  return LiesBelow(f.ResolvedTarget, f.ResolvedSource);
}

bool TMainForm::InsideSource(const std::string& directory, const std::string& target_dir) {
  auto [known, added] = inside_source_.try_emplace(directory, false);
  if (added) {
    known->second =
        (folders_.HasSourceId && LiesInside(system_, directory, folders_.SourceId, target_dir)) ||
        LiesBelow(ResolvedDirectory(system_, directory), folders_.ResolvedSource);
  }
  return known->second;
}

bool TMainForm::WalkEnters(const std::string& directory, bool is_link) {
  // Where the file system cannot follow the links, the folder's own
  // identity is all there is to go by.
  const std::string resolved = ResolvedDirectory(system_, directory);
  if (resolved.empty()) {
    FileId id;
    return !folders_.HasTargetId || !system_.Identity(directory, id) || id != folders_.TargetId;
  }
  // A folder of the source is entered by its own name only: through a link
  // its files would arrive a second time, at another place. A target that
  // holds the source holds every folder of the source too.
  if (LiesBelow(resolved, folders_.ResolvedSource)) return !is_link;
  if (folders_.HasSourceId && LiesInside(system_, resolved, folders_.SourceId, std::string())) {
    return true;
  }
  return !LiesBelow(resolved, folders_.ResolvedTarget) &&
         !(folders_.HasTargetId && LiesInside(system_, resolved, folders_.TargetId, std::string()));
}

void TMainForm::TakeOwnFiles() {
  own_ids_.clear();
  own_paths_.clear();
  own_names_.clear();
  std::vector<std::string> paths{system_.ProgramFile()};
  if (!settings_path_.empty()) paths.push_back(settings_path_);
  // The settings file that a save replaces, and every helper file of the
  // save beside it: they all begin with its name and a dot.
  // The journal, and its older part.
  if (!journal_.Path().empty()) {
    paths.push_back(journal_.Path());
    paths.push_back(journal_.Path() + ".1");
  }
  const std::string ini = system_.FullPath(IniPath(settings_path_));
  if (!ini.empty()) {
    paths.push_back(ini);
    if (auto listing = system_.ListFolder(ini + ".*")) {
      ListEntry entry;
      while (listing->Next(entry)) paths.push_back(DirectoryPart(ini) + entry.Name);
    }
  }
  for (const std::string& path : paths) {
    const std::string full = system_.FullPath(path);
    if (full.empty()) continue;
    own_paths_.insert(system_.UpperCase(full));
    own_names_.insert(system_.UpperCase(ExtractFileName(full)));
    FileId id;
    if (system_.Identity(full, id)) own_ids_.insert(id);
  }
}

bool TMainForm::IsOwnFile(const std::string& path, const std::string& name) {
  // The walk gives every file its long name, whatever spelling led to its
  // folder (a link, a short name, a share): a file of another name is none
  // of them, and needs no identity, which costs an opening of the file.
  if (own_names_.count(system_.UpperCase(name)) == 0) return false;
  if (own_paths_.count(system_.UpperCase(path)) != 0) return true;
  FileId id;
  return system_.Identity(path, id) && own_ids_.count(id) != 0;
}

void TMainForm::Leave(const std::string& source_file, const std::string& relative,
                      const std::string& reason, const std::string& error, bool lasting,
                      bool final_name_held) {
  const std::string why = error.empty() ? reason : reason + ": " + error;
  if (left_.Leave(source_file, why, lasting)) journal_.Add(kJournalLeft, relative + "\t" + why);
  if (lasting) left_.Wait(source_file, listed_, system_.Milliseconds(), final_name_held);
}

void TMainForm::CopyFoundFile(TFoundFile& file) {
  if ((file.Attributes & kAttrReadOnly) != 0 || (file.Attributes & kAttrArchive) == 0) return;
  if ((file.Attributes & kAttrDirectory) == 0 && file.Directory) TransferFile(file);
  if ((!view_.TimerEnabled() || cancel_) && FileSearcher) FileSearcher->Stop();
}

bool TMainForm::NamesAnotherFile(const std::string& target_dir, const std::string& relative) {
  // Only names shaped like short names are looked up: most are not, and a
  // listing per name would cost as much as a small file's transfer.
  std::string path = target_dir;
  size_t start = 0;
  for (;;) {
    const size_t end = relative.find('\\', start);
    const std::string name = relative.substr(start, end == std::string::npos ? end : end - start);
    path += name;
    if (MayBeShortName(name)) {
      if (auto listing = system_.ListFolder(path)) {
        ListEntry entry;
        if (listing->Next(entry) && !SameName(system_, entry.Name, name)) return true;
      }
    }
    if (end == std::string::npos) return false;
    path += "\\";
    start = end + 1;
  }
}

bool TMainForm::CopyGoesOn(const std::string& name, uint64_t copied, uint64_t total) {
  if (cancel_) return !(copy_cancelled_ = true);
  const uint64_t now = system_.Milliseconds();
  const uint64_t spent = now - copy_began_;
  // A new target was chosen (the timer is off while the dialog is open): the
  // cycle ends after this file, unless it would take more than a second yet.
  if (!view_.TimerEnabled() && copied < total &&
      (copied == 0 || (total - copied) * static_cast<double>(spent) / copied > 1000)) {
    return !(copy_cancelled_ = true);
  }
  if (spent >= 1000 && total > 0 && (progress_shown_ == 0 || now - progress_shown_ >= 250)) {
    progress_shown_ = now;
    const int percent = static_cast<int>(copied * 100 / total);
    view_.SetAppTitle("Ferrolink: " + name + " \u2013 " + std::to_string(percent) + " %");
    view_.SetProgress(percent);
  }
  return true;
}

void TMainForm::TransferFile(const TFoundFile& file) {
  const std::string& directory = *file.Directory;
  const std::string source_file = directory.empty() || directory.back() == '\\'
                                      ? directory + file.Name
                                      : directory + "\\" + file.Name;
  const std::string& source_dir = folders_.Source;
  const std::string& target_dir = folders_.Target;
  if (source_dir.empty() || target_dir.empty()) return;
  listed_ = {static_cast<uint64_t>(file.Size), file.LastWriteTime};
  // A file whose relative path would leave the target, or that Windows
  // would take for another file or a device, is left alone.
  const std::string relative = RelativePath(system_, source_dir, source_file);
  if (!StaysBelow(relative)) return Leave(source_file, relative, kLeftOutside);
  if (!KeepsItsNames(relative)) return Leave(source_file, relative, kLeftName);
  const std::string target_file = target_dir + relative;
  // Below a target that holds the source, the files whose relative path
  // begins with the source's own part below the target would land back in
  // the source tree, over the files there: such files are left alone. The
  // same by identity and with links followed, whatever the spelling.
  if (LiesBelow(system_.UpperCase(relative), folders_.SourceBelowTarget) ||
      InsideSource(DirectoryPart(target_file), target_dir)) {
    return Leave(source_file, relative, kLeftIntoSource);
  }
  // Ferrolink's program and settings stay where they are, also when the
  // source holds them (by default it is Ferrolink's own folder).
  if (IsOwnFile(source_file, file.Name)) return;
  // A file that waits for a reason that does not pass by itself is tried
  // again only when its wait is over, or its source changed; a final name
  // still held at the server is told without a copy.
  const uint64_t now = system_.Milliseconds();
  if (!left_.Due(source_file, listed_, now)) return;
  if (left_.WaitsForFinalName(source_file) && system_.NameHeld(target_file)) {
    return left_.Wait(source_file, listed_, now, true);
  }
  // A name the target's file system takes for another file (another
  // file's short name) would have the copy replace that file. The temporary
  // name needs no such test: it is made only where no file answers to it.
  if (NamesAnotherFile(target_dir, relative)) return Leave(source_file, relative, kLeftAlias);
  std::string folder_error;
  if (!CreateDirectoryPath(system_, DirectoryPart(target_file), folder_error)) {
    return Leave(source_file, relative, kLeftNoFolder, folder_error);
  }
  // The mode is read once per file, before the source is held with the
  // access its end needs; the window may change it meanwhile.
  const bool delete_mode = delete_checked_;
  HoldFailure failure = HoldFailure::None;
  const std::unique_ptr<HeldSource> source =
      system_.HoldSource(source_file, delete_mode ? SourceEnd::Delete : SourceEnd::Unmark, failure);
  switch (failure) {
    case HoldFailure::None:
      break;
    case HoldFailure::Gone:
      // Another Ferrolink delivered it, or somebody removed it.
      return;
    case HoldFailure::Written:
      return Leave(source_file, relative, kLeftWritten);
    case HoldFailure::Read:
      return Leave(source_file, relative, kLeftRead);
    case HoldFailure::Link:
      return Leave(source_file, relative, kLeftLink);
    case HoldFailure::Other:
      return Leave(source_file, relative, kLeftCopy, system_.LastErrorText());
  }
  // Where the system followed a link to open the file, it holds another
  // file, which is never read.
  if (!HeldIsListed(*source, source_file, file.Name)) {
    return Leave(source_file, relative, kLeftLink);
  }
  copy_began_ = system_.Milliseconds();
  progress_shown_ = 0;
  copy_cancelled_ = false;
  DeliveryError error;
  const Delivery delivery = DeliverWhole(
      system_, record_, *source, target_file,
      [&](uint64_t copied, uint64_t total) { return CopyGoesOn(file.Name, copied, total); }, error);
  // The share goes; a copy that did not end gives the title back.
  if (progress_shown_ != 0) {
    view_.SetProgress(-1);
    if (delivery != Delivery::Done) view_.SetAppTitle(title_);
  }
  if (delivery == Delivery::Done)
    return Delivered(file, *source, delete_mode, source_file, relative);
  Undelivered(delivery, error, source_file, relative, target_file);
}

void TMainForm::Undelivered(Delivery delivery, const DeliveryError& error,
                            const std::string& source_file, const std::string& relative,
                            const std::string& target_file) {
  switch (delivery) {
    case Delivery::Done:
    case Delivery::ByAnother:
      // Delivered, by the other Ferrolink, which says so in its lines.
      return;
    case Delivery::CopyFailed:
      // A copy cancelled on purpose waits for the next cycle, unremarked.
      if (copy_cancelled_) return;
      return Leave(source_file, relative, kLeftCopy, error.text, error.lasting);
    case Delivery::WrongSize:
      return Leave(source_file, relative, kLeftSize);
    case Delivery::RenameFailed:
      // A holder of the final name (a viewer of the older copy) is found
      // again at the next try without a copy.
      return Leave(source_file, relative, kLeftRename, error.text, error.lasting,
                   error.lasting && system_.NameHeld(target_file));
    case Delivery::NameRefused:
      return Leave(source_file, relative, kLeftNameRefused, error.text, true);
  }
}

bool TMainForm::HeldIsListed(HeldSource& source, const std::string& source_file,
                             const std::string& name) {
  const std::string directory = source_file.substr(0, source_file.size() - name.size());
  auto [known, added] = locations_.try_emplace(directory);
  if (added) known->second = system_.Location(directory);
  // Where the system cannot tell, the hold's own test of links stands.
  const std::string held = source.Location();
  return held.empty() || known->second.empty() ||
         system_.UpperCase(held) == system_.UpperCase(known->second + name);
}

void TMainForm::Delivered(const TFoundFile& file, HeldSource& source, bool delete_mode,
                          const std::string& source_file, const std::string& relative) {
  title_ = "Ferrolink: " + file.Name;
  view_.SetAppTitle(title_);
  // The count stops at its largest value instead of overflowing.
  if (CopyCount < std::numeric_limits<int32_t>::max()) ++CopyCount;
  view_.SetText(Control::LabelBranch, relative);
  view_.SetText(Control::LabelStatus,
                std::to_string(CopyCount) +
                    (delete_mode ? " Datei(en) transferiert." : " Datei(en) dupliziert."));
  // A source renamed or replaced since it was listed is never deleted or
  // un-marked under another name. One gone from its name whose delivery
  // another Ferrolink said was that one's.
  if (!source.StillAt(SystemPath(source_file))) {
    if (source.TakenElsewhere()) return;
    return Leave(source_file, relative, kLeftMoved);
  }
  // Nobody could write the source since it was held: what goes is what
  // was delivered.
  const uint64_t size = source.Size();
  if (!source.Settle(file.Attributes & 0xFF & 0xDF)) {
    // Another Ferrolink deleted or un-marked it first: delivered twice, the
    // same bytes, and said by the other.
    if (source.TakenElsewhere()) return;
    return Leave(source_file, relative, delete_mode ? kLeftNotDeleted : kLeftNotUnmarked,
                 system_.LastErrorText(), true);
  }
  left_.Done(source_file);
  journal_.Add(delete_mode ? kJournalMoved : kJournalCopied,
               relative + "\t" + std::to_string(size) + " Bytes");
  // The source is gone: its line must not wait for the end of the cycle.
  if (delete_mode) journal_.Flush();
}

}  // namespace ferrolink
