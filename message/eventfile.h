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
// lives beside the window code; the tests use an in-memory one. The plug-in
// appends to the event file from another process at any moment, opening it
// by its name (and making it when it is missing) for each event; the logic
// itself writes only to files of its own.
class EventFileSystem {
 public:
  virtual ~EventFileSystem() = default;
  // The file's length; nothing when it is missing, a folder or inaccessible.
  virtual std::optional<std::uint64_t> FileSize(const std::string& path) = 0;
  // At most `limit` of the file's bytes from offset on (empty when offset is
  // at or past the end); nothing when it cannot be opened or read. The
  // plug-in may go on writing, renaming and deleting the file meanwhile.
  virtual std::optional<std::string> ReadFrom(const std::string& path, std::uint64_t offset,
                                              std::uint64_t limit) = 0;
  // Creates or empties the file and writes bytes, on the disk when it
  // returns; false unless all were written.
  virtual bool WriteWhole(const std::string& path, const std::string& bytes) = 0;
  // Appends bytes to an existing file; false unless all were written.
  virtual bool Append(const std::string& path, const std::string& bytes) = 0;
  // Cuts an existing file to `size` bytes; false when it cannot.
  virtual bool Truncate(const std::string& path, std::uint64_t size) = 0;
  // Puts what was written to the file on the disk; false when it cannot.
  virtual bool Flush(const std::string& path) = 0;
  // The file's index on its volume: a file deleted and made anew under the
  // same name gets another. Where the file system renumbers a renamed file
  // (FAT and exFAT, for a longer name), a rename may change it too. Nothing
  // when it is missing or a folder.
  virtual std::optional<std::uint64_t> FileIndex(const std::string& path) = 0;
  // True when no one holds the file open for writing, so that its bytes can
  // no longer change through a handle opened before it was renamed; false
  // while someone does, or when it cannot be opened.
  virtual bool Settled(const std::string& path) = 0;
  // Gives `to` the attributes of `from` (hidden, system, archive), but never
  // read-only: the plug-in must be able to append to it.
  virtual void TakeAttributes(const std::string& from, const std::string& to) = 0;
  // Gives the file `from` the name `to`, where no file may stand, in one
  // step; false leaves both as they were. Fails while another program holds
  // `from` open without sharing its deletion.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // Puts the file `from` in the place of `to`, which may exist, in one step;
  // false leaves both as they were.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  // Deletes the file, also a read-only one; true when it is gone (or was
  // never there), false while another program holds it open.
  virtual bool Remove(const std::string& path) = 0;
  // Lets the time pass before a rename is tried again (a virus scanner
  // holds a new file for a moment); the window goes on being drawn and
  // answering meanwhile.
  virtual void Pause(std::uint32_t milliseconds) = 0;
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

// The files of a trim beside the event file. Their names are the event
// file's with a leading '~' and a suffix, which no person would choose; a
// file of such a name is the trim's only while its record names the step.
struct TrimFiles {
  explicit TrimFiles(const std::string& event_path);
  std::string event;        // the event file
  std::string record;       // which step the trim is at
  std::string next_record;  // the record's next step, until it replaces the record
  std::string kept;         // the trimmed copy, which becomes the event file
  std::string old;          // the event file taken from its place, frozen
};

// What a trim writes down before it moves a file, so that a run that ends
// at any point can be finished by the next one from the files alone. Only
// the trim makes `old`, and only after its record is written: so whether
// `old` is there, and not its index, tells which file it is, also where a
// rename renumbers a file.
struct TrimRecord {
  enum class Step {
    // `kept` is being made as the newest records of the event file of this
    // index, from its byte `number` on. While there is no `old`, nothing
    // was moved; once there is, it is that file, holding every event, and
    // `kept` is made again from it.
    kCopy,
    // `kept` holds, in its first `number` bytes, every event older than
    // those of the event file of this index, which the plug-in made anew
    // while `kept` waited; an `old` of another index is in `kept` already.
    kJoin,
    // As kJoin, once that `old` is gone: an `old` now is the event file of
    // this index, taken from its place, whose bytes follow those of `kept`.
    kTake,
  };
  Step step = Step::kCopy;
  std::uint64_t index = 0;
  std::uint64_t number = 0;
  bool operator==(const TrimRecord&) const = default;
};

// The record as it is stored: "copy <index> <number>\n", "join ...\n" or
// "take ...\n".
std::string FormatTrimRecord(const TrimRecord& record);
// The record stored in text; nothing unless the text is exactly a record.
std::optional<TrimRecord> ParseTrimRecord(const std::string& text);

// Finishes a trim that an earlier run left (ended by a crash, a failed call,
// or the plug-in making the event file anew while it ran), one step after
// the other as its record and the files say: every event once, in the order
// written, in the event file, and no file of the trim left. Where it cannot
// go on (the plug-in holds a file it must move or keeps making the event
// file anew), the next call goes on, and the event file is in its place
// meanwhile. Files that only bear a trim's names, without a record of this
// program's, are left as they are. True when no trim is left.
bool FinishEventFileTrim(EventFileSystem& fs, const std::string& path);

// Cuts the file of `size` bytes back to the records that start in its last
// EVENT_FILE_KEEP_BYTES bytes; only those bytes are read. A trim left by an
// earlier run is finished first; while one is left, or files bear the
// trim's names, no new one starts. The kept records go to a copy, followed
// by what the plug-in appends meanwhile, and the copy is on the disk before
// the event file is moved aside and the copy takes its place; what reached
// the moved file until then follows in the copy before it takes the place,
// so that the plug-in's next event stands behind it. A file that the plug-in
// holds open without sharing its deletion, or that was cut or made anew
// under the trim, is left as it is. A rename that fails while another
// program holds the file is tried again after growing pauses, a few times.
// A file without a record start in its
// last EVENT_FILE_KEEP_BYTES bytes is kept whole. Returns the file's size
// afterwards as the file itself gives it; nothing when it is gone.
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
