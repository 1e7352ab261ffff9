// The file operations of one transfer: the target's folders made level by
// level and the copy that reaches its final name only when whole.
#pragma once

#include <cstdint>
#include <string>

#include "System.h"

namespace ferrolink {

// Creates every missing level of `directory` (a path ending in a backslash),
// outermost first, one CreateDirectoryA per missing level; the root and a
// level that exists count as done. False when a level cannot be created,
// with the system's words for why in `error`.
bool CreateDirectoryPath(System& system, const std::string& directory, std::string& error);

// How a delivery went. ByAnother: another program (another Ferrolink, of
// another log-on) delivered the source and deleted or un-marked it while this
// one copied it; the copy is dropped.
enum class Delivery { Done, CopyFailed, WrongSize, RenameFailed, ByAnother };

// Copies the held source to `target_file` whole: to a new temporary name of
// this process's own beside it (never over a file that is there, whatever
// its name), written through to the server's disk (the source is deleted or
// un-marked next, and nothing would bring the file again), checked through
// its handle to have the size the held source has, and only then renamed
// over the final name in one step through that handle. A failed step
// leaves no temporary file and the final name as it was; the system's words
// for why it failed are in `error`. `progress` hears how far the copy is,
// and cancels it by answering false.
Delivery DeliverWhole(System& system, HeldSource& source, const std::string& target_file,
                      const CopyProgress& progress, std::string& error);

}  // namespace ferrolink
