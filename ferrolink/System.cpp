// The seams' calls that reach files and folders, each handing its paths on
// in the form SystemPath gives them.
#include "System.h"

#include "Paths.h"

namespace ferrolink {

FileRead SettingsStore::ReadWholeFile(const std::string& path, std::string& bytes) {
  return DoReadWholeFile(SystemPath(path), bytes);
}

bool SettingsStore::ReplaceWholeFile(const std::string& path, const std::string& bytes) {
  return DoReplaceWholeFile(SystemPath(path), bytes);
}

std::unique_ptr<DirectoryListing> Folders::ListFolder(const std::string& pattern) {
  return DoListFolder(SystemPath(pattern));
}

bool Folders::FolderExists(const std::string& path) {
  return DoFolderExists(SystemPath(path));
}

bool Folders::Identity(const std::string& path, FileId& id) {
  return DoIdentity(SystemPath(path), id);
}

std::string Folders::FinalPath(const std::string& path) {
  return DoFinalPath(SystemPath(path));
}

std::string Folders::Location(const std::string& folder) {
  return DoLocation(SystemPath(folder));
}

bool TransferFiles::MakeFolder(const std::string& path) {
  return DoMakeFolder(SystemPath(path));
}

std::unique_ptr<HeldSource> TransferFiles::HoldSource(const std::string& path, SourceEnd end,
                                                      HoldFailure& failure) {
  failure = HoldFailure::None;
  return DoHoldSource(SystemPath(path), end, failure);
}

std::unique_ptr<HeldCopy> TransferFiles::CopyThrough(HeldSource& from, const std::string& temporary,
                                                     const std::string& final_path,
                                                     const CopyMade& made,
                                                     const CopyProgress& progress,
                                                     bool& name_taken) {
  name_taken = false;
  return DoCopyThrough(from, SystemPath(temporary), SystemPath(final_path), made, progress,
                       name_taken);
}

bool TransferFiles::NameHeld(const std::string& path) {
  return DoNameHeld(SystemPath(path));
}

Removal TransferFiles::RemoveIfSame(const std::string& path, const FileId& id) {
  return DoRemoveIfSame(SystemPath(path), id);
}

std::unique_ptr<AppendOnlyFile> TransferFiles::OpenForAppend(const std::string& path) {
  return DoOpenForAppend(SystemPath(path));
}

FileRead TransferFiles::ReadWholeFile(const std::string& path, std::string& bytes) {
  return DoReadWholeFile(SystemPath(path), bytes);
}

bool TransferFiles::ReplaceWholeFile(const std::string& path, const std::string& bytes) {
  return DoReplaceWholeFile(SystemPath(path), bytes);
}

bool JournalFiles::AppendFile(const std::string& path, const std::string& bytes,
                              std::string* landed) {
  return DoAppendFile(SystemPath(path), bytes, landed);
}

bool JournalFiles::FileSize(const std::string& path, uint64_t& size) {
  return DoFileSize(SystemPath(path), size);
}

bool JournalFiles::RenameWhenLarger(const std::string& path, uint64_t limit,
                                    const std::string& to) {
  return DoRenameWhenLarger(SystemPath(path), limit, SystemPath(to));
}

}  // namespace ferrolink
