// Ferrolink's own files: its program, both settings files with the save's
// helper files, and the journal with its older part. They never travel,
// also where the source holds them (by default it is Ferrolink's own
// folder), under whatever spelling the walk meets them.
#pragma once

#include <set>
#include <string>

#include "Folders.h"
#include "Names.h"

namespace ferrolink {

class OwnFiles {
 public:
  OwnFiles(Folders& folders, Names& names) : folders_(folders), names_(names) {}

  // Takes their identities and paths for this cycle, from the paths of the
  // instrument's settings file (empty: none), of Ferrolink's own settings
  // file and of the journal (empty: none).
  void Take(const std::string& settings_path, const std::string& ini_path,
            const std::string& journal_path);
  // True when the file, found under `name`, is one of them.
  bool Holds(const std::string& path, const std::string& name);

 private:
  Folders& folders_;
  Names& names_;
  // Identities, full paths in upper case for file systems that give no
  // identity, and names in upper case.
  std::set<FileId> ids_;
  std::set<std::string> paths_;
  std::set<std::string> names_upper_;
};

}  // namespace ferrolink
