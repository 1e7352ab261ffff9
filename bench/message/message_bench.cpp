// One opening of Message's event list (the trim, then the layout), on a
// 100 MB event file that cannot be trimmed (no record start in its last
// 20000 bytes) against a 20 KB one of the same kind, side by side, with the
// process's peak memory. One opening may cost at most twice as much for the
// large file.
// Usage: message_bench [work folder]  (default: %TEMP%\message-bench)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "Win32EventFileSystem.h"
#include "eventfile.h"

using namespace bench;

namespace {

// An event file of `size` stored bytes: one record start, then field bytes
// without any record start, so that no trim can cut it.
bool WriteUntrimmable(const std::string& path, std::size_t size) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string chunk(1 << 20, 'x');
  for (std::size_t i = 0; i < chunk.size(); i += 40) chunk[i] = '\t';
  chunk = message::EncodeEventBytes(chunk);
  const std::string start = message::EncodeEventBytes("\x02");
  DWORD written = 0;
  bool ok = WriteFile(h, start.data(), 1, &written, nullptr) != 0;
  for (std::size_t left = size - 1; ok && left > 0;) {
    const DWORD n = static_cast<DWORD>(std::min(left, chunk.size()));
    ok = WriteFile(h, chunk.data(), n, &written, nullptr) && written == n;
    left -= n;
  }
  return CloseHandle(h) && ok;
}

// The median time of `rounds` openings of the list.
double OpenList(const std::string& path, int rounds, std::size_t& shown) {
  Win32EventFileSystem fs;
  std::vector<double> times;
  for (int round = 0; round < rounds; ++round) {
    const double t = Now();
    std::uint64_t size = fs.FileSize(path).value_or(0);
    size = message::TrimEventFile(fs, path, size).value_or(0);
    const auto text = message::FormatEventList(fs, path, size, [](std::optional<int>) {});
    times.push_back(Now() - t);
    shown = text ? text->size() : 0;
  }
  return Median(times);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string work = WorkFolder(argc, argv, "message-bench");
  CreateDirectoryA(work.c_str(), nullptr);
  const std::string small = work + "\\small.sta", large = work + "\\large.sta";
  constexpr std::size_t kSmall = 20u << 10, kLarge = 100u << 20;
  constexpr int kRounds = 51;
  if (!WriteUntrimmable(small, kSmall) || !WriteUntrimmable(large, kLarge)) {
    std::printf("the event files could not be written in %s\n", work.c_str());
    return 1;
  }
  Heading("Message", work);
  const double before = PeakMegabytes();
  std::size_t small_shown = 0, large_shown = 0;
  const double small_t = OpenList(small, kRounds, small_shown);
  const double large_t = OpenList(large, kRounds, large_shown);
  const double ratio = large_t / small_t;
  std::printf("opening the list, median of %d (trim, then layout)\n", kRounds);
  std::printf("  20 KB, untrimmable %8.4f s  %zu characters shown\n", small_t, small_shown);
  std::printf("  100 MB, untrimmable %7.4f s  %zu characters shown  ratio %.3f\n", large_t,
              large_shown, ratio);
  std::printf("  process peak %.1f MB (%.1f MB before the openings)\n\n", PeakMegabytes(), before);
  Verdict("opening", ratio, 2.0);
  DeleteFileA(small.c_str());
  DeleteFileA(large.c_str());
  RemoveDirectoryA(work.c_str());
  return 0;
}
