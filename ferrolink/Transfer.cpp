#include "Transfer.h"

#include <memory>

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
  // A file of the temporary name may be there: a data file of that name, or
  // what a copy cut short left. Neither is touched; the next name is tried.
  constexpr unsigned kNames = 16;
  std::unique_ptr<HeldCopy> copy;
  bool name_taken = true;
  for (unsigned attempt = 0; !copy && name_taken && attempt < kNames; ++attempt) {
    copy = system.CopyThrough(source, TemporaryName(system, target_file, attempt), target_file,
                              progress, name_taken);
  }
  if (!copy) {
    error = system.LastErrorText();
    return Delivery::CopyFailed;
  }
  // A copy that reported success is trusted only with the source's size,
  // as the held source gives it (a listing may lag behind a file).
  if (copy->Size() != source.Size()) return Delivery::WrongSize;
  // Two Ferrolinks may copy one file at once: the one that finds the other
  // delivered it first drops its copy. A rename refused because the other
  // still holds the final name it has just put in place is tried once more.
  if (source.TakenElsewhere()) return Delivery::ByAnother;
  if (copy->PutInPlace()) return Delivery::Done;
  error = system.LastErrorText();
  if (source.TakenElsewhere()) return Delivery::ByAnother;
  if (copy->PutInPlace()) return Delivery::Done;
  return source.TakenElsewhere() ? Delivery::ByAnother : Delivery::RenameFailed;
}

}  // namespace ferrolink
