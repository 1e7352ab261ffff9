// Ferrolink's journal: what it did with each file and why it left one, for an
// administrator to read. A text file in UTF-8 with a byte-order mark, one
// line per event: local date and time, a tab, the kind, a tab, the details.
// Lines are gathered in memory and written in one piece at the end of a tick
// (or per 64 KB), so that the file is open only for that moment and others
// can read it meanwhile. A journal that cannot be written never stops the
// work: its lines wait, up to 1 MB, for a write that succeeds; what is beyond
// that is dropped, and the next line that can be written says so.
// The watch cycle's thread and the window's thread both add lines; a writer
// (a thread of its own, see Worker) writes them. Adding takes a lock that no
// write holds, so a journal on a server that does not answer holds back
// neither a delivery nor the window.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "JournalFiles.h"

namespace ferrolink {

// The kinds of event, as the lines name them.
inline constexpr char kJournalStart[] = "Start";
inline constexpr char kJournalEnd[] = "Ende";
inline constexpr char kJournalState[] = "Zustand";
inline constexpr char kJournalMoved[] = "verschoben";
inline constexpr char kJournalCopied[] = "kopiert";
inline constexpr char kJournalLeft[] = "ausgelassen";
inline constexpr char kJournalError[] = "Fehler";
// Where the journal really is, when Windows put it elsewhere than told.
inline constexpr char kJournalFolder[] = "Journal";

// A journal longer than this is renamed with ".1" (replacing an older one)
// before the next lines are written, and a new one begins.
inline constexpr uint64_t kJournalLimit = 1024 * 1024;

class Journal {
 public:
  explicit Journal(JournalFiles& files) : files_(files) {}

  // The journal's file; empty: no journal, lines are dropped.
  void SetPath(const std::string& path);
  std::string Path() const;
  // Adds a line, stamped with the time now; asks for a write once another
  // 64 KB have been gathered.
  void Add(const char* kind, const std::string& details);
  // Asks for the lines gathered so far to be written: wakes the writer, or,
  // while none is attached, writes them now.
  void Flush();
  // From now on `wake` is called for a write instead of writing: it wakes
  // the writer, which then calls Write.
  void SetWriter(std::function<void()> wake);
  // Writes the lines gathered so far, now, on the calling thread (the
  // writer's); one write at a time.
  void Write();
  // How many lines it has dropped since it began, because they could not be
  // written and did not fit the bound.
  uint64_t DroppedLines() const;

 private:
  // Writes `lines` at the end of the journal at `path`, after the note of
  // the lines lost before, if any; true when written. Otherwise `lines` is
  // left with what is still to be written.
  bool WriteOut(const std::string& path, std::string& lines, size_t lost, const std::string& since);
  // At the first write of a journal that begins with the run's Start line:
  // writes that line alone, and leaves in `bytes` (whose lines begin at
  // `first`) what is still to be written, after a line with the folder the
  // journal really lands in when Windows put it elsewhere; `lines` is left
  // the same. False when that write failed.
  bool WritesStart(const std::string& path, std::string& bytes, size_t first, std::string& lines);
  // Takes back the lines of a write that failed, before the newer ones.
  void KeepFailed(const std::string& lines);
  // Drops the oldest waiting lines beyond the bound, and counts them.
  void TrimHeld();
  JournalFiles& files_;
  // Held only while lines are added or taken, never across a write.
  mutable std::mutex mutex_;
  // Held across a write: one at a time, in the order taken.
  std::mutex write_mutex_;
  std::function<void()> wake_;
  std::string path_;
  std::string pending_;
  // Lines gathered for the journal in force before the path changed.
  std::string earlier_path_, earlier_;
  // Bytes added since the last write was taken: the next is due at 64 KB.
  size_t added_ = 0;
  bool writing_ = false;
  // Lines lost and not yet told, and since when and why the journal could
  // not be written; whether the last write failed.
  size_t lost_lines_ = 0;
  uint64_t dropped_lines_ = 0;
  std::string first_failure_;
  bool failed_ = false;
  // The journal whose real place is known (by the writer only).
  std::string landing_known_;
};

// "2026-12-09 08:41:03".
std::string FormatTime(const LocalTime& time);

// The folder of `landed`, where the journal meant for `path` is really
// written, when Windows redirected it to the log-on's own store (a program
// without a manifest that writes into a program folder); empty otherwise.
std::string RedirectedFolder(const std::string& path, const std::string& landed);

}  // namespace ferrolink
