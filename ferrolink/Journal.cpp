#include "Journal.h"

#include <cstdio>
#include <utility>

namespace ferrolink {

namespace {

constexpr size_t kWriteAt = 64 * 1024;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

}  // namespace

std::string FormatTime(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.Year % 10000, t.Month % 100,
                t.Day % 100, t.Hour % 100, t.Minute % 100, t.Second % 100);
  return text;
}

void Journal::SetPath(const std::string& path) {
  const std::lock_guard<std::mutex> hold(mutex_);
  if (path == path_) return;
  // The lines gathered so far belong to the journal they were gathered for;
  // without one they are dropped.
  if (!path_.empty() && !pending_.empty()) {
    earlier_path_ = path_;
    earlier_ += pending_;
  }
  pending_.clear();
  path_ = path;
}

std::string Journal::Path() const {
  const std::lock_guard<std::mutex> hold(mutex_);
  return path_;
}

void Journal::Add(const char* kind, const std::string& details) {
  const std::string line = FormatTime(files_.Now()) + "\t" + kind + "\t" + details + "\r\n";
  bool due = false;
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    pending_ += line;
    added_ += line.size();
    // While the journal cannot be written, another try waits for another
    // 64 KB of lines, or for the writer's next round; a failed try keeps
    // the bound. While a write is held up for longer, the lines are bounded
    // here, once that try is overdue.
    if (pending_.size() > kJournalLimit + 2 * kWriteAt) TrimHeld();
    due = added_ >= kWriteAt;
  }
  if (due) Flush();
}

void Journal::Flush() {
  std::function<void()> wake;
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    wake = wake_;
  }
  if (wake) {
    wake();
  } else {
    Write();
  }
}

void Journal::SetWriter(std::function<void()> wake) {
  const std::lock_guard<std::mutex> hold(mutex_);
  wake_ = std::move(wake);
}

uint64_t Journal::DroppedLines() const {
  const std::lock_guard<std::mutex> hold(mutex_);
  return dropped_lines_;
}

void Journal::Write() {
  const std::lock_guard<std::mutex> one_at_a_time(write_mutex_);
  for (const bool earlier : {true, false}) {
    std::string path, lines, since;
    size_t lost = 0;
    {
      const std::lock_guard<std::mutex> hold(mutex_);
      path = earlier ? earlier_path_ : path_;
      lines.swap(earlier ? earlier_ : pending_);
      if (!earlier) added_ = 0;
      if (lines.empty() || path.empty()) continue;
      lost = lost_lines_;
      since = first_failure_;
      writing_ = true;
    }
    const bool written = WriteOut(path, lines, lost, since);
    const std::lock_guard<std::mutex> hold(mutex_);
    writing_ = false;
    if (!written) return KeepFailed(lines);
    // Lines dropped while this write was under way are told by the next.
    failed_ = false;
    lost_lines_ -= lost;
    if (lost_lines_ == 0) first_failure_.clear();
  }
}

bool Journal::WriteOut(const std::string& path, std::string& lines, size_t lost,
                       const std::string& since) {
  // The size is measured again where the file is renamed, through one
  // handle: a journal that another Ferrolink has just begun in its place
  // stays, and the older one it renamed keeps its lines.
  uint64_t size = 0;
  if (!files_.FileSize(path, size)) size = 0;
  if (size > kJournalLimit && files_.RenameWhenLarger(path, kJournalLimit, path + ".1")) {
    size = 0;
  }
  std::string bytes = size == 0 ? kByteOrderMark : "";
  if (lost > 0) {
    bytes += FormatTime(files_.Now()) + "\t" + kJournalError + "\tJournal seit " + since + ", " +
             std::to_string(lost) + " Zeile(n) verloren\r\n";
  }
  const size_t first = bytes.size();
  bytes += lines;
  if (WritesStart(path, bytes, first, lines) && (bytes.empty() || files_.AppendFile(path, bytes))) {
    return true;
  }
  // Told once per spell of failures; the first failure's words stand.
  const std::string why = files_.LastErrorText();
  const std::lock_guard<std::mutex> hold(mutex_);
  if (!failed_ && lost_lines_ == 0) {
    first_failure_ = FormatTime(files_.Now()) + " nicht schreibbar";
    if (!why.empty()) first_failure_ += " (" + why + ")";
  }
  failed_ = true;
  return false;
}

bool Journal::WritesStart(const std::string& path, std::string& bytes, size_t first,
                          std::string& lines) {
  // Where Windows writes the journal elsewhere than told (a program folder
  // that the user may not write to), a line after the run's Start line says
  // where it lands. Windows may switch to that file only at its first write:
  // the Start line goes first, and the landing is read after it. Each write
  // holds whole lines only, so that another log-on's Ferrolink, appending to
  // the same journal, never comes between two halves of one.
  // ("<time>\tStart\t..." at the program's start.)
  const std::string start = std::string("\t") + kJournalStart + "\t";
  const size_t end = bytes.find("\r\n", first);
  if (landing_known_ == path || end == std::string::npos ||
      bytes.find(start, first) != first + 19) {
    return true;
  }
  std::string landed;
  if (!files_.AppendFile(path, bytes.substr(0, end + 2), &landed)) return false;
  landing_known_ = path;
  const std::string folder = RedirectedFolder(path, landed);
  bytes =
      (folder.empty() ? std::string()
                      : bytes.substr(first, 19) + "\t" + kJournalFolder + "\t" + folder + "\r\n") +
      bytes.substr(end + 2);
  lines = bytes;  // what waits if the rest cannot be written
  return true;
}

std::string RedirectedFolder(const std::string& path, const std::string& landed) {
  const auto upper = [](std::string text) {
    for (char& c : text) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    return text;
  };
  const std::string store = "\\VIRTUALSTORE\\";
  const size_t cut = landed.find_last_of('\\');
  if (cut == std::string::npos || upper(landed).find(store) == std::string::npos ||
      upper(path).find(store) != std::string::npos) {
    return std::string();
  }
  return landed.substr(0, cut + 1);
}

void Journal::KeepFailed(const std::string& lines) {
  // The lines wait for the next write that succeeds (an editor that holds
  // the journal lets go of it); only what is beyond the bound is dropped,
  // the oldest first, and counted.
  pending_.insert(0, lines);
  TrimHeld();
}

void Journal::TrimHeld() {
  size_t cut = 0;
  while (pending_.size() - cut > kJournalLimit) {
    cut = pending_.find("\r\n", cut) + 2;
    ++lost_lines_;
    ++dropped_lines_;
  }
  if (cut == 0) return;
  pending_.erase(0, cut);
  // Dropped while a write was held up, before any failed: the note says
  // since when.
  if (first_failure_.empty()) first_failure_ = FormatTime(files_.Now()) + " nicht schreibbar";
}

}  // namespace ferrolink
