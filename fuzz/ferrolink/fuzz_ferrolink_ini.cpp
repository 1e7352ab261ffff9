// The INI reader and writer over arbitrary bytes: reading never fails, and the
// whole-file rewrite is stable (writing what was read back gives the same).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ferrolink::IniFile ini = ferrolink::IniFile::Parse(bytes);
  const std::string target = ini.ReadString("General", "Target", "default");
  ini.ReadBool("General", "Delete", false);
  ini.WriteString("General", "Target", target);
  ini.WriteBool("General", "Delete", true);
  const std::string once = ini.Serialize();
  const ferrolink::IniFile again = ferrolink::IniFile::Parse(once);
  if (again.Serialize() != once) std::abort();
  // A value without line breaks reads back as written.
  if (target.find_first_of("\r\n") == std::string::npos &&
      again.ReadString("General", "Target", "?") != target) {
    std::abort();
  }
  if (!again.ReadBool("General", "Delete", false)) std::abort();
  return 0;
}
