// The real seams over Win32's wide API, so that every name reaches the file
// system as it is: the registry and the settings files, names and the
// window's font, folders and the network, the transfer's file operations and
// the journal's file; and Win32System, which holds one of each.
#pragma once

#include <windows.h>

#include <string>

#include "System.h"

namespace ferrolink {

class Win32SettingsStore : public SettingsStore {
 public:
  SettingsValue SettingsFilePath(std::string& path) override;
  std::string FromAnsi(const std::string& bytes) override;
  bool ToAnsi(const std::string& text, std::string& bytes) override;

 protected:
  FileRead DoReadWholeFile(const std::string& path, std::string& bytes) override;
  bool DoReplaceWholeFile(const std::string& path, const std::string& bytes) override;
};

// It owns the window's font, so that a path is measured in the font it is
// shown in.
class Win32Names : public Names {
 public:
  Win32Names();
  ~Win32Names() override;
  Win32Names(const Win32Names&) = delete;
  Win32Names& operator=(const Win32Names&) = delete;

  // The window's font: "MS Sans Serif", 8 points (height -11 at 96 dpi, and
  // at any other resolution too).
  HFONT Font() const { return font_; }

  std::string FullPath(const std::string& path) override;
  std::string ProgramFile() override;
  bool UniversalName(const std::string& path, std::string& unc) override;
  std::string UpperCase(const std::string& text) override;
  int TextWidth(const std::string& text) override;
  bool FileVersionWords(const std::string& path, uint32_t& high, uint32_t& low) override;
  std::string ProcessTag() override;

 private:
  HFONT font_ = nullptr;
  HDC measure_dc_ = nullptr;
};

class Win32Folders : public Folders {
 public:
  bool Connect(const std::string& remote) override;

 protected:
  std::unique_ptr<DirectoryListing> DoListFolder(const std::string& pattern) override;
  bool DoFolderExists(const std::string& path) override;
  bool DoIdentity(const std::string& path, FileId& id) override;
  std::string DoFinalPath(const std::string& path) override;
  std::string DoLocation(const std::string& folder) override;
};

class Win32TransferFiles : public TransferFiles {
 public:
  std::string LastErrorText() override;
  ErrorKind LastErrorKind() override;
  uint64_t Milliseconds() override { return GetTickCount64(); }
  std::string LocalDataFolder() override;

 protected:
  bool DoMakeFolder(const std::string& path) override;
  std::unique_ptr<HeldSource> DoHoldSource(const std::string& path, SourceEnd end,
                                           HoldFailure& failure) override;
  std::unique_ptr<HeldCopy> DoCopyThrough(HeldSource& from, const std::string& temporary,
                                          const std::string& final_path, const CopyMade& made,
                                          const CopyProgress& progress, bool& name_taken) override;
  bool DoNameHeld(const std::string& path) override;
  Removal DoRemoveIfSame(const std::string& path, const FileId& id) override;
  std::unique_ptr<AppendOnlyFile> DoOpenForAppend(const std::string& path) override;
  FileRead DoReadWholeFile(const std::string& path, std::string& bytes) override;
  bool DoReplaceWholeFile(const std::string& path, const std::string& bytes) override;
};

class Win32JournalFiles : public JournalFiles {
 public:
  LocalTime Now() override;
  std::string LastErrorText() override;

 protected:
  bool DoAppendFile(const std::string& path, const std::string& bytes,
                    std::string* landed) override;
  bool DoFileSize(const std::string& path, uint64_t& size) override;
  bool DoRenameWhenLarger(const std::string& path, uint64_t limit, const std::string& to) override;
};

// One real seam of each kind, as the program hands them to its form.
class Win32System {
 public:
  Win32SettingsStore settings;
  Win32Names names;
  Win32Folders folders;
  Win32TransferFiles transfer;
  Win32JournalFiles journal;

  operator System() { return {settings, names, folders, transfer, journal}; }
  HFONT Font() const { return names.Font(); }
};

}  // namespace ferrolink
