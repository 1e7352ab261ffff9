// What the journal needs of the system: the time, and its file appended to,
// measured and renamed once it is long.
#pragma once

#include <cstdint>
#include <string>

namespace ferrolink {

// A point in local time, to the second.
struct LocalTime {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

class JournalFiles {
 public:
  virtual ~JournalFiles() = default;

  virtual LocalTime Now() = 0;
  // Appends bytes to a file, made when it is missing, in one piece at its
  // end; others may read, append to and rename it meanwhile (two Ferrolinks
  // of two log-ons share one journal). False unless all were written.
  // `landed`, when given, gets the path of the file the system wrote to,
  // read after the write: Windows may write a program's file elsewhere than
  // it was told (a program folder that the user may not write to goes to
  // the log-on's own store), and may switch to that file only at its first
  // write. Empty when the system cannot tell.
  bool AppendFile(const std::string& path, const std::string& bytes, std::string* landed = nullptr);
  bool FileSize(const std::string& path, uint64_t& size);
  // Renames a file to `to` (replacing it) when it is larger than `limit`,
  // measured and renamed through one handle: a file that another program
  // made meanwhile in its place is never renamed. True when it was renamed.
  bool RenameWhenLarger(const std::string& path, uint64_t limit, const std::string& to);
  // The system's words for why the call that failed last failed; empty when
  // it gives none.
  virtual std::string LastErrorText() = 0;

 protected:
  // The file system's side, with every path in the form SystemPath gives it.
  virtual bool DoAppendFile(const std::string& path, const std::string& bytes,
                            std::string* landed) = 0;
  virtual bool DoFileSize(const std::string& path, uint64_t& size) = 0;
  virtual bool DoRenameWhenLarger(const std::string& path, uint64_t limit,
                                  const std::string& to) = 0;
};

}  // namespace ferrolink
