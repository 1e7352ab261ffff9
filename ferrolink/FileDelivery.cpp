#include "FileDelivery.h"

#include "Paths.h"

namespace ferrolink {

namespace {

// Why a file stays at the source, in the journal's words.
constexpr char kLeftOutside[] = "Pfad führt aus dem Ziel hinaus";
constexpr char kLeftName[] = "Name, den Windows ändern würde";
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
constexpr char kLeftDiffers[] = "Kopie am Ziel weicht ab";

// True for a name that may be a short name: at most eight characters, a dot
// and three more, with a tilde (Windows makes "MESSUN~1.DFQ", Wine
// "MESS~FVI.DFQ").
bool MayBeShortName(const std::string& name) {
  return name.find('~') != std::string::npos && Utf16Units(name) <= 12;
}

}  // namespace

void FileDelivery::BeginCycle(const std::string& target) {
  left_.BeginCycle(journal_.DroppedLines());
  if (record_.Opened()) {
    record_.Tidy(target);
  } else {
    record_.Open(target);
  }
  locations_.clear();
}

bool FileDelivery::Place(const TFoundFile& file, const std::string& source_dir,
                         const std::string& target_dir, FoundFile& found) {
  const std::string& directory = *file.Directory;
  found.name = file.Name;
  found.source_file = directory.empty() || directory.back() == '\\' ? directory + file.Name
                                                                    : directory + "\\" + file.Name;
  found.attributes = file.Attributes;
  found.listed = {static_cast<uint64_t>(file.Size), file.LastWriteTime};
  // A file whose relative path would leave the target, or that Windows
  // would take for another file or a device, is left alone.
  found.relative = RelativePath(names_, source_dir, found.source_file);
  if (!StaysBelow(found.relative)) return Leave(found, kLeftOutside), false;
  if (!KeepsItsNames(found.relative)) return Leave(found, kLeftName), false;
  found.target_file = target_dir + found.relative;
  return true;
}

void FileDelivery::Leave(const FoundFile& found, const std::string& reason, const Why& why) {
  const std::string text = why.error.empty() ? reason : reason + ": " + why.error;
  if (left_.Leave(found.source_file, text, why.lasting)) {
    journal_.Add(kJournalLeft, found.relative + "\t" + text);
  }
  if (why.lasting) {
    left_.Wait(found.source_file, found.listed, files_.Milliseconds(), why.final_name_held);
  }
}

bool FileDelivery::Due(const FoundFile& found) {
  // A file that waits for a reason that does not pass by itself is tried
  // again only when its wait is over, or its source changed; a final name
  // still held at the server is told without a copy.
  const uint64_t now = files_.Milliseconds();
  if (!left_.Due(found.source_file, found.listed, now)) return false;
  if (left_.WaitsForFinalName(found.source_file) && files_.NameHeld(found.target_file)) {
    left_.Wait(found.source_file, found.listed, now, true);
    return false;
  }
  return true;
}

Delivered FileDelivery::Deliver(const FoundFile& found, const std::string& target_dir,
                                bool delete_mode, const CopyWatch& watch) {
  if (!Due(found)) return {};
  // A name the target's file system takes for another file (another
  // file's short name) would have the copy replace that file. The temporary
  // name needs no such test: it is made only where no file answers to it.
  if (NamesAnotherFile(target_dir, found.relative)) return Leave(found, kLeftAlias), Delivered{};
  std::string folder_error;
  if (!CreateDirectoryPath(folders_, files_, DirectoryPart(found.target_file), folder_error)) {
    return Leave(found, kLeftNoFolder, {folder_error}), Delivered{};
  }
  const std::unique_ptr<HeldSource> source = Hold(found, delete_mode);
  if (!source) return {};
  copy_began_ = files_.Milliseconds();
  progress_shown_ = 0;
  copy_cancelled_ = false;
  DeliveryError error;
  const Delivery delivery = DeliverWhole(
      files_, names_, record_, *source, found.target_file,
      [&](uint64_t done, uint64_t total, bool checking) {
        return CopyGoesOn(watch, done, total, checking);
      },
      error);
  const Delivered delivered{delivery == Delivery::Done, progress_shown_ != 0};
  if (delivered.placed) {
    Settle(found, *source, delete_mode);
  } else {
    Undelivered(delivery, error, found);
  }
  return delivered;
}

std::unique_ptr<HeldSource> FileDelivery::Hold(const FoundFile& found, bool delete_mode) {
  HoldFailure failure = HoldFailure::None;
  std::unique_ptr<HeldSource> source = files_.HoldSource(
      found.source_file, delete_mode ? SourceEnd::Delete : SourceEnd::Unmark, failure);
  switch (failure) {
    case HoldFailure::None:
      break;
    case HoldFailure::Gone:
      // Another Ferrolink delivered it, or somebody removed it.
      return nullptr;
    case HoldFailure::Written:
      return Leave(found, kLeftWritten), nullptr;
    case HoldFailure::Read:
      return Leave(found, kLeftRead), nullptr;
    case HoldFailure::Link:
      return Leave(found, kLeftLink), nullptr;
    case HoldFailure::Other:
      return Leave(found, kLeftCopy, {files_.LastErrorText()}), nullptr;
  }
  // Where the system followed a link to open the file, it holds another
  // file, which is never read.
  if (!HeldIsListed(*source, found)) return Leave(found, kLeftLink), nullptr;
  return source;
}

bool FileDelivery::NamesAnotherFile(const std::string& target_dir, const std::string& relative) {
  // Only names shaped like short names are looked up: most are not, and a
  // listing per name would cost as much as a small file's transfer.
  std::string path = target_dir;
  size_t start = 0;
  for (;;) {
    const size_t end = relative.find('\\', start);
    const std::string name = relative.substr(start, end == std::string::npos ? end : end - start);
    path += name;
    if (MayBeShortName(name)) {
      if (auto listing = folders_.ListFolder(path)) {
        ListEntry entry;
        if (listing->Next(entry) && !SameName(names_, entry.Name, name)) return true;
      }
    }
    if (end == std::string::npos) return false;
    path += "\\";
    start = end + 1;
  }
}

bool FileDelivery::CopyGoesOn(const CopyWatch& watch, uint64_t copied, uint64_t total,
                              bool checking) {
  if (watch.cancelled()) return !(copy_cancelled_ = true);
  const uint64_t now = files_.Milliseconds();
  const uint64_t spent = now - copy_began_;
  // A new target is being chosen: the cycle ends after this file, unless it
  // would take more than a second yet.
  if (watch.target_changing() && copied < total &&
      (copied == 0 || (total - copied) * static_cast<double>(spent) / copied > 1000)) {
    return !(copy_cancelled_ = true);
  }
  if (spent >= 1000 && total > 0 && (progress_shown_ == 0 || now - progress_shown_ >= 250)) {
    progress_shown_ = now;
    watch.show(static_cast<int>(copied * 100 / total), checking);
  }
  return true;
}

void FileDelivery::Undelivered(Delivery delivery, const DeliveryError& error,
                               const FoundFile& found) {
  switch (delivery) {
    case Delivery::Done:
    case Delivery::ByAnother:
      // Delivered, by the other Ferrolink, which says so in its lines.
      return;
    case Delivery::CopyFailed:
      // A copy cancelled on purpose waits for the next cycle, unremarked.
      if (copy_cancelled_) return;
      return Leave(found, kLeftCopy, {error.text, error.lasting});
    case Delivery::WrongSize:
      return Leave(found, kLeftSize);
    case Delivery::Differs:
      // The server or the line damaged it: tried again at growing
      // intervals, at once when the source changes.
      return Leave(found, kLeftDiffers, {error.text, true});
    case Delivery::RenameFailed:
      // A holder of the final name (a viewer of the older copy) is found
      // again at the next try without a copy.
      return Leave(
          found, kLeftRename,
          {error.text, error.lasting, error.lasting && files_.NameHeld(found.target_file)});
    case Delivery::NameRefused:
      return Leave(found, kLeftNameRefused, {error.text, true});
  }
}

bool FileDelivery::HeldIsListed(HeldSource& source, const FoundFile& found) {
  const std::string directory =
      found.source_file.substr(0, found.source_file.size() - found.name.size());
  auto [known, added] = locations_.try_emplace(directory);
  if (added) known->second = folders_.Location(directory);
  // Where the system cannot tell, the hold's own test of links stands.
  const std::string held = source.Location();
  return held.empty() || known->second.empty() ||
         names_.UpperCase(held) == names_.UpperCase(known->second + found.name);
}

void FileDelivery::Settle(const FoundFile& found, HeldSource& source, bool delete_mode) {
  // A source renamed or replaced since it was listed is never deleted or
  // un-marked under another name. One gone from its name whose delivery
  // another Ferrolink said was that one's.
  if (!source.StillAt(SystemPath(found.source_file))) {
    if (source.TakenElsewhere()) return;
    return Leave(found, kLeftMoved);
  }
  // Nobody could write the source since it was held: what goes is what
  // was delivered.
  const uint64_t size = source.Size();
  if (!source.Settle(found.attributes & 0xFF & 0xDF)) {
    // Another Ferrolink deleted or un-marked it first: delivered twice, the
    // same bytes, and said by the other.
    if (source.TakenElsewhere()) return;
    return Leave(found, delete_mode ? kLeftNotDeleted : kLeftNotUnmarked,
                 {files_.LastErrorText(), true});
  }
  left_.Done(found.source_file);
  // The copy was read back as the source's bytes before it was put in place.
  journal_.Add(delete_mode ? kJournalMoved : kJournalCopied,
               found.relative + "\t" + std::to_string(size) + " Bytes\tgeprüft");
  // The source is gone: its line must not wait for the end of the cycle
  // (the writer gathers those of files moved quicker than its gap).
  if (delete_mode) journal_.Flush();
}

}  // namespace ferrolink
