#include "modMain.h"

#include <vector>

namespace treecarry {

namespace {

// A profile name as the walk uses it: leading blanks dropped, trailing ones
// kept. The walk has always looked names up so, and a profile whose name
// begins with a blank is still found under the name without them.
std::string WithoutLeadingBlanks(const std::string& name) {
  const std::size_t first = name.find_first_not_of(' ');
  return first == std::string::npos ? "" : name.substr(first);
}

}  // namespace

std::string FindApplicationDirectory(Machine& machine) {
  const std::vector<std::string> profiles = machine.ProfileNames();
  // The first profile is never examined: the walk has always started with the
  // second one.
  for (std::size_t i = 1; i < profiles.size(); ++i) {
    if (auto value = machine.ApplicationValue(WithoutLeadingBlanks(profiles[i]))) return *value;
  }
  return "";
}

std::string MovePath(const std::string& module_path) {
  const std::size_t slash = module_path.find_last_of('\\');
  const std::string folder = slash == std::string::npos ? "" : module_path.substr(0, slash + 1);
  return folder + "Move.exe";
}

std::string QuoteArgument(const std::string& arg) {
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (const char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    out += c;
    backslashes = 0;
  }
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}

std::string MoveCommandLine(const std::string& move_path, const std::string& directory) {
  return "\"" + move_path + "\" " + QuoteArgument(directory);
}

bool RunMove(Machine& machine) {
  const std::string directory = FindApplicationDirectory(machine);
  if (directory.empty()) return false;
  const std::string move = MovePath(machine.ModulePath());
  // Move.exe's exit code is not evaluated: every end of it ends Treecarry alike.
  const Run run = machine.RunAndWait(move, MoveCommandLine(move, directory));
  // A Move.exe that asks for an administrator is started through the shell,
  // which asks the user; every other failed start ends Treecarry silently.
  if (!run.started && run.error == kErrorElevationRequired) {
    machine.ShellRunAndWait(move, QuoteArgument(directory));
  }
  return true;
}

}  // namespace treecarry
