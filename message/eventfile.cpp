#include "eventfile.h"

#include <algorithm>
#include <charconv>
#include <system_error>
#include <utility>

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
// A record is far shorter: a longer file is none.
constexpr std::uint64_t kRecordLimit = 64;
// How often a trim catches up with the plug-in's appends before it moves the
// event file aside: each time the copy goes to the disk, and the plug-in may
// append meanwhile.
constexpr int kCatchUps = 3;
// The pauses before a failed rename is tried again, while another program
// (the plug-in appending, a virus scanner looking at a new file) holds the
// file for a moment: about 0.3 s in all, then the trim gives up.
constexpr std::uint32_t kRenamePauses[] = {20, 40, 80, 160};
// How often one finish puts the copy in place while the plug-in keeps making
// the event file anew in the moment it is missing; the next finish goes on.
constexpr int kPlacings = 8;

// The place of the first record start in stored bytes, found without
// decoding them.
std::size_t FindStoredStx(const std::string& stored) {
  return stored.find(static_cast<char>(static_cast<unsigned char>(EVENT_STX) + EVENT_SHIFT));
}

// Stored bytes as a trim keeps them: decoded zero bytes go back as shifted
// blanks, every other byte as it is.
std::string Reencode(std::string stored) {
  std::replace(stored.begin(), stored.end(), static_cast<char>(EVENT_SHIFT),
               static_cast<char>(' ' + EVENT_SHIFT));
  return stored;
}

// The bytes of the file `from` at and after `offset` go to the end of `to`,
// in pieces of bounded size; `offset` moves past them. How many were
// carried, or nothing when a piece could not be read or written.
std::optional<std::uint64_t> Carry(EventFileSystem& fs, const std::string& from,
                                   std::uint64_t& offset, const std::string& to) {
  std::uint64_t carried = 0;
  for (;;) {
    const auto piece = fs.ReadFrom(from, offset, kPiece);
    if (!piece || (!piece->empty() && !fs.Append(to, Reencode(*piece)))) return std::nullopt;
    if (piece->empty()) return carried;
    offset += piece->size();
    carried += piece->size();
  }
}

using Step = TrimRecord::Step;

// Gives `from` the name `to` (or, replacing, puts it in the place of `to`),
// trying again after each pause while another program holds a file. A
// rename that fails because `to` is there already, or `from` is gone, is
// not tried again.
bool Renamed(EventFileSystem& fs, const std::string& from, const std::string& to, bool replacing) {
  for (const std::uint32_t pause : kRenamePauses) {
    if (replacing ? fs.Replace(from, to) : fs.Rename(from, to)) return true;
    if (!fs.FileSize(from) || (!replacing && fs.FileSize(to))) return false;
    fs.Pause(pause);
  }
  return replacing ? fs.Replace(from, to) : fs.Rename(from, to);
}

// Takes the event file from its place: from then on the plug-in's events go
// to a new one, and the old file holds every event that reached it once no
// handle opened before is left writing to it.
bool MoveAside(EventFileSystem& fs, const TrimFiles& files) {
  return Renamed(fs, files.event, files.old, false);
}

// The trim ends without having moved anything: the copy and the record go.
bool Drop(EventFileSystem& fs, const TrimFiles& files) {
  return fs.Remove(files.kept) && fs.Remove(files.next_record) && fs.Remove(files.record);
}

// The copy has taken the event file's place (or, in the copy step, was never
// made): the old file's events are in it, on the disk, so the old file goes.
// Should the event file be gone since, the old one takes its place instead.
bool Clear(EventFileSystem& fs, const TrimFiles& files) {
  if (fs.FileSize(files.old)) {
    const bool gone = fs.FileSize(files.event) ? fs.Remove(files.old)
                                               : Renamed(fs, files.old, files.event, false);
    if (!gone) return false;
  }
  return fs.Remove(files.next_record) && fs.Remove(files.record);
}

// Whether `old` is the file the record names, taken from the event file's
// place: in the copy and take steps any `old` is; in the join step only one
// of the record's index (a join step of an earlier version moved it so).
bool OldIsRecorded(EventFileSystem& fs, const TrimFiles& files, const TrimRecord& record) {
  if (record.step != Step::kJoin) return fs.FileSize(files.old).has_value();
  return fs.FileIndex(files.old) == record.index;
}

// Where a trim cannot go on, the event file does not stay missing: the file
// the record names goes back to its place. In the copy step that undoes the
// whole trim. True when no file of the trim is left.
bool Halt(EventFileSystem& fs, const TrimFiles& files, const TrimRecord& record) {
  if (fs.FileSize(files.event) || !OldIsRecorded(fs, files, record) ||
      !Renamed(fs, files.old, files.event, false)) {
    return false;
  }
  return record.step == Step::kCopy && Drop(fs, files);
}

// The record changes in one step: a run that ends meanwhile finds the one
// or the other whole.
bool Note(EventFileSystem& fs, const TrimFiles& files, const TrimRecord& record) {
  return fs.WriteWhole(files.next_record, FormatTrimRecord(record)) &&
         Renamed(fs, files.next_record, files.record, true);
}

// Makes the copy the old file's bytes from `start` on. Only what follows
// its first `ready` bytes is added when this run wrote those and put them on
// the disk; else the copy is made again (one a crash cut short may be torn).
bool ComposeCopy(EventFileSystem& fs, const TrimFiles& files, std::uint64_t start,
                 std::uint64_t ready) {
  if (!fs.Settled(files.old)) return false;
  // A file cut under the trim is not the one copied.
  const auto size = fs.FileSize(files.old);
  if (!size || *size < start + ready) return false;
  if (ready == 0 && !fs.Truncate(files.kept, 0)) return false;
  std::uint64_t offset = start + ready;
  const auto carried = Carry(fs, files.old, offset, files.kept);
  return carried && ((ready > 0 && *carried == 0) || fs.Flush(files.kept));
}

// Makes the copy its first `length` bytes (what follows them a crash may
// have cut short), followed by the old file's bytes when it is there.
bool ComposeJoin(EventFileSystem& fs, const TrimFiles& files, std::uint64_t length, bool with_old) {
  if (with_old && !fs.Settled(files.old)) return false;
  const auto size = fs.FileSize(files.kept);
  if (!size || !fs.Truncate(files.kept, std::min(length, *size))) return false;
  std::uint64_t offset = 0;
  return (!with_old || Carry(fs, files.old, offset, files.kept)) && fs.Flush(files.kept);
}

// Runs a trim on from the step its record names, as the files are now;
// `ready` is what the copy holds already (see ComposeCopy). Each pass makes
// the copy whole and puts it in the event file's place, where no file may
// stand: should the plug-in have made the event file anew meanwhile, its
// events are newer than the copy's, and the next pass joins them behind.
bool RunTrim(EventFileSystem& fs, const TrimFiles& files, TrimRecord record, std::uint64_t ready) {
  for (int placing = 0; placing < kPlacings; ++placing) {
    if (!fs.FileSize(files.kept)) return Clear(fs, files);
    bool composed = false;
    if (record.step == Step::kCopy) {
      // The event file was never moved: the copy is not needed.
      if (!fs.FileSize(files.old)) return Drop(fs, files);
      composed = ComposeCopy(fs, files, record.number, ready);
    } else {
      if (record.step == Step::kJoin && !OldIsRecorded(fs, files, record)) {
        // An old file of another index is in the copy already.
        if (fs.FileSize(files.old) && !fs.Remove(files.old)) return Halt(fs, files, record);
        const TrimRecord take{Step::kTake, record.index, record.number};
        if (!Note(fs, files, take)) return Halt(fs, files, record);
        record = take;
      }
      if (!fs.FileSize(files.old) && fs.FileIndex(files.event) == record.index &&
          !MoveAside(fs, files)) {
        return Halt(fs, files, record);
      }
      composed = ComposeJoin(fs, files, record.number, fs.FileSize(files.old).has_value());
    }
    if (!composed) return Halt(fs, files, record);
    if (Renamed(fs, files.kept, files.event, false)) return Clear(fs, files);

    const auto index = fs.FileIndex(files.event);
    const auto length = fs.FileSize(files.kept);
    if (!index || !length) return Halt(fs, files, record);
    const TrimRecord next{Step::kJoin, *index, *length};
    if (!Note(fs, files, next)) return Halt(fs, files, record);
    record = next;
    ready = 0;
  }
  return Halt(fs, files, record);
}

// Writes the kept records to the copy, with the event file's attributes,
// and catches up with what the plug-in appends meanwhile, putting the copy
// on the disk each time; `read_to` moves past what was copied.
bool MakeCopy(EventFileSystem& fs, const TrimFiles& files, const std::string& kept,
              std::uint64_t& read_to) {
  if (!fs.WriteWhole(files.kept, Reencode(kept))) return false;
  fs.TakeAttributes(files.event, files.kept);
  for (int pass = 0; pass < kCatchUps; ++pass) {
    const auto carried = Carry(fs, files.event, read_to, files.kept);
    if (!carried) return false;
    if (*carried == 0) return true;
    if (!fs.Flush(files.kept)) return false;
  }
  return true;
}

}  // namespace

TrimFiles::TrimFiles(const std::string& event_path) : event(event_path) {
  const std::size_t cut = event_path.rfind('\\') + 1;  // 0 without a folder
  const std::string stem = event_path.substr(0, cut) + "~" + event_path.substr(cut);
  record = stem + ".trim";
  next_record = stem + ".trim-next";
  kept = stem + ".kept";
  old = stem + ".old";
}

std::string FormatTrimRecord(const TrimRecord& record) {
  const char* const step = record.step == Step::kCopy   ? "copy "
                           : record.step == Step::kJoin ? "join "
                                                        : "take ";
  return step + std::to_string(record.index) + " " + std::to_string(record.number) + "\n";
}

std::optional<TrimRecord> ParseTrimRecord(const std::string& text) {
  TrimRecord record;
  if (text.rfind("copy ", 0) == 0) {
    record.step = Step::kCopy;
  } else if (text.rfind("join ", 0) == 0) {
    record.step = Step::kJoin;
  } else if (text.rfind("take ", 0) == 0) {
    record.step = Step::kTake;
  } else {
    return std::nullopt;
  }
  const char* at = text.data() + 5;
  const char* const end = text.data() + text.size();
  // Decimal digits without a sign or a leading zero, each number followed
  // by its own separator: a record has exactly one spelling.
  const std::pair<std::uint64_t*, char> numbers[] = {{&record.index, ' '}, {&record.number, '\n'}};
  for (const auto& [number, after] : numbers) {
    if (at == end || *at < '0' || *at > '9') return std::nullopt;
    const auto [next, error] = std::from_chars(at, end, *number);
    if (error != std::errc() || (*at == '0' && next - at > 1)) return std::nullopt;
    if (next == end || *next != after) return std::nullopt;
    at = next + 1;
  }
  if (at != end) return std::nullopt;
  return record;
}

bool FinishEventFileTrim(EventFileSystem& fs, const std::string& path) {
  if (path.empty()) return true;
  const TrimFiles files(path);
  if (!fs.FileSize(files.record)) return true;
  const auto text = fs.ReadFrom(files.record, 0, kRecordLimit);
  if (!text) return false;
  if (const auto record = ParseTrimRecord(*text)) return RunTrim(fs, files, *record, 0);
  // A record whose writing a crash cut short holds nothing (or zero bytes a
  // power cut left); no other file of the trim is made before it is whole.
  // Any other file of that name is not this program's.
  if (text->find_first_not_of('\0') != std::string::npos || fs.FileSize(files.kept) ||
      fs.FileSize(files.old) || fs.FileSize(files.next_record)) {
    return false;
  }
  return fs.Remove(files.record);
}

std::optional<std::uint64_t> TrimEventFile(EventFileSystem& fs, const std::string& path,
                                           std::uint64_t size) {
  if (size <= EVENT_FILE_KEEP_BYTES || !FinishEventFileTrim(fs, path)) return fs.FileSize(path);
  const TrimFiles files(path);
  for (const std::string* name : {&files.record, &files.next_record, &files.kept, &files.old}) {
    if (fs.FileSize(*name)) return fs.FileSize(path);  // not this program's: left alone
  }
  // The index is taken before the read, so that a file made anew after it
  // shows before the file is moved.
  const auto index = fs.FileIndex(path);
  const auto tail =
      index ? fs.ReadFrom(path, size - EVENT_FILE_KEEP_BYTES, EVENT_FILE_KEEP_BYTES) : std::nullopt;
  if (!tail || tail->size() != EVENT_FILE_KEEP_BYTES) return fs.FileSize(path);
  const std::size_t start = FindStoredStx(*tail);
  if (start == std::string::npos) return fs.FileSize(path);

  const TrimRecord record{Step::kCopy, *index, size - EVENT_FILE_KEEP_BYTES + start};
  // Written before the copy exists, so that every file of the trim is one
  // its record accounts for.
  if (!fs.WriteWhole(files.record, FormatTrimRecord(record))) {
    fs.Remove(files.record);
    return fs.FileSize(path);
  }
  std::uint64_t read_to = size;
  // A file made anew or cut meanwhile is not the one copied: it stays.
  if (MakeCopy(fs, files, tail->substr(start), read_to) && fs.FileIndex(path) == index &&
      fs.FileSize(path).value_or(0) >= read_to && MoveAside(fs, files)) {
    RunTrim(fs, files, record, read_to - record.number);
  } else {
    Drop(fs, files);
  }
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
