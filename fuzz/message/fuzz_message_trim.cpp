// The trimming over arbitrary stored bytes: the file is either left as it was
// or becomes a shifted tail of at most the limit that starts at a record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FakeEventFileSystem.h"
#include "eventfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Small inputs are stretched past the limit so that the cut is reached.
  std::string stored(reinterpret_cast<const char*>(data), size);
  while (!stored.empty() && stored.size() <= message::EVENT_FILE_KEEP_BYTES) stored += stored;

  message_test::FakeEventFileSystem fs;
  const std::string path = message::GetEventFilePath("C:\\Programme\\Message");
  fs.files[path] = stored;
  const auto new_size = message::TrimEventFile(fs, path, stored.size());
  const std::string& now = fs.files[path];
  if (new_size != now.size() || fs.files.size() != 1) std::abort();  // no helper file left
  if (now == stored) return 0;
  const std::string content = message::DecodeEventBytes(stored);
  const std::string kept = message::DecodeEventBytes(now);
  if (kept.size() > message::EVENT_FILE_KEEP_BYTES || kept.empty() || kept[0] != '\x02') {
    std::abort();
  }
  if (content.compare(content.size() - kept.size(), kept.size(), kept) != 0) std::abort();
  return 0;
}
