// Ferrolink's journal: what it did with each file and why it left one, for an
// administrator to read. A text file in UTF-8 with a byte-order mark, one
// line per event: local date and time, a tab, the kind, a tab, the details.
// Lines are gathered in memory and written in one piece at the end of a tick
// (or per 64 KB), so that the file is open only for that moment and others
// can read it meanwhile. A journal that cannot be written never stops the
// work: its lines wait, up to 1 MB, for a write that succeeds; what is beyond
// that is dropped, and the next line that can be written says so.
// The watch cycle's thread and the window's thread both write to it: each
// call holds the journal for its own time.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "System.h"

namespace ferrolink {

// The kinds of event, as the lines name them.
inline constexpr char kJournalStart[] = "Start";
inline constexpr char kJournalEnd[] = "Ende";
inline constexpr char kJournalState[] = "Zustand";
inline constexpr char kJournalMoved[] = "verschoben";
inline constexpr char kJournalCopied[] = "kopiert";
inline constexpr char kJournalLeft[] = "ausgelassen";
inline constexpr char kJournalError[] = "Fehler";

// A journal longer than this is renamed with ".1" (replacing an older one)
// before the next lines are written, and a new one begins.
inline constexpr uint64_t kJournalLimit = 1024 * 1024;

class Journal {
 public:
  explicit Journal(System& system) : system_(system) {}

  // The journal's file; empty: no journal, lines are dropped.
  void SetPath(const std::string& path);
  std::string Path() const;
  // Adds a line, stamped with the time now; writes what is gathered once it
  // reaches 64 KB.
  void Add(const char* kind, const std::string& details);
  // Writes the lines gathered so far.
  void Flush();
  // How many lines it has dropped since it began, because they could not be
  // written and did not fit the bound.
  uint64_t DroppedLines() const;

 private:
  void FlushHeld();
  System& system_;
  mutable std::mutex mutex_;
  std::string path_;
  std::string pending_;
  size_t pending_lines_ = 0;
  // Lines lost since the first failed write, and when and why it failed;
  // whether the last write failed, and the size of the waiting lines at
  // which the next try is due.
  size_t lost_lines_ = 0;
  uint64_t dropped_lines_ = 0;
  std::string first_failure_;
  bool failed_ = false;
  size_t retry_at_ = 0;
};

// "2026-12-09 08:41:03".
std::string FormatTime(const LocalTime& time);

}  // namespace ferrolink
