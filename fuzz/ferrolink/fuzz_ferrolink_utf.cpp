// The conversions between the logic's UTF-8 and the system's UTF-16 over
// arbitrary input: every sequence of 16-bit units (a file name as the file
// system holds it) comes back exactly, and any bytes convert to units that
// then come back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Utf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string units = ferrolink::Utf16FromUtf8(bytes);
  if (ferrolink::Utf16FromUtf8(ferrolink::Utf8FromUtf16(units)) != units) std::abort();

  std::u16string name;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    name += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  }
  if (ferrolink::Utf16FromUtf8(ferrolink::Utf8FromUtf16(name)) != name) std::abort();
  return 0;
}
