#include "System.h"

#include "Paths.h"

namespace ferrolink {

FileRead System::ReadWholeFile(const std::string& path, std::string& bytes) {
  return DoReadWholeFile(SystemPath(path), bytes);
}

bool System::ReplaceWholeFile(const std::string& path, const std::string& bytes) {
  return DoReplaceWholeFile(SystemPath(path), bytes);
}

std::unique_ptr<DirectoryListing> System::ListFolder(const std::string& pattern) {
  return DoListFolder(SystemPath(pattern));
}

bool System::FolderExists(const std::string& path) {
  return DoFolderExists(SystemPath(path));
}

bool System::Identity(const std::string& path, FileId& id) {
  return DoIdentity(SystemPath(path), id);
}

std::string System::FinalPath(const std::string& path) {
  return DoFinalPath(SystemPath(path));
}

bool System::MakeFolder(const std::string& path) {
  return DoMakeFolder(SystemPath(path));
}

std::unique_ptr<HeldSource> System::HoldSource(const std::string& path, SourceEnd end,
                                               HoldFailure& failure) {
  failure = HoldFailure::None;
  return DoHoldSource(SystemPath(path), end, failure);
}

std::unique_ptr<HeldCopy> System::CopyThrough(HeldSource& from, const std::string& temporary,
                                              const std::string& final_path, const CopyMade& made,
                                              const CopyProgress& progress, bool& name_taken) {
  name_taken = false;
  return DoCopyThrough(from, SystemPath(temporary), SystemPath(final_path), made, progress,
                       name_taken);
}

std::string System::Location(const std::string& folder) {
  return DoLocation(SystemPath(folder));
}

bool System::NameHeld(const std::string& path) {
  return DoNameHeld(SystemPath(path));
}

Removal System::RemoveIfSame(const std::string& path, const FileId& id) {
  return DoRemoveIfSame(SystemPath(path), id);
}

std::unique_ptr<AppendOnlyFile> System::OpenForAppend(const std::string& path) {
  return DoOpenForAppend(SystemPath(path));
}

bool System::FileSize(const std::string& path, uint64_t& size) {
  return DoFileSize(SystemPath(path), size);
}

bool System::RenameWhenLarger(const std::string& path, uint64_t limit, const std::string& to) {
  return DoRenameWhenLarger(SystemPath(path), limit, SystemPath(to));
}

bool System::AppendFile(const std::string& path, const std::string& bytes) {
  return DoAppendFile(SystemPath(path), bytes);
}

}  // namespace ferrolink
