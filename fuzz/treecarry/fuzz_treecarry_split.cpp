// SplitText over any text, delimiter, limit and compare mode: the pieces,
// joined again by the delimiter, give back the text when compared exactly;
// a positive limit bounds their number.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "modMain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::size_t delimiter_length = data[0] % 4;
  const std::int32_t limit = static_cast<std::int8_t>(data[1]);
  const std::int32_t mode = data[2] % 2;
  const std::string rest(reinterpret_cast<const char*>(data) + 3, size - 3);
  const std::string delimiter = rest.substr(0, delimiter_length);
  const std::string text = rest.substr(delimiter.size());

  const auto pieces = treecarry::SplitText(text, delimiter, limit, mode);
  if (text.empty() || limit == 0) {
    if (!pieces.empty()) std::abort();
    return 0;
  }
  if (limit > 0 && pieces.size() > static_cast<std::size_t>(limit)) std::abort();
  if (mode == 0 || delimiter.empty()) {
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) joined += (i ? delimiter : "") + pieces[i];
    if (joined != text) std::abort();
  }
  return 0;
}
