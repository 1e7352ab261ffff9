// The command line for Move.exe, split again by the platform's rules for
// command-line arguments, gives back Move.exe's path and exactly the
// directory, whatever the directory holds.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ArgvRules.h"
#include "modMain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string directory(reinterpret_cast<const char*>(data), size);
  directory = directory.substr(0, directory.find('\0'));  // registry texts end at a NUL
  const std::string move = treecarry::MovePath("C:\\Program Files\\Quorlen\\Treecarry.exe");
  const auto args = treecarry::test::SplitArguments(treecarry::MoveCommandLine(move, directory));
  if (args != std::vector<std::string>{move, directory}) std::abort();
  return 0;
}
