// What Ferrolink's logic needs of the operating system: the instrument
// software's registry value, files and folders, network names, version
// resources, text measuring and file times. The settings, paths, version text,
// searcher and watch cycle reach the system only through this; Win32System
// implements it over the real API, the tests with a fake. What the window
// shows goes through FormView instead.
//
// Every path and text here is UTF-8, so that a file keeps its name whatever
// its characters; the system side works with the names as the file system
// holds them (UTF-16). Only the settings files hold text in the ANSI code
// page: FromAnsi and ToAnsi convert their values.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ferrolink {

// File attribute bits as the system gives them.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrReparsePoint = 0x400;  // a junction, a symbolic link, a mount point
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;

// One entry of a directory listing, as the listing gives it (times in UTC).
struct ListEntry {
  uint64_t CreationTime = 0;
  uint64_t LastWriteTime = 0;
  uint64_t LastAccessTime = 0;
  uint32_t Attributes = 0;
  uint32_t SizeHigh = 0;
  uint32_t SizeLow = 0;
  std::string Name;
};

// An open directory listing; closed when destroyed.
class DirectoryListing {
 public:
  virtual ~DirectoryListing() = default;
  // The next entry; false when there are no more.
  virtual bool Next(ListEntry& entry) = 0;
};

// A connected network disk resource (local name such as "Q:", remote name
// such as "\\server\share").
struct NetResource {
  std::string LocalName;
  std::string RemoteName;
};

// The fixed part of a version resource.
struct FixedVersionInfo {
  uint32_t FileVersionMS = 0;
  uint32_t FileVersionLS = 0;
  uint32_t ProductVersionMS = 0;
  uint32_t ProductVersionLS = 0;
  uint32_t FlagsMask = 0;
  uint32_t Flags = 0;
};

// The identity of a file or folder, the same for every spelling of it (short
// names, shares, drive letters, links): its volume and its file index.
struct FileId {
  uint32_t Volume = 0;
  uint64_t Index = 0;
  bool operator==(const FileId&) const = default;
  auto operator<=>(const FileId&) const = default;
};

enum class FileRead { Ok, Missing, Failed };

// A point in local time, to the second.
struct LocalTime {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

// What becomes of a delivered source file.
enum class SourceEnd { Delete, Unmark };
// How that went: done; the file is no longer the one delivered (another
// size or last-write time); or it could not be held or changed.
enum class Settled { Done, Changed, Failed };
enum class SettingsValue { Missing, String, OtherType };

// The registry key below HKEY_CURRENT_USER whose value "Settings" names the
// instrument software's settings file.
inline constexpr char kSettingsKey[] = "Software\\Quorlen\\Calyrix K9Q2";
inline constexpr char kSettingsValueName[] = "Settings";

class System {
 public:
  virtual ~System() = default;

  // ---- the instrument software's registry key (HKCU, open only) ----------
  // Opens kSettingsKey.
  virtual bool OpenSettingsKey() = 0;
  // The value kSettingsValueName of the open key.
  virtual SettingsValue ReadSettingsValue(std::string& value) = 0;
  virtual void CloseSettingsKey() = 0;

  // ---- files -------------------------------------------------------------
  // Reads a whole file; others may read it meanwhile but not write it.
  virtual FileRead ReadWholeFile(const std::string& path, std::string& bytes) = 0;
  // Replaces a file's content as a whole: the old content stays untouched
  // unless the new content was written completely.
  virtual bool ReplaceWholeFile(const std::string& path, const std::string& bytes) = 0;
  // The full path (GetFullPathName, at most 260 UTF-16 units); empty when it
  // fails.
  virtual std::string FullPathName(const std::string& path) = 0;
  virtual std::string CurrentDirectory() = 0;
  // Full path of Ferrolink's own executable file.
  virtual std::string ModuleFileName() = 0;

  // ---- network names -----------------------------------------------------
  // Windows 95, 98 or Me (no universal-name query there).
  virtual bool IsWin9x() = 0;
  // WNetGetUniversalName, universal-name level.
  virtual bool UniversalName(const std::string& path, std::string& unc) = 0;
  // The connected disk resources (WNetOpenEnum / WNetEnumResource).
  virtual std::vector<NetResource> ConnectedDisks() = 0;
  // WNetAddConnection(remote, "", ""): true when it returned 0.
  virtual bool AddConnection(const std::string& remote) = 0;

  // ---- version resource --------------------------------------------------
  virtual bool ReadVersionInfo(const std::string& path, FixedVersionInfo& info) = 0;
  // The file's last modification as a DOS date (high word) and time.
  virtual bool FileDosDateTime(const std::string& path, uint32_t& stamp) = 0;

  // ---- text ----------------------------------------------------------
  // The text with every letter in upper case that the system folds when it
  // compares names without regard to case.
  virtual std::string UpperCase(const std::string& text) = 0;
  // Text of a settings file (ANSI code page) as UTF-8.
  virtual std::string FromAnsi(const std::string& bytes) = 0;
  // UTF-8 text in the ANSI code page; false when a character has no place
  // there (the bytes would name another path).
  virtual bool ToAnsi(const std::string& text, std::string& bytes) = 0;
  // Width in pixels of text in the main window's font. A measure, not a
  // display: the path rules shorten a path to fit a width with it, and the
  // real system owns the font the window then shows the text in.
  virtual int TextWidth(const std::string& text) = 0;

  // ---- the journal ---------------------------------------------------------
  virtual LocalTime Now() = 0;
  // Appends bytes to a file, made when it is missing; others may read it
  // meanwhile, nobody may write it. False unless all were written.
  virtual bool AppendFile(const std::string& path, const std::string& bytes) = 0;
  // The system's words for why the call that failed last failed; empty when
  // it gives none.
  virtual std::string LastErrorText() = 0;

  // ---- the transfer's file operations -------------------------------------
  // Lists a pattern path (FindFirstFile/FindNextFile); null when it cannot
  // be listed.
  virtual std::unique_ptr<DirectoryListing> List(const std::string& pattern) = 0;
  virtual uint64_t ToLocalFileTime(uint64_t utc) = 0;
  // GetFileAttributes; kInvalidAttributes when it fails.
  virtual uint32_t FileAttributes(const std::string& path) = 0;
  virtual bool CreateDirectoryLevel(const std::string& path) = 0;
  // CopyFile, replacing an existing target.
  virtual bool CopyFileOver(const std::string& from, const std::string& to) = 0;
  virtual bool DeleteFileAt(const std::string& path) = 0;
  // The file's current size and last-write time (UTC).
  virtual bool FileStamp(const std::string& path, uint64_t& size, uint64_t& last_write) = 0;
  // Holds a delivered source so that nobody can write it meanwhile (others
  // may read it), and only while it still has `size` bytes and the
  // last-write time `local_write` (local time, as the walk's records hold
  // it) deletes it or sets its attributes to `attributes`, through that one
  // handle. Anything but Done leaves the file as it was.
  virtual Settled SettleSource(const std::string& path, SourceEnd end, uint64_t size,
                               uint64_t local_write, uint32_t attributes) = 0;
  // MoveFileEx in one step, replacing an existing file of that name.
  virtual bool MoveFileOver(const std::string& from, const std::string& to) = 0;
  // Writes the file's content through to its disk or server
  // (FlushFileBuffers).
  virtual bool FlushFileAt(const std::string& path) = 0;
  // The identity of an existing folder (a path ending in a backslash); false
  // when it does not exist or the file system gives no identity.
  virtual bool FolderIdentity(const std::string& path, FileId& id) = 0;
  // The identity of an existing file that is no folder; false as above.
  virtual bool FileIdentity(const std::string& path, FileId& id) = 0;
  // The path of an existing folder with every link on its way followed
  // (GetFinalPathNameByHandle), ending in a backslash; empty when it does
  // not exist or the file system cannot tell.
  virtual std::string FinalPath(const std::string& path) = 0;
};

}  // namespace ferrolink
