#include "OwnFiles.h"

#include <vector>

#include "Paths.h"

namespace ferrolink {

void OwnFiles::Take(const std::string& settings_path, const std::string& ini_path,
                    const std::string& journal_path) {
  ids_.clear();
  paths_.clear();
  names_upper_.clear();
  std::vector<std::string> paths{names_.ProgramFile()};
  if (!settings_path.empty()) paths.push_back(settings_path);
  // The journal, and its older part.
  if (!journal_path.empty()) {
    paths.push_back(journal_path);
    paths.push_back(journal_path + ".1");
  }
  // The settings file that a save replaces, and every helper file of the
  // save beside it: they all begin with its name and a dot.
  const std::string ini = names_.FullPath(ini_path);
  if (!ini.empty()) {
    paths.push_back(ini);
    if (auto listing = folders_.ListFolder(ini + ".*")) {
      ListEntry entry;
      while (listing->Next(entry)) paths.push_back(DirectoryPart(ini) + entry.Name);
    }
  }
  for (const std::string& path : paths) {
    const std::string full = names_.FullPath(path);
    if (full.empty()) continue;
    paths_.insert(names_.UpperCase(full));
    names_upper_.insert(names_.UpperCase(ExtractFileName(full)));
    FileId id;
    if (folders_.Identity(full, id)) ids_.insert(id);
  }
}

bool OwnFiles::Holds(const std::string& path, const std::string& name) {
  // The walk gives every file its long name, whatever spelling led to its
  // folder (a link, a short name, a share): a file of another name is none
  // of them, and needs no identity, which costs an opening of the file.
  if (names_upper_.count(names_.UpperCase(name)) == 0) return false;
  if (paths_.count(names_.UpperCase(path)) != 0) return true;
  FileId id;
  return folders_.Identity(path, id) && ids_.count(id) != 0;
}

}  // namespace ferrolink
