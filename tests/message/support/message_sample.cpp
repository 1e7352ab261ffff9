// Helper for scripts around Message.exe.
//   MessageSample write <file> [min-bytes]   writes a sample event file (default 3000 bytes)
//   MessageSample slow <file> [blocks]       writes a file that loads slowly (default 100 blocks
//                                            of 1000 fields, no record start near its end, so
//                                            it is kept whole)
//   MessageSample click <caption> <text>     clicks the button <text> of the window <caption>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Driver.h"
#include "EventWriter.h"

namespace {

HWND FindWindowByCaption(const std::string& caption) {
  HWND found = nullptr;
  e2e::WaitUntil([&] { return (found = FindWindowA(nullptr, caption.c_str())) != nullptr; });
  return found;
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
  std::fprintf(stderr,
               "usage: MessageSample write <file> [min-bytes] | slow <file> [blocks] | "
               "click <caption> <text>\n");
  return 2;
}
