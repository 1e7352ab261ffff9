#include "Searcher.h"

#include "Paths.h"

namespace ferrolink {

namespace {

// A listing with one of these name patterns holds every entry of its
// directory, the subdirectories included.
bool MatchesEverything(const std::string& mask) {
  return mask == "*.*" || mask == "*";
}

bool IsEnterable(const ListEntry& entry) {
  return (entry.Attributes & kAttrDirectory) != 0 && !entry.Name.empty() && entry.Name[0] != '.';
}

bool IsLink(const ListEntry& entry) {
  return (entry.Attributes & kAttrReparsePoint) != 0;
}

// A subdirectory to enter, and whether it is a link.
struct Subdirectory {
  std::string Name;
  bool Link;
};

}  // namespace

TSearcher::TSearcher(Folders& folders, Names& names) : folders_(folders), names_(names) {}

TSearcher::~TSearcher() {
  ClearItems();
}

void TSearcher::Start(const std::string& pattern) {
  Running = true;
  ClearItems();
  Mask = ExtractFileName(pattern);
  // A pattern that has no full form cannot be listed; listing the empty text
  // would search somewhere else.
  const std::string full = names_.FullPath(pattern);
  if (full.empty()) return;
  ForgetEntered();
  try {
    FirstEntry(DirectoryPart(full), false);
    SearchDirectory(full);
  } catch (...) {
    Running = false;
    throw;
  }
  ForgetEntered();
}

void TSearcher::ForgetEntered() {
  entered_before_link_.clear();
  entered_.clear();
  link_met_ = false;
}

bool TSearcher::FirstEntry(const std::string& directory, bool is_link) {
  if (!link_met_ && !is_link) {
    entered_before_link_.push_back(directory);
    return true;
  }
  FileId id;
  if (!link_met_) {
    link_met_ = true;
    for (const std::string& entered : entered_before_link_) {
      if (folders_.Identity(entered, id)) entered_.insert(id);
    }
    entered_before_link_.clear();
  }
  return !folders_.Identity(directory, id) || entered_.insert(id).second;
}

void TSearcher::Stop() {
  Running = false;
}

void TSearcher::ClearItems() {
  Items.clear();
}

void TSearcher::SearchDirectory(const std::string& pattern) {
  if (!Running) return;
  const std::string directory = DirectoryPart(pattern);
  const bool recursive = (Options & soRecursive) != 0;
  // When the pattern matches everything, its listing already names every
  // subdirectory in listing order, so one listing serves both steps.
  const bool one_listing = recursive && MatchesEverything(pattern.substr(directory.size()));

  std::shared_ptr<const std::string> shared_directory;
  std::vector<Subdirectory> subdirectories;
  ListEntry entry;
  if (auto listing = folders_.ListFolder(pattern)) {
    while (Running && listing->Next(entry)) {
      const bool is_directory = (entry.Attributes & kAttrDirectory) != 0;
      if (is_directory ? (Options & soDirectories) : (Options & soFiles)) {
        Report(entry, directory, shared_directory);
      }
      if (one_listing && IsEnterable(entry)) {
        subdirectories.push_back({std::move(entry.Name), IsLink(entry)});
      }
    }
  }
  if (!recursive || !Running) return;
  if (!one_listing) {
    if (auto listing = folders_.ListFolder(directory + "*.*")) {
      while (Running && listing->Next(entry)) {
        if (IsEnterable(entry)) subdirectories.push_back({std::move(entry.Name), IsLink(entry)});
      }
    }
  }
  // The listings are closed before descending, so a deep tree holds no open
  // listing per level.
  for (const Subdirectory& sub : subdirectories) {
    if (!Running) return;
    const std::string subdirectory = directory + sub.Name + "\\";
    // A link is asked about before it counts as entered: a link the walk
    // leaves out must not keep it from the folder the link leads to.
    if (sub.Link && MayEnter && !MayEnter(subdirectory, true)) continue;
    if (!FirstEntry(subdirectory, sub.Link)) continue;
    if (!sub.Link && link_met_ && MayEnter && !MayEnter(subdirectory, false)) continue;
    SearchDirectory(subdirectory + Mask);
  }
}

void TSearcher::Report(const ListEntry& entry, const std::string& directory,
                       std::shared_ptr<const std::string>& shared_directory) {
  if (!shared_directory) shared_directory = std::make_shared<const std::string>(directory);
  // The searcher owns the record from here on, also when the handler throws.
  TFoundFile& file = Items.emplace_back();
  file.CreationTime = entry.CreationTime;
  file.LastWriteTime = entry.LastWriteTime;
  file.LastAccessTime = entry.LastAccessTime;
  file.Attributes = entry.Attributes;
  file.Size = static_cast<int64_t>(entry.Size);
  file.Name = entry.Name;
  file.Directory = shared_directory;
  if (OnFound) OnFound(file);
}

}  // namespace ferrolink
