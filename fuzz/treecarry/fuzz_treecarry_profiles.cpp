// The profile walk over profiles made from the input: lines of "name=value"
// list profiles in that order (a line without "=" is a profile without a
// loaded hive; "name=" an empty value). The result is always empty or one of
// the values as the machine gives them (cut at a NUL, at most 255 bytes).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FakeMachine.h"
#include "modMain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  treecarry::test::FakeMachine machine;
  std::vector<std::string> values;
  std::size_t pos = 0;
  while (pos <= input.size()) {
    std::size_t eol = input.find('\n', pos);
    if (eol == std::string::npos) eol = input.size();
    const std::string line = input.substr(pos, eol - pos);
    pos = eol + 1;
    const std::size_t eq = line.find('=');
    const std::string name = line.substr(0, eq);
    machine.AddProfile(name);
    if (eq != std::string::npos) {
      const std::string value = line.substr(eq + 1);
      machine.SetRaw(name, value);
      values.push_back(value.substr(0, value.find('\0')));
    }
  }
  const std::string found = treecarry::FindApplicationDirectory(machine);
  if (found.size() > treecarry::kValueCapacity || found.find('\0') != std::string::npos) {
    std::abort();
  }
  bool known = found.empty();
  for (const auto& v : values) known = known || v == found;
  if (!known) std::abort();
  return 0;
}
