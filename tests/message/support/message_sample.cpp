// Helper for scripts around Message.exe.
//   MessageSample write <file> [min-bytes]   writes a sample event file (default 3000 bytes)
//   MessageSample slow <file> [blocks]       writes a file that loads slowly (default 100 blocks
//                                            of 1000 fields, no record start near its end, so
//                                            it is kept whole)
//   MessageSample click <caption> <text>     clicks the button <text> of the window <caption>
//   MessageSample append <file> <ms> <seconds> <first> <report>
//                                            stands in for the plug-in: appends one numbered
//                                            event (NumberedEvent, from <first> on) every <ms>
//                                            for <seconds>, then writes to <report> how many
//                                            events it wrote, how often an open was refused
//                                            and how many events it gave up
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "Driver.h"
#include "EventWriter.h"

namespace {

HWND FindWindowByCaption(const std::string& caption) {
  HWND found = nullptr;
  e2e::WaitUntil([&] { return (found = FindWindowA(nullptr, caption.c_str())) != nullptr; });
  return found;
}

// Appends numbered events as the plug-in does: for each event it opens the
// file by name with its C library's mode "a" (binary here, so that no byte
// is translated), which makes the file when it is missing, and closes it
// again. While Message moves the file aside Windows refuses the open for an
// instant: the event is written on the next try. An event still refused
// after two seconds is given up.
int AppendLikeThePlugin(const std::string& file, int interval_ms, int seconds, int first,
                        const std::string& report) {
  const std::wstring path = e2e::Wide(file);
  unsigned long written = 0, refused = 0, given_up = 0;
  const ULONGLONG start = GetTickCount64();
  for (int n = first; GetTickCount64() - start < 1000ull * seconds; ++n) {
    const std::string bytes =
        message_test::Shift(message_test::FrameRecord(message_test::NumberedEvent(n)));
    FILE* f = nullptr;
    for (int attempt = 0; attempt < 2000 && !(f = _wfopen(path.c_str(), L"ab")); ++attempt) {
      ++refused;
      Sleep(1);
    }
    if (f) {
      fwrite(bytes.data(), 1, bytes.size(), f);
      fclose(f);
      ++written;
    } else {
      ++given_up;
    }
    const ULONGLONG next = static_cast<ULONGLONG>(n - first + 1) * interval_ms;
    while (GetTickCount64() - start < next) Sleep(1);
  }
  std::ofstream(report) << written << " " << refused << " " << given_up << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string cmd = argc > 1 ? argv[1] : "";
  if (cmd == "write" && argc >= 3) {
    const std::size_t bytes = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 3000;
    const auto records = message_test::SampleEvents(bytes);
    if (!e2e::WriteFileBytes(argv[2], message_test::Shift(message_test::FrameRecords(records)))) {
      std::fprintf(stderr, "MessageSample: cannot write %s\n", argv[2]);
      return 1;
    }
    std::printf("%u events\n", static_cast<unsigned>(records.size()));
    return 0;
  }
  if (cmd == "slow" && argc >= 3) {
    const unsigned long blocks = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 100;
    std::string content = "\x02";
    for (unsigned long b = 0; b < blocks; ++b) {
      for (int i = 0; i < 1000; ++i) content += "ab\t";
      content += "cd\x03x";
    }
    if (!e2e::WriteFileBytes(argv[2], message_test::Shift(content))) {
      std::fprintf(stderr, "MessageSample: cannot write %s\n", argv[2]);
      return 1;
    }
    std::printf("%u bytes\n", static_cast<unsigned>(content.size()));
    return 0;
  }
  if (cmd == "click" && argc >= 4) {
    HWND window = FindWindowByCaption(argv[2]);
    HWND button = window ? e2e::FindChild(window, "Button", argv[3]) : nullptr;
    if (!button) {
      std::fprintf(stderr, "MessageSample: no button '%s' in '%s'\n", argv[3], argv[2]);
      return 1;
    }
    e2e::Click(button);
    return 0;
  }
  if (cmd == "append" && argc >= 7) {
    return AppendLikeThePlugin(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                               argv[6]);
  }
  std::fprintf(stderr,
               "usage: MessageSample write <file> [min-bytes] | slow <file> [blocks] | "
               "click <caption> <text> | append <file> <ms> <seconds> <first> <report>\n");
  return 2;
}
