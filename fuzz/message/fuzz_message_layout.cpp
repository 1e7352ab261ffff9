// The list layout over arbitrary decoded content: stays in bounds, ends, and
// always closes with two line feeds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "eventfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  std::size_t steps = 0;
  const std::string text = message::LayoutEventContent(content, [&](std::optional<int> q) {
    if (q && (*q < 0 || *q > 100)) std::abort();
    ++steps;
  });
  if (size == 0) {
    if (!text.empty() || steps != 0) std::abort();
  } else if (text.size() < 2 || text.compare(text.size() - 2, 2, "\n\n") != 0 || steps > size) {
    std::abort();
  }
  return 0;
}
