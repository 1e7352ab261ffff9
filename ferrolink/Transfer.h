// The file operations of one transfer: the target's folders made level by
// level and the copy that reaches its final name only when whole.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "CopyRecord.h"
#include "Folders.h"
#include "Names.h"
#include "TransferFiles.h"

namespace ferrolink {

// Creates every missing level of `directory` (a path ending in a backslash),
// outermost first, one CreateDirectoryA per missing level; the root and a
// level that exists count as done. False when a level cannot be created,
// with the system's words for why in `error`.
bool CreateDirectoryPath(Folders& folders, TransferFiles& files, const std::string& directory,
                         std::string& error);

// How a delivery went. Differs: what the server stored of the copy is not
// the source's bytes. NameRefused: the server took the copy only under a
// short temporary name, and refused the final name. ByAnother: another
// program (another Ferrolink, of another log-on) delivered the source and
// deleted or un-marked it while this one copied it; the copy is dropped.
enum class Delivery { Done, CopyFailed, WrongSize, Differs, RenameFailed, NameRefused, ByAnother };

// Why a delivery failed: the system's words, and whether the failure does
// not pass by itself.
struct DeliveryError {
  std::string text;
  bool lasting = false;
};

// Told how far a delivery is: the bytes copied and checked, of the bytes
// to copy and check in all (twice the file's size), and whether it checks
// by now. False cancels it.
using DeliveryProgress = std::function<bool(uint64_t done, uint64_t total, bool checking)>;

// Copies the held source to `target_file` whole: to a new temporary name of
// this process's own beside it (never over a file that is there, whatever
// its name), written through to the server's disk (the source is deleted or
// un-marked next, and nothing would bring the file again), checked through
// its handle to have the size the held source has and to read back, past
// every cache, as the source's bytes, and only then renamed over the final
// name in one step through that handle. A name that the
// server takes only without the temporary suffix (one that counts a name's
// length in bytes) is copied under the shortest temporary name of this
// process in the same folder. `record` names every copy before it is made
// and knows it by its identity once it is there. A failed step leaves no
// temporary file (or, where the server went away, one the record removes
// later) and the final name as it was; why it failed is in `error`.
Delivery DeliverWhole(TransferFiles& files, Names& names, CopyRecord& record, HeldSource& source,
                      const std::string& target_file, const DeliveryProgress& progress,
                      DeliveryError& error);

}  // namespace ferrolink
