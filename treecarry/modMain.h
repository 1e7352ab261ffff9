// Treecarry's whole logic: the walk over the machine's user profiles that
// finds the instrument software's application directory, and the start of
// Move.exe with that directory. Reaches the operating system only through
// Machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Machine.h"

namespace treecarry {

// Registry places that are read (never written).
inline constexpr char kProfileListKey[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
inline constexpr char kDirectoriesKey[] = "\\Software\\Quorlen\\Calyrix\\Directories";
inline constexpr char kApplicationValue[] = "Application";

// Characters (closing NUL included) of a profile-list subkey name that are read.
inline constexpr std::uint32_t kNameCapacity = 1024;
// Bytes (closing NUL included) of the Application value that are read; a
// longer value counts as missing.
inline constexpr std::uint32_t kValueCapacity = 255;

// Splits text at every occurrence of delimiter. Empty pieces are kept. limit:
// at most this many pieces, the last holding the unsplit rest; negative for
// no limit, 0 for none at all. compare_mode 0 compares exactly, any other
// value without regard to case. An empty text gives no pieces, an empty
// delimiter the whole text as one piece.
std::vector<std::string> SplitText(const std::string& text, const std::string& delimiter,
                                   std::int32_t limit, std::int32_t compare_mode);

// The names of the machine's profile-list subkeys in enumeration order,
// joined by ";"; empty when the list cannot be read or has no subkeys.
std::string GetProfileList(Machine& machine);

// The Application value of the first profile, from the second profile-list
// entry on, whose hive holds it; empty when none does. A value that is found
// ends the walk, even an empty one.
std::string FindApplicationDirectory(Machine& machine);

// The application directory, or the empty text when none was found.
std::string GetApplicationDirectory(Machine& machine);

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
// waits for its end. True when a directory was found and a start was made.
bool RunMove(Machine& machine);

// The program's start routine; the program ends when it returns.
void Main(Machine& machine);

}  // namespace treecarry
