#include "Transfer.h"

#include "Paths.h"

namespace ferrolink {

bool CreateDirectoryPath(System& system, const std::string& directory, std::string& error) {
  // Most transfers go to a directory that is there already: one test.
  if (system.FolderExists(directory)) return true;
  const std::string root = RootPart(directory);
  size_t end = directory.find('\\', root.size() + 1);
  while (end != std::string::npos) {
    const std::string level = directory.substr(0, end);
    if (!system.FolderExists(level) && !system.MakeFolder(level)) {
      error = system.LastErrorText();
      // Another program may have made it meanwhile.
      if (!system.FolderExists(level)) return false;
    }
    end = directory.find('\\', end + 1);
  }
  return true;
}

Delivery DeliverWhole(System& system, HeldSource& source, const std::string& target_file,
                      const CopyProgress& progress, std::string& error) {
  const std::string temporary = TemporaryName(system, target_file);
  Delivery result = Delivery::Done;
  uint64_t copied = 0;
  if (!system.CopyThrough(source, temporary, progress)) {
    result = Delivery::CopyFailed;
  } else if (!system.FileSize(temporary, copied) || copied != source.Size()) {
    // A copy that reported success is trusted only with the source's size,
    // as the held source gives it (a listing may lag behind a file).
    result = Delivery::WrongSize;
  } else if (!system.RenameOver(temporary, target_file)) {
    result = Delivery::RenameFailed;
  }
  if (result != Delivery::Done) {
    error = system.LastErrorText();
    system.RemoveFile(temporary);
  }
  return result;
}

}  // namespace ferrolink
