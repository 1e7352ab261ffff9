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

  bool OpenSettingsKey() override;
  SettingsValue ReadSettingsValue(std::string& value) override;
  void CloseSettingsKey() override;

  FileRead ReadWholeFile(const std::string& path, std::string& bytes) override;
  bool ReplaceWholeFile(const std::string& path, const std::string& bytes) override;
  std::string FullPathName(const std::string& path) override;
  std::string CurrentDirectory() override;
  std::string ModuleFileName() override;

  bool IsWin9x() override;
  bool UniversalName(const std::string& path, std::string& unc) override;
  std::vector<NetResource> ConnectedDisks() override;
  bool AddConnection(const std::string& remote) override;

  bool ReadVersionInfo(const std::string& path, FixedVersionInfo& info) override;
  bool FileDosDateTime(const std::string& path, uint32_t& stamp) override;

  std::string UpperCase(const std::string& text) override;
  std::string FromAnsi(const std::string& bytes) override;
  bool ToAnsi(const std::string& text, std::string& bytes) override;
  int TextWidth(const std::string& text) override;

  LocalTime Now() override;
  bool AppendFile(const std::string& path, const std::string& bytes) override;
  std::string LastErrorText() override;

  std::unique_ptr<DirectoryListing> List(const std::string& pattern) override;
  uint64_t ToLocalFileTime(uint64_t utc) override;
  uint32_t FileAttributes(const std::string& path) override;
  bool CreateDirectoryLevel(const std::string& path) override;
  bool CopyFileOver(const std::string& from, const std::string& to) override;
  bool DeleteFileAt(const std::string& path) override;
  bool FileStamp(const std::string& path, uint64_t& size, uint64_t& last_write) override;
  Settled SettleSource(const std::string& path, SourceEnd end, uint64_t size, uint64_t local_write,
                       uint32_t attributes) override;
  bool MoveFileOver(const std::string& from, const std::string& to) override;
  bool FlushFileAt(const std::string& path) override;
  bool FolderIdentity(const std::string& path, FileId& id) override;
  bool FileIdentity(const std::string& path, FileId& id) override;
  std::string FinalPath(const std::string& path) override;

 private:
  HKEY key_ = nullptr;
  HFONT font_ = nullptr;
  HDC measure_dc_ = nullptr;
};

}  // namespace ferrolink
