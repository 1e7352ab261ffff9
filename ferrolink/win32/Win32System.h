// The real System: registry, files, network names, version resources, text
// measuring and the transfer's file operations over Win32's wide API, so
// that every name reaches the file system as it is. It owns the window's
// font, so that a path is measured in the font it is shown in.
#pragma once

#include <windows.h>

#include <string>

#include "System.h"
#include "Utf.h"

namespace ferrolink {

// The logic's UTF-8 text as the wide API takes it, and back.
inline std::wstring Wide(const std::string& text) {
  const std::u16string units = Utf16FromUtf8(text);
  return std::wstring(units.begin(), units.end());
}
inline std::string Narrow(const wchar_t* text, size_t length) {
  return Utf8FromUtf16(std::u16string(text, text + length));
}
inline std::string Narrow(const std::wstring& text) {
  return Narrow(text.data(), text.size());
}

class Win32System : public System {
 public:
  Win32System();
  ~Win32System() override;
  Win32System(const Win32System&) = delete;
  Win32System& operator=(const Win32System&) = delete;

  // The window's font: "MS Sans Serif", 8 points (height -11 at 96 dpi, and
  // at any other resolution too).
  HFONT Font() const { return font_; }

  SettingsValue SettingsFilePath(std::string& path) override;
  std::string FromAnsi(const std::string& bytes) override;
  bool ToAnsi(const std::string& text, std::string& bytes) override;

  std::string FullPath(const std::string& path) override;
  std::string ProgramFile() override;
  bool UniversalName(const std::string& path, std::string& unc) override;
  std::string UpperCase(const std::string& text) override;
  int TextWidth(const std::string& text) override;
  bool FileVersionWords(const std::string& path, uint32_t& high, uint32_t& low) override;

  bool Connect(const std::string& remote) override;
  std::string LastErrorText() override;
  ErrorKind LastErrorKind() override;
  std::string LocalDataFolder() override;
  LocalTime Now() override;
  uint64_t Milliseconds() override { return GetTickCount64(); }
  std::string ProcessTag() override;

 protected:
  FileRead DoReadWholeFile(const std::string& path, std::string& bytes) override;
  bool DoReplaceWholeFile(const std::string& path, const std::string& bytes) override;
  std::unique_ptr<DirectoryListing> DoListFolder(const std::string& pattern) override;
  bool DoFolderExists(const std::string& path) override;
  bool DoIdentity(const std::string& path, FileId& id) override;
  std::string DoFinalPath(const std::string& path) override;
  bool DoMakeFolder(const std::string& path) override;
  std::unique_ptr<HeldSource> DoHoldSource(const std::string& path, SourceEnd end,
                                           HoldFailure& failure) override;
  std::unique_ptr<HeldCopy> DoCopyThrough(HeldSource& from, const std::string& temporary,
                                          const std::string& final_path, const CopyMade& made,
                                          const CopyProgress& progress, bool& name_taken) override;
  std::string DoLocation(const std::string& folder) override;
  bool DoNameHeld(const std::string& path) override;
  Removal DoRemoveIfSame(const std::string& path, const FileId& id) override;
  std::unique_ptr<AppendOnlyFile> DoOpenForAppend(const std::string& path) override;
  bool DoFileSize(const std::string& path, uint64_t& size) override;
  bool DoRenameWhenLarger(const std::string& path, uint64_t limit, const std::string& to) override;
  bool DoAppendFile(const std::string& path, const std::string& bytes) override;

 private:
  HFONT font_ = nullptr;
  HDC measure_dc_ = nullptr;
};

}  // namespace ferrolink
