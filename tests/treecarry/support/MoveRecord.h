// Reads the records that the Move.exe stand-in appends to its record file.
#pragma once

#include <string>
#include <vector>

namespace treecarry::test {

struct MoveRecord {
  std::string module;
  unsigned long pid = 0;
  std::string cmdline;
  std::vector<std::string> argv;
};

// Every complete record of the file's text, in the order written.
inline std::vector<MoveRecord> ParseMoveRecords(const std::string& text) {
  std::vector<MoveRecord> out;
  MoveRecord current;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) break;  // a record still being written
    const std::string line = text.substr(pos, eol - pos);
    pos = eol + 1;
    const std::size_t eq = line.find('=');
    const std::string key = line.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : line.substr(eq + 1);
    if (key == "module") {
      current = MoveRecord{};
      current.module = value;
    } else if (key == "pid") {
      current.pid = std::stoul(value);
    } else if (key == "cmdline") {
      current.cmdline = value;
    } else if (key == "argv") {
      current.argv.push_back(value);
    } else if (key == "end") {
      out.push_back(current);
    }
  }
  return out;
}

}  // namespace treecarry::test
