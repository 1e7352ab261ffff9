#include "eventfile.h"

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

std::string GetEventFilePath(EventFileSystem& fs) {
  const std::string dir = fs.ModuleDir();
  return dir.empty() ? std::string() : dir + "\\" + EVENT_FILE_NAME;
}

bool QueryEventFileSize(EventFileSystem& fs, const std::string& path, std::uint64_t& size) {
  if (path.empty()) return false;
  const auto found = fs.FileSize(path);
  if (!found) return false;
  size = *found;
  return true;
}

namespace {

// The bytes of the file `from` at and after `offset` go to the end of `to`,
// in pieces of bounded size; `offset` moves past what was carried. False
// when a piece cannot be read or written.
bool CarryNewBytes(EventFileSystem& fs, const std::string& from, std::uint64_t& offset,
                   const std::string& to) {
  constexpr std::uint64_t kPiece = 65536;
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

}  // namespace

std::uint64_t TrimEventFile(EventFileSystem& fs, const std::string& path, std::uint64_t size) {
  if (size <= EVENT_FILE_KEEP_BYTES) return size;
  const auto tail = fs.ReadFrom(path, size - EVENT_FILE_KEEP_BYTES, EVENT_FILE_KEEP_BYTES);
  if (!tail || tail->size() != EVENT_FILE_KEEP_BYTES) return size;
  const std::size_t start = FindStoredStx(*tail);
  if (start == std::string::npos) return size;

  // Decoded zero bytes go back as shifted blanks.
  const std::string kept = EncodeEventBytes(DecodeEventBytes(tail->substr(start)));
  const std::string temp = path + ".tmp";
  std::uint64_t read_to = size;
  if (!fs.WriteWhole(temp, kept) || !CarryNewBytes(fs, path, read_to, temp)) {
    fs.Remove(temp);
    return read_to;
  }
  const std::string backup = path + ".bak";
  if (!fs.Replace(temp, path, backup)) {
    fs.Remove(temp);
    return read_to;
  }
  // What the plug-in appended after the last look went to the old file, now
  // the backup: it follows in the new one. Should that fail, the backup
  // stays and holds it.
  std::uint64_t late_to = read_to;
  if (CarryNewBytes(fs, backup, late_to, path)) fs.Remove(backup);
  return kept.size() + (late_to - size);
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
