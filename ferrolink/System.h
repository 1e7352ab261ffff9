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
//
// The logic names files by plain paths of any length. The calls that reach
// files and folders hand them on in their long form (SystemPath), in one
// place, System.cpp: Windows refuses a plain path of 260 UTF-16 units or
// more, and a fake that keeps that rule sees exactly what Windows would.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ferrolink {

// File attribute bits as the system gives them.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrReparsePoint = 0x400;  // a junction, a symbolic link, a mount point

// One entry of a folder listing, as the listing gives it, times in local
// time (100 ns units).
struct ListEntry {
  uint64_t CreationTime = 0;
  uint64_t LastWriteTime = 0;
  uint64_t LastAccessTime = 0;
  uint32_t Attributes = 0;
  uint64_t Size = 0;
  std::string Name;
};

// An open folder listing; closed when destroyed.
class DirectoryListing {
 public:
  virtual ~DirectoryListing() = default;
  // The next entry; false when there are no more.
  virtual bool Next(ListEntry& entry) = 0;
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

// The instrument software's registry value naming its settings file.
// NoKey: its key is missing, so nothing is read and nothing is ever saved.
enum class SettingsValue { NoKey, Missing, String, OtherType };

// Told once a copy's new file is there and held, before its first byte, with
// the new file's identity: the record of copies names it so. Its index
// alone: the copy's path names its volume.
using CopyMade = std::function<void(const FileId& id)>;

// Told during a copy how far it is (bytes copied, bytes in all); false
// cancels the copy, which then leaves no file at its target.
using CopyProgress = std::function<bool(uint64_t copied, uint64_t total)>;

// A point in local time, to the second.
struct LocalTime {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

// What becomes of a delivered source file.
enum class SourceEnd { Delete, Unmark };

// A source file held for its transfer, from before its first byte is read
// to its delete or un-marking: opened once with the access its end needs,
// shared with readers (and deleters) only, so that nobody writes it
// meanwhile. Closed when destroyed; a delete takes effect then.
class HeldSource {
 public:
  virtual ~HeldSource() = default;
  // The size it has, through the held handle.
  virtual uint64_t Size() = 0;
  // Deletes it (SourceEnd::Delete) or sets its attributes (Unmark) through
  // the held handle; false leaves it as it was.
  virtual bool Settle(uint32_t attributes) = 0;
  // True when another program deleted it (delete mode) or cleared its
  // archive bit (copy mode) since it was held: another Ferrolink, of another
  // log-on, delivered it.
  virtual bool TakenElsewhere() = 0;
  // True when `path` (in the form SystemPath gives it) names the held file
  // now, by its file index, or the system gives no index; false when the
  // file there is another, or none.
  virtual bool StillAt(const std::string& path) = 0;
  // Where the held file is, as the system names it through the handle (the
  // form System::Location gives a folder); empty when it cannot tell. A link
  // that the system followed to open it shows here where it leads.
  virtual std::string Location() = 0;
};

// A copy of a held source, written to a temporary name beside its final
// name and held open, sharing nothing, from its first byte to its end:
// nobody else can write, rename or remove it meanwhile. A copy that was not
// put in place is removed, through the same handle, when destroyed.
class HeldCopy {
 public:
  virtual ~HeldCopy() = default;
  // The size it has, through the held handle.
  virtual uint64_t Size() = 0;
  // Renames it over its final name in one step, through the held handle,
  // and lets go of it; false leaves it held at its temporary name. A final
  // name that somebody holds open is not replaced.
  virtual bool PutInPlace() = 0;
};

// Why a source could not be held: another program writes it (or holds it
// without sharing), a reader holds it without sharing its delete (delete
// mode only), it is gone since it was listed (another Ferrolink, of another
// log-on, delivered it first), it is a link to a file elsewhere (a symbolic
// link, or another reparse point that stands for another name), or anything
// else.
enum class HoldFailure { None, Written, Read, Gone, Link, Other };

// What the last failed call's failure says of a later try: it may pass by
// itself (a server that is away, a file held for a moment), it does not
// (access denied, a full disk), or the server cannot store the name (which
// does not pass either).
enum class ErrorKind { Passing, Lasting, Name };

// What became of a copy left at the server that was to be removed.
enum class Removal {
  Removed,  // it was there with the identity given, and is gone now
  NotOurs,  // nothing of that identity is there (gone, or another file)
  Held,     // somebody holds it: it stays for now
  Failed,   // the server did not answer
};

// A file kept open for appending while Ferrolink runs; closed when destroyed.
class AppendOnlyFile {
 public:
  virtual ~AppendOnlyFile() = default;
  // Appends bytes at its end, without waiting for the disk.
  virtual bool Append(const std::string& bytes) = 0;
};

// The registry key below HKEY_CURRENT_USER whose value "Settings" names the
// instrument software's settings file.
inline constexpr char kSettingsKey[] = "Software\\Quorlen\\Calyrix K9Q2";
inline constexpr char kSettingsValueName[] = "Settings";
// The name ReplaceWholeFile keeps the old file under (the file's name and
// this) until the new one is in place.
inline constexpr char kSaveBackup[] = ".alt";

class System {
 public:
  virtual ~System() = default;

  // ---- the settings ---------------------------------------------------------
  // The path of the instrument software's settings file: the value
  // kSettingsValueName of kSettingsKey, a string used as it is (no variables
  // expanded). The key is opened for full access and never created.
  virtual SettingsValue SettingsFilePath(std::string& path) = 0;
  // Reads a whole file; others may read it meanwhile but not write it.
  FileRead ReadWholeFile(const std::string& path, std::string& bytes);
  // Replaces a file's content as a whole: the old content stays untouched
  // unless the new content was written completely. Its helper files are
  // named after it: the name, a dot and more.
  bool ReplaceWholeFile(const std::string& path, const std::string& bytes);
  // Text of a settings file (ANSI code page) as UTF-8.
  virtual std::string FromAnsi(const std::string& bytes) = 0;
  // UTF-8 text in the ANSI code page; false when a character has no place
  // there (the bytes would name another path).
  virtual bool ToAnsi(const std::string& text, std::string& bytes) = 0;

  // ---- paths and names ------------------------------------------------------
  // The full path, relative to the current folder, of any length; empty when
  // there is none.
  virtual std::string FullPath(const std::string& path) = 0;
  // Ferrolink's own program file.
  virtual std::string ProgramFile() = 0;
  // The universal name (\\server\share\...) of a path on a network drive;
  // false for any other path.
  virtual bool UniversalName(const std::string& path, std::string& unc) = 0;
  // The text with every letter in upper case that the system folds when it
  // compares names without regard to case.
  virtual std::string UpperCase(const std::string& text) = 0;
  // Width in pixels of text in the main window's font. A measure, not a
  // display: the path rules shorten a path to fit a width with it, and the
  // real system owns the font the window then shows the text in.
  virtual int TextWidth(const std::string& text) = 0;
  // The file version of a program file, as its two 32-bit words (most
  // significant first); false when it has none.
  virtual bool FileVersionWords(const std::string& path, uint32_t& high, uint32_t& low) = 0;

  // ---- the target -----------------------------------------------------------
  // Asks the network to connect the target with the user's own log-on (no
  // password or user given, no drive letter); true when it did.
  virtual bool Connect(const std::string& remote) = 0;

  // ---- the walk -------------------------------------------------------------
  // Lists a folder by a pattern path ("C:\\Daten\\*.*"); null when it cannot
  // be listed or nothing matches.
  std::unique_ptr<DirectoryListing> ListFolder(const std::string& pattern);
  bool FolderExists(const std::string& path);
  // The identity of an existing file or folder; false when it does not exist
  // or the file system gives none.
  bool Identity(const std::string& path, FileId& id);
  // The path of an existing folder with every link on its way followed,
  // ending in a backslash; empty when it does not exist or the file system
  // cannot tell.
  std::string FinalPath(const std::string& path);

  // Where a folder is, as the system names it through a handle (the form
  // HeldSource::Location gives a file), ending in a backslash; empty when it
  // cannot tell.
  std::string Location(const std::string& folder);

  // ---- the transfer ---------------------------------------------------------
  // Makes one folder level; false when it cannot (it exists, say).
  bool MakeFolder(const std::string& path);
  // Holds a source file for its transfer; null, and why in `failure`, when
  // it cannot be held.
  std::unique_ptr<HeldSource> HoldSource(const std::string& path, SourceEnd end,
                                         HoldFailure& failure);
  // Copies a held source to a new file `temporary` beside `final_path`,
  // keeping its times and attributes, and writes the copy through to its
  // disk or server, telling `made` the new file's identity before its first
  // byte and `progress` how far it is. An existing file of the temporary
  // name is never touched: null, with `name_taken` true. Null too when the
  // copy fails or is cancelled; nothing of it stays then, unless the server
  // went away before it could be removed.
  std::unique_ptr<HeldCopy> CopyThrough(HeldSource& from, const std::string& temporary,
                                        const std::string& final_path, const CopyMade& made,
                                        const CopyProgress& progress, bool& name_taken);
  // True while somebody holds the file open without letting it be deleted or
  // replaced (a viewer that reads an older copy at the server).
  bool NameHeld(const std::string& path);
  // Removes the file at `path` if it has the file index of `id` and nobody
  // holds it, through one handle that shares nothing: a file that took the
  // name meanwhile is never removed.
  Removal RemoveIfSame(const std::string& path, const FileId& id);
  bool FileSize(const std::string& path, uint64_t& size);
  // Renames a file to `to` (replacing it) when it is larger than `limit`,
  // measured and renamed through one handle: a file that another program
  // made meanwhile in its place is never renamed. True when it was renamed.
  bool RenameWhenLarger(const std::string& path, uint64_t limit, const std::string& to);
  // The system's words for why the call that failed last failed; empty when
  // it gives none.
  virtual std::string LastErrorText() = 0;
  // What the failure of the call that failed last says of a later try.
  virtual ErrorKind LastErrorKind() = 0;

  // This process's own short mark (its number), for names that must differ
  // between two Ferrolinks on one PC.
  virtual std::string ProcessTag() = 0;

  // ---- the journal ----------------------------------------------------------
  virtual LocalTime Now() = 0;
  // A clock in milliseconds that only goes forward, for durations.
  virtual uint64_t Milliseconds() = 0;
  // Appends bytes to a file, made when it is missing, in one piece at its
  // end; others may read, append to and rename it meanwhile (two Ferrolinks
  // of two log-ons share one journal). False unless all were written.
  bool AppendFile(const std::string& path, const std::string& bytes);

  // ---- Ferrolink's record of its copies --------------------------------------
  // This log-on's own folder for data that stays on this PC (the local
  // application data), ending in a backslash; empty when there is none.
  virtual std::string LocalDataFolder() = 0;
  // Opens a file for appending, made when it is missing; others may read it.
  // Null when it cannot be opened.
  std::unique_ptr<AppendOnlyFile> OpenForAppend(const std::string& path);

 protected:
  // The file system's side of the calls above, which hand every path in the
  // form SystemPath gives it: a full path in its long form, so that no
  // length below Windows' 32767 UTF-16 units is refused.
  virtual FileRead DoReadWholeFile(const std::string& path, std::string& bytes) = 0;
  virtual bool DoReplaceWholeFile(const std::string& path, const std::string& bytes) = 0;
  virtual std::unique_ptr<DirectoryListing> DoListFolder(const std::string& pattern) = 0;
  virtual bool DoFolderExists(const std::string& path) = 0;
  virtual bool DoIdentity(const std::string& path, FileId& id) = 0;
  virtual std::string DoFinalPath(const std::string& path) = 0;
  virtual bool DoMakeFolder(const std::string& path) = 0;
  virtual std::unique_ptr<HeldSource> DoHoldSource(const std::string& path, SourceEnd end,
                                                   HoldFailure& failure) = 0;
  virtual std::unique_ptr<HeldCopy> DoCopyThrough(HeldSource& from, const std::string& temporary,
                                                  const std::string& final_path,
                                                  const CopyMade& made,
                                                  const CopyProgress& progress,
                                                  bool& name_taken) = 0;
  virtual std::string DoLocation(const std::string& folder) = 0;
  virtual bool DoNameHeld(const std::string& path) = 0;
  virtual Removal DoRemoveIfSame(const std::string& path, const FileId& id) = 0;
  virtual std::unique_ptr<AppendOnlyFile> DoOpenForAppend(const std::string& path) = 0;
  virtual bool DoFileSize(const std::string& path, uint64_t& size) = 0;
  virtual bool DoRenameWhenLarger(const std::string& path, uint64_t limit,
                                  const std::string& to) = 0;
  virtual bool DoAppendFile(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace ferrolink
