// Ferrolink's record of the temporary copies it makes at the server, so that
// none that a kill, a power cut or a server gone away left behind stays
// there for good. Kept per log-on in the user's local application data
// (never beside the journal, which may be missing or on a server), as
// lines appended without waiting for the disk:
//   N <entry> <path>              a copy is about to be made at path
//   I <entry> <volume> <index>    it was made, with this identity
//   X <entry>                     it reached its final name, or is gone
// A copy is removed only where its name still holds the identity recorded
// for it and nobody holds it: whatever the record lost or mixed up, the
// worst that follows is a copy that stays, never a file removed that
// Ferrolink did not make. An entry with a name but no identity is dropped.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "Names.h"
#include "TransferFiles.h"

namespace ferrolink {

// The record's file below the local application data.
inline constexpr char kCopyRecordName[] = "Ferrolink\\kopien.txt";

class CopyRecord {
 public:
  // A record that grows past `renew_at` bytes in a run begins anew.
  explicit CopyRecord(TransferFiles& files, Names& names, uint64_t renew_at = 1024 * 1024)
      : files_(files), names_(names), renew_at_(renew_at) {}

  // Once a run, at the first cycle that reaches the target: takes what
  // earlier runs left, removes each copy of theirs below `target` that is
  // still there and that nobody holds, and begins the record anew with the
  // rest. Copies elsewhere wait for a run whose target holds them: a server
  // that is away would keep every cycle waiting.
  void Open(const std::string& target);
  // Tries again to remove the copies below `target` that could not be
  // removed yet (held, or on a server that did not answer).
  void Tidy(const std::string& target);
  // A copy is about to be made at `path`: the entry that names it.
  std::string Naming(const std::string& path);
  // The entry's copy was made with this identity.
  void Made(const std::string& entry, const FileId& id);
  // The entry's copy reached its final name.
  void Placed(const std::string& entry);
  // The entry's copy was let go without reaching its final name: removed
  // now when it is still there, else later.
  void Dropped(const std::string& entry);
  bool Opened() const { return opened_; }

 private:
  struct Entry {
    std::string path;
    bool has_id = false;
    FileId id;
  };
  // Removes the entry's copy where it is still there; true when nothing of
  // it is left to do.
  bool Remove(const Entry& entry);
  // True when the entry's copy lies below `target`.
  bool Below(const Entry& entry, const std::string& target);
  void Write(const std::string& line);
  // Begins the record anew with the entries that wait.
  void Begin();

  TransferFiles& files_;
  Names& names_;
  uint64_t renew_at_;
  bool opened_ = false;
  std::string path_;
  std::unique_ptr<AppendOnlyFile> file_;
  uint64_t written_ = 0;  // bytes appended since the record began
  uint64_t next_ = 0;
  // The entries of this run whose copies exist, or might.
  std::map<std::string, Entry> live_;
  // The entries whose copies are to be removed once they can be.
  std::map<std::string, Entry> waiting_;
};

// The entries of a record's text whose copies may still be at the server:
// a name and an identity, no end. A line cut short is left out.
std::map<std::string, std::pair<std::string, FileId>> LiveCopies(const std::string& text);

}  // namespace ferrolink
