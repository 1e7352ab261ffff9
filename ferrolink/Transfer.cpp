#include "Transfer.h"

#include <cstring>
#include <memory>

#include "Paths.h"

namespace ferrolink {

bool CreateDirectoryPath(Folders& folders, TransferFiles& files, const std::string& directory,
                         std::string& error) {
  // Most transfers go to a directory that is there already: one test.
  if (folders.FolderExists(directory)) return true;
  const std::string root = RootPart(directory);
  size_t end = directory.find('\\', root.size() + 1);
  while (end != std::string::npos) {
    const std::string level = directory.substr(0, end);
    if (!folders.FolderExists(level) && !files.MakeFolder(level)) {
      error = files.LastErrorText();
      // Another program may have made it meanwhile.
      if (!folders.FolderExists(level)) return false;
    }
    end = directory.find('\\', end + 1);
  }
  return true;
}

namespace {

// The shortest temporary name of this process in the file's folder.
std::string ShortTemporaryName(Names& names, const std::string& file, unsigned attempt) {
  return DirectoryPart(file) + "~ft" + names.ProcessTag() +
         (attempt == 0 ? std::string() : "-" + std::to_string(attempt + 1));
}

enum class Check { Same, Differs, Failed, Cancelled };

// Reads the held source again and what the server stored of the copy, a
// chunk of each at a time, and compares them. The source is held, so its
// second read gives what its first gave; the copy is read unbuffered, so
// the server answers, not a cache on the way. `checked` hears how many
// bytes are checked, and cancels the check by answering false.
Check CheckCopy(HeldSource& source, HeldCopy& copy, uint64_t size,
                const std::function<bool(uint64_t)>& checked) {
  const uint32_t chunk = ChunkFor(size);
  const Block ours(chunk), theirs(chunk);
  for (uint64_t offset = 0;;) {
    uint32_t got = 0, back = 0;
    if (!source.ReadAt(offset, ours.bytes, chunk, got) ||
        !copy.ReadBack(offset, theirs.bytes, chunk, back)) {
      return Check::Failed;
    }
    if (got != back || std::memcmp(ours.bytes, theirs.bytes, got) != 0) return Check::Differs;
    offset += got;
    if (!checked(offset)) return Check::Cancelled;
    if (got < chunk) return offset == size ? Check::Same : Check::Differs;
  }
}

// Takes why the last call failed, before another call changes it.
ErrorKind Take(TransferFiles& files, DeliveryError& error) {
  const ErrorKind kind = files.LastErrorKind();
  error = {files.LastErrorText(), kind != ErrorKind::Passing};
  return kind;
}

// Done when the copy has the source's size, as the held source gives it (a
// listing may lag behind a file), and reads back as the source's bytes.
Delivery Checked(TransferFiles& files, HeldSource& source, HeldCopy& copy,
                 const DeliveryProgress& progress, DeliveryError& error) {
  const uint64_t size = source.Size();
  if (copy.Size() != size) return Delivery::WrongSize;
  switch (CheckCopy(source, copy, size,
                    [&](uint64_t checked) { return progress(size + checked, 2 * size, true); })) {
    case Check::Same:
      return Delivery::Done;
    case Check::Differs:
      error = {std::string(), true};
      return Delivery::Differs;
    case Check::Failed:
      Take(files, error);
      return Delivery::CopyFailed;
    case Check::Cancelled:
      break;
  }
  return Delivery::CopyFailed;
}

}  // namespace

Delivery DeliverWhole(TransferFiles& files, Names& names, CopyRecord& record, HeldSource& source,
                      const std::string& target_file, const DeliveryProgress& progress,
                      DeliveryError& error) {
  // A file of the temporary name may be there: a data file of that name, or
  // what a copy cut short left. Neither is touched; the next name is tried.
  constexpr unsigned kNames = 16;
  std::unique_ptr<HeldCopy> copy;
  std::string entry;
  bool shortened = false;
  for (unsigned attempt = 0; !copy;) {
    if (attempt == kNames) return Delivery::CopyFailed;
    const std::string temporary = shortened ? ShortTemporaryName(names, target_file, attempt)
                                            : TemporaryName(names, target_file, attempt);
    entry = record.Naming(temporary);
    bool name_taken = false;
    copy = files.CopyThrough(
        source, temporary, target_file, [&](const FileId& id) { record.Made(entry, id); },
        [&](uint64_t copied, uint64_t total) { return progress(copied, 2 * total, false); },
        name_taken);
    if (copy) break;
    const bool name_refused = Take(files, error) == ErrorKind::Name;
    record.Dropped(entry);
    if (name_taken) {
      ++attempt;
    } else if (name_refused && !shortened) {
      // The server answers so for a name too long in its own count: only
      // its answer tells, its rules differ.
      shortened = true;
      attempt = 0;
    } else {
      return Delivery::CopyFailed;
    }
  }
  const auto dropped = [&](Delivery delivery) {
    copy.reset();
    record.Dropped(entry);
    return delivery;
  };
  const Delivery checked = Checked(files, source, *copy, progress, error);
  if (checked != Delivery::Done) return dropped(checked);
  // Two Ferrolinks may copy one file at once: the one that finds the other
  // delivered it first drops its copy. A rename refused because the other
  // still holds the final name it has just put in place is tried once more.
  for (int tries = 0; tries < 2; ++tries) {
    if (source.TakenElsewhere()) return dropped(Delivery::ByAnother);
    if (copy->PutInPlace()) {
      record.Placed(entry);
      return Delivery::Done;
    }
    Take(files, error);
  }
  if (source.TakenElsewhere()) return dropped(Delivery::ByAnother);
  // A name that only a short temporary name could be copied under is one the
  // server cannot store.
  if (shortened) {
    error.lasting = true;
    return dropped(Delivery::NameRefused);
  }
  return dropped(Delivery::RenameFailed);
}

}  // namespace ferrolink
