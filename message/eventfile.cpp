#include "eventfile.h"

#include <charconv>
#include <system_error>

namespace message {

std::string DecodeEventBytes(const std::string& stored) {
  std::string content(stored.size(), ' ');
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const auto c = static_cast<unsigned char>(static_cast<unsigned char>(stored[i]) - EVENT_SHIFT);
    content[i] = c == 0 ? ' ' : static_cast<char>(c);
  }
  return content;
}

std::string EncodeEventBytes(const std::string& content) {
  std::string stored(content.size(), '\0');
  for (std::size_t i = 0; i < content.size(); ++i) {
    stored[i] = static_cast<char>(static_cast<unsigned char>(content[i]) + EVENT_SHIFT);
  }
  return stored;
}

std::string GetEventFilePath(const std::string& module_dir) {
  return module_dir.empty() ? std::string() : module_dir + "\\" + EVENT_FILE_NAME;
}

bool QueryEventFileSize(EventFileSystem& fs, const std::string& path, std::uint64_t& size) {
  if (path.empty()) return false;
  const auto found = fs.FileSize(path);
  if (!found) return false;
  size = *found;
  return true;
}

namespace {

constexpr std::uint64_t kPiece = 65536;

// The bytes of the file `from` at and after `offset` go to the end of `to`,
// in pieces of bounded size; `offset` moves past what was carried. False
// when a piece cannot be read or written.
bool CarryNewBytes(EventFileSystem& fs, const std::string& from, std::uint64_t& offset,
                   const std::string& to) {
  for (;;) {
    const auto piece = fs.ReadFrom(from, offset, kPiece);
    if (!piece || (!piece->empty() && !fs.Append(to, *piece))) return false;
    if (piece->empty()) return true;
    offset += piece->size();
  }
}

// The place of the first record start in stored bytes, found without
// decoding them.
std::size_t FindStoredStx(const std::string& stored) {
  return stored.find(static_cast<char>(static_cast<unsigned char>(EVENT_STX) + EVENT_SHIFT));
}

// The helper files of a trim, beside the event file.
struct TrimFiles {
  explicit TrimFiles(const std::string& path)
      : temp(path + ".tmp"), backup(path + ".bak"), record(path + ".pos") {}
  std::string temp, backup, record;
};

// What a trim writes down before it replaces the file: how far it had read
// the old file (the backup's bytes from there on are late), and the length
// and index of the new file as it was put in place. Stored as three decimal
// numbers, separated by blanks.
struct TrimRecord {
  std::uint64_t read_to = 0, new_size = 0, new_index = 0;
};

std::string FormatRecord(const TrimRecord& r) {
  return std::to_string(r.read_to) + " " + std::to_string(r.new_size) + " " +
         std::to_string(r.new_index);
}

std::optional<TrimRecord> ReadRecord(EventFileSystem& fs, const std::string& path) {
  const auto text = fs.ReadFrom(path, 0, 64);
  if (!text) return std::nullopt;
  std::uint64_t numbers[3];
  const char* at = text->data();
  const char* const end = at + text->size();
  for (std::size_t i = 0; i < 3; ++i) {
    if (i > 0 && (at == end || *at++ != ' ')) return std::nullopt;
    const auto [next, error] = std::from_chars(at, end, numbers[i]);
    if (error != std::errc()) return std::nullopt;
    at = next;
  }
  if (at != end) return std::nullopt;
  return TrimRecord{numbers[0], numbers[1], numbers[2]};
}

// Carries the backup's late bytes to the end of the file that the trim put
// in place, unless an earlier run did so already: then they follow the new
// content, after at most a piece's worth that the plug-in appended between
// the replace and the carry.
bool CarryLateBytes(EventFileSystem& fs, const std::string& backup, const TrimRecord& record,
                    const std::string& path) {
  const auto late = fs.ReadFrom(backup, record.read_to, UINT64_MAX);
  if (!late) return false;
  if (late->empty()) return true;
  const auto after = fs.ReadFrom(path, record.new_size, late->size() + kPiece);
  if (!after) return false;
  return after->find(*late) != std::string::npos || fs.Append(path, *late);
}

}  // namespace

bool FinishEventFileBackup(EventFileSystem& fs, const std::string& path) {
  if (path.empty()) return true;
  const TrimFiles files(path);
  if (fs.FileSize(files.backup)) {
    const auto index = fs.FileIndex(path);
    if (!index) {
      // The replace stopped half way, or its move back failed: the backup
      // is the whole old file.
      if (!fs.Rename(files.backup, path)) return false;
    } else {
      const auto record = ReadRecord(fs, files.record);
      if (!record || record->new_index != *index) return false;
      if (!CarryLateBytes(fs, files.backup, *record, path)) return false;
      fs.Remove(files.backup);
    }
  }
  // The record goes last: while the backup stays, it is needed.
  fs.Remove(files.temp);
  fs.Remove(files.record);
  return true;
}

std::optional<std::uint64_t> TrimEventFile(EventFileSystem& fs, const std::string& path,
                                           std::uint64_t size) {
  if (size <= EVENT_FILE_KEEP_BYTES || !FinishEventFileBackup(fs, path)) return fs.FileSize(path);
  // The index is taken before the read, so that a file made anew after it
  // shows in the check before the replace.
  const auto index = fs.FileIndex(path);
  const auto tail =
      index ? fs.ReadFrom(path, size - EVENT_FILE_KEEP_BYTES, EVENT_FILE_KEEP_BYTES) : std::nullopt;
  if (!tail || tail->size() != EVENT_FILE_KEEP_BYTES) return fs.FileSize(path);
  const std::size_t start = FindStoredStx(*tail);
  if (start == std::string::npos) return fs.FileSize(path);

  // Decoded zero bytes go back as shifted blanks.
  const std::string kept = EncodeEventBytes(DecodeEventBytes(tail->substr(start)));
  const TrimFiles files(path);
  std::uint64_t read_to = size;
  bool ready = fs.WriteWhole(files.temp, kept) && CarryNewBytes(fs, path, read_to, files.temp);
  const auto temp_index = ready ? fs.FileIndex(files.temp) : std::nullopt;
  // Written before the replace: a run that ends after it finds there how far
  // the old file had been read, and which file replaced it.
  ready = temp_index &&
          fs.WriteWhole(files.record,
                        FormatRecord({read_to, kept.size() + (read_to - size), *temp_index}));
  // A file made anew or cut meanwhile is not the one read: it stays as it is.
  ready = ready && fs.FileIndex(path) == index && fs.FileSize(path).value_or(0) >= read_to;
  // What the plug-in appended after the last look went to the old file, now
  // the backup: finishing carries it over. After a failed replace it only
  // clears the helper files, or puts the old file back where it went to the
  // backup.
  if (ready) fs.Replace(files.temp, path, files.backup);
  FinishEventFileBackup(fs, path);
  return fs.FileSize(path);
}

namespace {

// Finds the next control byte at or after a position that only grows, so
// that the whole layout scans the content once.
class NextFinder {
 public:
  NextFinder(const std::string& content, char wanted) : content_(content), wanted_(wanted) {}

  // Index of the first `wanted` at or after p, or -1.
  long long At(long long p) {
    if (found_ == -1 || found_ >= p) return found_;
    const std::size_t at = content_.find(wanted_, static_cast<std::size_t>(p));
    found_ = at == std::string::npos ? -1 : static_cast<long long>(at);
    return found_;
  }

 private:
  const std::string& content_;
  char wanted_;
  long long found_ = -2;  // not searched yet
};

}  // namespace

std::string LayoutEventContent(const std::string& content, const ProgressHook& progress) {
  std::string text;
  const auto n = static_cast<long long>(content.size());
  if (n == 0) return text;
  text.reserve(content.size() * 2 + 64);

  // Appends content[from, to); to = -1 or past the end means "to the end".
  const auto append = [&](long long from, long long to) {
    if (to < 0 || to > n) to = n;
    if (from < to) text.append(content, static_cast<std::size_t>(from), to - from);
  };

  NextFinder tabs(content, EVENT_TAB), etxs(content, EVENT_ETX);
  long long p = 1;  // byte 0 is the first record's STX
  int k = 0;        // field counter; runs on across records
  for (;;) {
    const long long t = tabs.At(p);
    const long long e = etxs.At(p);
    if (progress) {
      const long long q = e * 100 / n;
      progress(q >= 0 && q <= 100 ? std::optional<int>(static_cast<int>(q)) : std::nullopt);
    }
    if (e >= 0 && t > e) {
      // The record ends before the next field gap: its last field, the
      // separator, then skip the ETX and the next record's STX.
      append(p, e);
      text += EVENT_SEPARATOR_LINE;
      p = e + 2;
      if (t < p) continue;  // the TAB stood where the STX belongs
    }
    if (t < 0) {
      append(p, e);
      break;
    }
    append(p, t);
    p = t + 1;
    text += EVENT_FIELD_GAP;
    if (k == 5 || k == 7) text += '\n';
    if (k == 7) k = -2;
    ++k;
  }
  text += EVENT_CLOSING_TEXT;
  return text;
}

std::optional<std::string> FormatEventList(EventFileSystem& fs, const std::string& path,
                                           std::uint64_t size, const ProgressHook& progress) {
  const std::uint64_t from = size > EVENT_FILE_KEEP_BYTES ? size - EVENT_FILE_KEEP_BYTES : 0;
  auto stored = fs.ReadFrom(path, from, size - from);
  if (!stored) return std::nullopt;
  if (from > 0) {
    const std::size_t start = FindStoredStx(*stored);
    if (start != std::string::npos) stored->erase(0, start);
  }
  return LayoutEventContent(DecodeEventBytes(*stored), progress);
}

}  // namespace message
