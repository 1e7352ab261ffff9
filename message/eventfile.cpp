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
  return fs.ModuleDir() + "\\" + EVENT_FILE_NAME;
}

bool QueryEventFileSize(EventFileSystem& fs, const std::string& path, std::uint64_t& size) {
  const auto found = fs.FileSize(path);
  if (!found) return false;
  size = *found;
  return true;
}

std::optional<std::size_t> TrimStart(const std::string& content) {
  if (content.size() <= EVENT_FILE_KEEP_BYTES) return std::nullopt;
  const std::size_t start = content.find(EVENT_STX, content.size() - EVENT_FILE_KEEP_BYTES);
  if (start == std::string::npos) return std::nullopt;
  return start;
}

std::uint64_t TrimEventFile(EventFileSystem& fs, const std::string& path, std::uint64_t size) {
  const auto stored = fs.ReadFrom(path, 0);
  if (!stored) return size;
  const std::string content = DecodeEventBytes(*stored);
  const auto start = TrimStart(content);
  if (!start) return stored->size();

  const std::string temp = path + ".tmp";
  std::string kept = EncodeEventBytes(content.substr(*start));
  if (!fs.WriteWhole(temp, kept)) {
    fs.Remove(temp);
    return stored->size();
  }
  // The plug-in may have appended events since the read: they belong after
  // the kept tail, as they stand in the file.
  std::uint64_t read_to = stored->size();
  std::uint64_t new_size = kept.size();
  for (;;) {
    const auto appended = fs.ReadFrom(path, read_to);
    if (!appended || (!appended->empty() && !fs.Append(temp, *appended))) {
      fs.Remove(temp);
      return read_to;
    }
    if (appended->empty()) break;
    read_to += appended->size();
    new_size += appended->size();
  }
  if (!fs.Replace(temp, path)) {
    fs.Remove(temp);
    return read_to;
  }
  return new_size;
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

std::string FormatEventList(EventFileSystem& fs, const std::string& path, std::uint64_t size,
                            const ProgressHook& progress) {
  auto stored = fs.ReadFrom(path, 0);
  if (!stored) return std::string();
  if (stored->size() > size) stored->resize(static_cast<std::size_t>(size));
  return LayoutEventContent(DecodeEventBytes(*stored), progress);
}

}  // namespace message
