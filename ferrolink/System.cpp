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

bool System::CopyThrough(HeldSource& from, const std::string& to, const CopyProgress& progress) {
  return DoCopyThrough(from, SystemPath(to), progress);
}

bool System::RenameOver(const std::string& from, const std::string& to) {
  return DoRenameOver(SystemPath(from), SystemPath(to));
}

bool System::RemoveFile(const std::string& path) {
  return DoRemoveFile(SystemPath(path));
}

bool System::FileSize(const std::string& path, uint64_t& size) {
  return DoFileSize(SystemPath(path), size);
}

bool System::AppendFile(const std::string& path, const std::string& bytes) {
  return DoAppendFile(SystemPath(path), bytes);
}

}  // namespace ferrolink
