#include "Transfer.h"

#include <memory>

#include "Paths.h"

namespace ferrolink {

bool CreateDirectoryPath(Folders& folders, TransferFiles& files, const std::string& directory,
                         std::string& error) {
  // Most transfers go to a directory that is there already: one test.
  if (folders.FolderExists(directory)) return true;
  const std::string root = RootPart(directory);
  size_t end = directory.find('\\', root.size() + 1);
  while (end != std::string::npos) {
    const std::string level = directory.substr(0, end);
    if (!folders.FolderExists(level) && !files.MakeFolder(level)) {
      error = files.LastErrorText();
      // Another program may have made it meanwhile.
      if (!folders.FolderExists(level)) return false;
    }
    end = directory.find('\\', end + 1);
  }
  return true;
}

namespace {

// The shortest temporary name of this process in the file's folder.
std::string ShortTemporaryName(Names& names, const std::string& file, unsigned attempt) {
  return DirectoryPart(file) + "~ft" + names.ProcessTag() +
         (attempt == 0 ? std::string() : "-" + std::to_string(attempt + 1));
}

// Takes why the last call failed, before another call changes it.
ErrorKind Take(TransferFiles& files, DeliveryError& error) {
  const ErrorKind kind = files.LastErrorKind();
  error = {files.LastErrorText(), kind != ErrorKind::Passing};
  return kind;
}

}  // namespace

Delivery DeliverWhole(TransferFiles& files, Names& names, CopyRecord& record, HeldSource& source,
                      const std::string& target_file, const CopyProgress& progress,
                      DeliveryError& error) {
  // A file of the temporary name may be there: a data file of that name, or
  // what a copy cut short left. Neither is touched; the next name is tried.
  constexpr unsigned kNames = 16;
  std::unique_ptr<HeldCopy> copy;
  std::string entry;
  bool shortened = false;
  for (unsigned attempt = 0; !copy;) {
    if (attempt == kNames) return Delivery::CopyFailed;
    const std::string temporary = shortened ? ShortTemporaryName(names, target_file, attempt)
                                            : TemporaryName(names, target_file, attempt);
    entry = record.Naming(temporary);
    bool name_taken = false;
    copy = files.CopyThrough(
        source, temporary, target_file, [&](const FileId& id) { record.Made(entry, id); }, progress,
        name_taken);
    if (copy) break;
    const bool name_refused = Take(files, error) == ErrorKind::Name;
    record.Dropped(entry);
    if (name_taken) {
      ++attempt;
    } else if (name_refused && !shortened) {
      // The server answers so for a name too long in its own count: only
      // its answer tells, its rules differ.
      shortened = true;
      attempt = 0;
    } else {
      return Delivery::CopyFailed;
    }
  }
  const auto dropped = [&](Delivery delivery) {
    copy.reset();
    record.Dropped(entry);
    return delivery;
  };
  // A copy that reported success is trusted only with the source's size,
  // as the held source gives it (a listing may lag behind a file).
  if (copy->Size() != source.Size()) return dropped(Delivery::WrongSize);
  // Two Ferrolinks may copy one file at once: the one that finds the other
  // delivered it first drops its copy. A rename refused because the other
  // still holds the final name it has just put in place is tried once more.
  for (int tries = 0; tries < 2; ++tries) {
    if (source.TakenElsewhere()) return dropped(Delivery::ByAnother);
    if (copy->PutInPlace()) {
      record.Placed(entry);
      return Delivery::Done;
    }
    Take(files, error);
  }
  if (source.TakenElsewhere()) return dropped(Delivery::ByAnother);
  // A name that only a short temporary name could be copied under is one the
  // server cannot store.
  if (shortened) {
    error.lasting = true;
    return dropped(Delivery::NameRefused);
  }
  return dropped(Delivery::RenameFailed);
}

}  // namespace ferrolink
