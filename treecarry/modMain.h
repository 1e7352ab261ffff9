// Treecarry's whole logic: the walk over the machine's user profiles that
// finds the instrument software's application directory, and the start of
// Move.exe with that directory. Reaches the operating system only through
// Machine.
#pragma once

#include <cstdint>
#include <string>

#include "Machine.h"

namespace treecarry {

// The Application value of the first profile, from the second profile on,
// whose hive holds it; empty when none does. A value that is found ends the
// walk, even an empty one.
std::string FindApplicationDirectory(Machine& machine);

// Full path of Move.exe: the folder of Treecarry's executable (module_path)
// joined with "Move.exe" by one backslash.
std::string MovePath(const std::string& module_path);

// One command-line argument in double quotes, escaped so that the platform's
// argument splitting gives back exactly arg (backslashes before a quote and
// at the end are doubled, quotes escaped).
std::string QuoteArgument(const std::string& arg);

// The command line for Move.exe: its path in double quotes, one blank, the
// directory as one quoted argument.
std::string MoveCommandLine(const std::string& move_path, const std::string& directory);

// Looks up the directory and, when there is one, starts Move.exe with it and
// waits for its end; a Move.exe that Windows starts only elevated is started
// through the shell. True when a directory was found and a start was made.
bool RunMove(Machine& machine);

}  // namespace treecarry
