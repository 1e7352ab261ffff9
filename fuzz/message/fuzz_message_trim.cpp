// The trimming over arbitrary stored bytes, and the finish of a trim over an
// arbitrary record file beside arbitrary files of a trim.
//
// The input is the event file's stored bytes, optionally followed by the
// marker "\xFF~trim\xFF", one byte that says which files of a trim lie
// beside the event file, and the record file's bytes. Without it the event
// file lies alone: it is either left as it was or becomes a shifted tail of
// at most the limit that starts at a record. Files of a trim's names
// without a record of this program's (a record a crash left empty is one)
// keep every file as it was; a record has exactly the spelling it is
// written with. Whatever the files, a start and an opening end, and the
// size the trim gives is the event file's.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "FakeEventFileSystem.h"
#include "eventfile.h"

namespace {

// Which files lie beside the event file.
enum : unsigned { kNoEventFile = 1, kRecord = 2, kKept = 4, kOld = 8, kNextRecord = 16 };

// A lone event file: left as it was, or a shifted tail of at most the limit
// that starts at a record, and no other file.
void CheckLoneTrim(const std::string& stored) {
  message_test::FakeEventFileSystem fs;
  const std::string path = message::GetEventFilePath("C:\\Programme\\Message");
  fs.files[path] = stored;
  const auto new_size = message::TrimEventFile(fs, path, stored.size());
  const std::string& now = fs.files[path];
  if (new_size != now.size() || fs.files.size() != 1) std::abort();
  if (now == stored) return;
  const std::string content = message::DecodeEventBytes(stored);
  const std::string kept = message::DecodeEventBytes(now);
  if (kept.size() > message::EVENT_FILE_KEEP_BYTES || kept.empty() || kept[0] != '\x02') {
    std::abort();
  }
  if (content.compare(content.size() - kept.size(), kept.size(), kept) != 0) std::abort();
}

void CheckFinish(const std::string& stored, unsigned files_there, const std::string& record) {
  message_test::FakeEventFileSystem fs;
  const std::string path = message::GetEventFilePath("C:\\Programme\\Message");
  const message::TrimFiles files(path);
  if (!(files_there & kNoEventFile)) fs.files[path] = stored;
  if (files_there & kRecord) fs.files[files.record] = record;
  if (files_there & kKept) fs.files[files.kept] = stored.substr(stored.size() / 2);
  if (files_there & kOld) fs.files[files.old] = stored;
  if (files_there & kNextRecord) fs.files[files.next_record] = record;
  const std::map<std::string, std::string> before = fs.files;

  const auto parsed = message::ParseTrimRecord(record);
  if (parsed && message::FormatTrimRecord(*parsed) != record) std::abort();
  // Files of a trim's names without a record of this program's are no trim's.
  const bool foreign = (files_there & kRecord)
                           ? !parsed && record.find_first_not_of('\0') != std::string::npos
                           : (files_there & (kKept | kOld | kNextRecord)) != 0;

  message::FinishEventFileTrim(fs, path);
  std::uint64_t size = 0;
  if (message::QueryEventFileSize(fs, path, size)) {
    message::FinishEventFileTrim(fs, path);
    const auto trimmed = message::TrimEventFile(fs, path, size);
    if (trimmed) {
      if (*trimmed != fs.files[path].size()) std::abort();
      message::FormatEventList(fs, path, *trimmed, nullptr);
    }
  }
  if (foreign && fs.files != before) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string kMarker = "\xFF~trim\xFF";
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t marker = input.rfind(kMarker);
  // Small inputs are stretched past the limit so that the cut is reached.
  std::string stored = input.substr(0, marker);
  while (!stored.empty() && stored.size() <= message::EVENT_FILE_KEEP_BYTES) stored += stored;

  const std::size_t after = marker == std::string::npos ? size : marker + kMarker.size();
  if (after >= size) {
    CheckLoneTrim(stored);
  } else {
    CheckFinish(stored, static_cast<unsigned char>(input[after]), input.substr(after + 1));
  }
  return 0;
}
