// The plug-in's event file: where it lies, how its bytes are stored, the
// trimming that keeps it small, and its conversion into the event-list text.
//
// File format. The file "QsStat.sta" lies beside Message.exe. Every stored
// byte is the character's code plus EVENT_SHIFT, modulo 256 (no header, no
// checksum, no length field). Decoded, the content is a run of records, the
// oldest first:
//   STX (2) field1 TAB (9) field2 TAB ... field10 ETX (3)
// ten fields of text in the ANSI code page, none holding one of the three
// control bytes. A decoded zero byte is read as a blank.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace message {

// The shift shared with the plug-in that writes the file.
inline constexpr unsigned char EVENT_SHIFT = 0x35;

inline constexpr char EVENT_STX = '\x02';
inline constexpr char EVENT_ETX = '\x03';
inline constexpr char EVENT_TAB = '\t';

inline constexpr const char* EVENT_FILE_NAME = "QsStat.sta";
// A longer file is cut back to its newest records when the list is opened.
inline constexpr std::size_t EVENT_FILE_KEEP_BYTES = 20000;

inline constexpr const char* EVENT_FIELD_GAP = "    ";
// A line feed, 103 hyphens, a line feed: stands between two records.
inline const std::string EVENT_SEPARATOR_LINE = "\n" + std::string(103, '-') + "\n";
inline constexpr const char* EVENT_CLOSING_TEXT = "\n\n";

// What the event-file logic needs of the system. The Win32 implementation
// lives beside the window code; the tests use an in-memory one.
class EventFileSystem {
 public:
  virtual ~EventFileSystem() = default;
  // The file's length; nothing when it is missing, a folder or inaccessible.
  virtual std::optional<std::uint64_t> FileSize(const std::string& path) = 0;
  // At most `limit` of the file's bytes from offset on (empty when offset is
  // at or past the end); nothing when it cannot be opened or read. The
  // plug-in may go on reading and writing the file meanwhile.
  virtual std::optional<std::string> ReadFrom(const std::string& path, std::uint64_t offset,
                                              std::uint64_t limit) = 0;
  // Creates or empties the file and writes bytes; false unless all were written.
  virtual bool WriteWhole(const std::string& path, const std::string& bytes) = 0;
  // Appends bytes to an existing file; false unless all were written.
  virtual bool Append(const std::string& path, const std::string& bytes) = 0;
  // The file's index on its volume: a file deleted and made anew under the
  // same name gets another. Nothing when it is missing or a folder.
  virtual std::optional<std::uint64_t> FileIndex(const std::string& path) = 0;
  // Puts `from` in the place of `to` in one step, with `to`'s owner,
  // permissions and attributes, and keeps the old `to` under `backup`; false
  // leaves `to` as it was, unless the old `to` went to `backup` and could not
  // be put back: then `to` is missing and `backup` holds it.
  virtual bool Replace(const std::string& from, const std::string& to,
                       const std::string& backup) = 0;
  // Gives the file `from` the name `to`, where no file may stand; false
  // leaves both as they were.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  virtual void Remove(const std::string& path) = 0;
};

// Stored bytes to content: subtracts the shift, a zero becomes a blank.
std::string DecodeEventBytes(const std::string& stored);
// Content to stored bytes: adds the shift.
std::string EncodeEventBytes(const std::string& content);

// <module dir>\QsStat.sta, where module dir is the folder of the program's
// executable without a trailing backslash; empty when that folder is not
// known (empty): then there is no event file.
std::string GetEventFilePath(const std::string& module_dir);

// True with the file's length in size, false when the file cannot be sized
// (or there is no path).
bool QueryEventFileSize(EventFileSystem& fs, const std::string& path, std::uint64_t& size);

// Finishes what a trim that was cut short (a crash, a failed call) left
// beside the file, so that no event stays behind in the backup: without the
// file, the backup becomes the file again; with the file the trim put in
// place, the backup's bytes past what the trim had read follow at its end,
// once. Then the backup, the temporary file and the trim's record go. A
// backup beside a file that the trim did not put there is kept, as is the
// file. True when no backup is left.
bool FinishEventFileBackup(EventFileSystem& fs, const std::string& path);

// Cuts the file of `size` bytes back to the records that start in its last
// EVENT_FILE_KEEP_BYTES bytes; only those bytes are read. Before it cuts, a
// backup left by an earlier trim is finished; while one stays, it does not.
// The cut content goes to a temporary file beside it, together with
// whatever the plug-in appended meanwhile, and replaces the file only when
// it was written whole and the file is still the one that was read (the same
// file, at least as long); bytes appended after that land in the replaced
// file and are carried over too. On any failure the file keeps its whole
// content. A file without a record start in its last EVENT_FILE_KEEP_BYTES
// bytes is kept whole. Returns the file's size afterwards as the file itself
// gives it (the plug-in or a person may have rewritten it meanwhile);
// nothing when it is gone.
std::optional<std::uint64_t> TrimEventFile(EventFileSystem& fs, const std::string& path,
                                           std::uint64_t size);

// Called at every step of the layout with the share of the content done so
// far (0..100) or nothing; lets the window redraw and handle its events.
using ProgressHook = std::function<void(std::optional<int> percent)>;

// Lays out the newest records of the first `size` bytes of the stored file
// as the list text: never more than the last EVENT_FILE_KEEP_BYTES bytes,
// from the first record start in them (with none, those bytes as they are),
// so that one opening costs the same whatever the file's size. Empty for an
// empty file; nothing when the file cannot be read.
std::optional<std::string> FormatEventList(EventFileSystem& fs, const std::string& path,
                                           std::uint64_t size, const ProgressHook& progress);

// The layout of decoded content; FormatEventList's core.
std::string LayoutEventContent(const std::string& content, const ProgressHook& progress);

}  // namespace message
