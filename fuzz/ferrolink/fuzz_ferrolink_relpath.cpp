// The transfer's path rules over arbitrary paths: a normal form is stable and
// plain, and a relative path that passes the test never leaves the target.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FakeNames.h"
#include "Paths.h"

namespace {

void CheckNormalForm(const std::string& path) {
  const std::string normal = ferrolink::LexicalDirectory(path);
  if (normal.empty()) return;
  if (normal.back() != '\\' || ferrolink::LexicalDirectory(normal) != normal) std::abort();
  if (normal.find('/') != std::string::npos) std::abort();
  const size_t body = normal.rfind("\\\\", 0) == 0 ? 2 : 0;
  for (const char* bad : {"\\\\", "\\.\\", "\\..\\"}) {
    if (normal.find(bad, body) != std::string::npos) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Source directory and file path, split at the first zero byte.
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\0');
  const std::string source = input.substr(0, cut);
  const std::string file = cut == std::string::npos ? std::string() : input.substr(cut + 1);
  CheckNormalForm(source);
  CheckNormalForm(file);

  static ferrolink::test::FakeNames system;  // its case fold
  for (const std::string& dir : {source, ferrolink::LexicalDirectory(source)}) {
    const std::string relative = ferrolink::RelativePath(system, dir, file);
    if (!ferrolink::StaysBelow(relative)) continue;
    const std::string target = "T:\\Ziel\\";
    const std::string landed =
        ferrolink::LexicalDirectory(ferrolink::DirectoryPart(target + relative));
    if (landed.compare(0, target.size(), target) != 0) std::abort();
    if (ferrolink::RootPart(target + relative) != "T:") std::abort();
  }
  return 0;
}
