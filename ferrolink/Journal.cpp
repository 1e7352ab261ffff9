#include "Journal.h"

#include <cstdio>

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
  if (path != path_) FlushHeld();
  path_ = path;
}

std::string Journal::Path() const {
  const std::lock_guard<std::mutex> hold(mutex_);
  return path_;
}

void Journal::Add(const char* kind, const std::string& details) {
  const std::lock_guard<std::mutex> hold(mutex_);
  pending_ += FormatTime(system_.Now()) + "\t" + kind + "\t" + details + "\r\n";
  ++pending_lines_;
  // While the journal cannot be written, another try waits for another
  // 64 KB of lines.
  if (pending_.size() >= (failed_ ? retry_at_ : kWriteAt)) FlushHeld();
}

void Journal::Flush() {
  const std::lock_guard<std::mutex> hold(mutex_);
  FlushHeld();
}

uint64_t Journal::DroppedLines() const {
  const std::lock_guard<std::mutex> hold(mutex_);
  return dropped_lines_;
}

void Journal::FlushHeld() {
  if (pending_.empty()) return;
  if (path_.empty()) {
    pending_.clear();
    pending_lines_ = 0;
    return;
  }
  // The size is measured again where the file is renamed, through one
  // handle: a journal that another Ferrolink has just begun in its place
  // stays, and the older one it renamed keeps its lines.
  uint64_t size = 0;
  if (!system_.FileSize(path_, size)) size = 0;
  if (size > kJournalLimit && system_.RenameWhenLarger(path_, kJournalLimit, path_ + ".1")) {
    size = 0;
  }
  std::string bytes = size == 0 ? kByteOrderMark : "";
  if (lost_lines_ > 0) {
    bytes += FormatTime(system_.Now()) + "\t" + kJournalError + "\tJournal seit " + first_failure_ +
             ", " + std::to_string(lost_lines_) + " Zeile(n) verloren\r\n";
  }
  bytes += pending_;
  if (system_.AppendFile(path_, bytes)) {
    lost_lines_ = 0;
    failed_ = false;
    pending_.clear();
    pending_lines_ = 0;
    return;
  }
  // The lines wait for the next write that succeeds (an editor that holds
  // the journal lets go of it); only what is beyond the bound is dropped,
  // the oldest first, and counted.
  if (!failed_) {
    const std::string why = system_.LastErrorText();
    first_failure_ = FormatTime(system_.Now()) + " nicht schreibbar";
    if (!why.empty()) first_failure_ += " (" + why + ")";
    failed_ = true;
  }
  size_t cut = 0;
  while (pending_.size() - cut > kJournalLimit) {
    cut = pending_.find("\r\n", cut) + 2;
    ++lost_lines_;
    ++dropped_lines_;
    --pending_lines_;
  }
  pending_.erase(0, cut);
  retry_at_ = pending_.size() + kWriteAt;
}

}  // namespace ferrolink
