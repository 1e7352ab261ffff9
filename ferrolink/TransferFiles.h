// What the delivery of a file needs of the system: folders made, the source
// held, the copy written and put in place, the server's final names tested,
// the failures told apart, a clock for its waits, and the record of its
// copies kept in the log-on's local application data.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>

#include "Folders.h"
#include "SettingsStore.h"

namespace ferrolink {

// Told once a copy's new file is there and held, before its first byte, with
// the new file's identity: the record of copies names it so. Its index
// alone: the copy's path names its volume.
using CopyMade = std::function<void(const FileId& id)>;

// Told during a copy how far it is (bytes copied, bytes in all); false
// cancels the copy, which then leaves no file at its target.
using CopyProgress = std::function<bool(uint64_t copied, uint64_t total)>;

// Unbuffered reads and writes keep to this: their buffer's address, their
// length and their offset are multiples of it, the largest sector size of
// the disks in use (Windows refuses others there with error 87).
inline constexpr uint32_t kSectorSize = 4096;

// A block of memory for unbuffered reads and writes, aligned to the sector size.
struct Block {
  explicit Block(uint32_t size)
      : bytes(static_cast<char*>(::operator new[](size, std::align_val_t{kSectorSize}))) {}
  ~Block() { ::operator delete[](bytes, std::align_val_t{kSectorSize}); }
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;
  char* bytes;
};

// The chunks a file of `size` bytes is copied and checked in: whole sectors,
// a megabyte at most, and no larger than the file and one sector more, so
// that a small file takes one read and its end one more (most files are
// small, and clearing a megabyte for each would cost more than them).
inline uint32_t ChunkFor(uint64_t size) {
  return static_cast<uint32_t>(std::min<uint64_t>((size / kSectorSize + 1) * kSectorSize, 1 << 20));
}

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
  // form Folders::Location gives a folder); empty when it cannot tell. A
  // link that the system followed to open it shows here where it leads.
  virtual std::string Location() = 0;
  // Reads up to `size` bytes from `offset` through the held handle: `got`
  // is less only at the end. False when the read fails.
  virtual bool ReadAt(uint64_t offset, char* buffer, uint32_t size, uint32_t& got) = 0;
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
  // Reads back what the server stored, through the held handle, which
  // wrote and reads unbuffered: no cache on the way answers for the server.
  // `buffer`, `size` and `offset` are multiples of kSectorSize; `got` is
  // less only at the end. False when the read fails.
  virtual bool ReadBack(uint64_t offset, char* buffer, uint32_t size, uint32_t& got) = 0;
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

class TransferFiles {
 public:
  virtual ~TransferFiles() = default;

  // Makes one folder level; false when it cannot (it exists, say).
  bool MakeFolder(const std::string& path);
  // Holds a source file for its transfer; null, and why in `failure`, when
  // it cannot be held.
  std::unique_ptr<HeldSource> HoldSource(const std::string& path, SourceEnd end,
                                         HoldFailure& failure);
  // Copies a held source to a new file `temporary` beside `final_path`,
  // keeping its times and attributes, written unbuffered and then through
  // to its disk or server, telling `made` the new file's identity before its first
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
  // The system's words for why the call that failed last failed; empty when
  // it gives none.
  virtual std::string LastErrorText() = 0;
  // What the failure of the call that failed last says of a later try.
  virtual ErrorKind LastErrorKind() = 0;
  // A clock in milliseconds that only goes forward, for durations.
  virtual uint64_t Milliseconds() = 0;

  // ---- the record of the copies ----------------------------------------------
  // This log-on's own folder for data that stays on this PC (the local
  // application data), ending in a backslash; empty when there is none.
  virtual std::string LocalDataFolder() = 0;
  // Opens a file for appending, made when it is missing; others may read it.
  // Null when it cannot be opened.
  std::unique_ptr<AppendOnlyFile> OpenForAppend(const std::string& path);
  // As SettingsStore's: the record is read and begun anew as a whole.
  FileRead ReadWholeFile(const std::string& path, std::string& bytes);
  bool ReplaceWholeFile(const std::string& path, const std::string& bytes);

 protected:
  // The file system's side, with every path in the form SystemPath gives it.
  virtual bool DoMakeFolder(const std::string& path) = 0;
  virtual std::unique_ptr<HeldSource> DoHoldSource(const std::string& path, SourceEnd end,
                                                   HoldFailure& failure) = 0;
  virtual std::unique_ptr<HeldCopy> DoCopyThrough(HeldSource& from, const std::string& temporary,
                                                  const std::string& final_path,
                                                  const CopyMade& made,
                                                  const CopyProgress& progress,
                                                  bool& name_taken) = 0;
  virtual bool DoNameHeld(const std::string& path) = 0;
  virtual Removal DoRemoveIfSame(const std::string& path, const FileId& id) = 0;
  virtual std::unique_ptr<AppendOnlyFile> DoOpenForAppend(const std::string& path) = 0;
  virtual FileRead DoReadWholeFile(const std::string& path, std::string& bytes) = 0;
  virtual bool DoReplaceWholeFile(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace ferrolink
