// What Treecarry needs of the machine it runs on: the names of its user
// profiles, one registry value per profile, the path of its own executable,
// and starting a program, directly or through the shell, and waiting for its
// end. The real implementation
// lies beside the program (Win32Machine); the tests use a fake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace treecarry {

// Bytes (closing NUL included) of the Application value that are read; a
// longer value counts as missing.
inline constexpr std::size_t kValueCapacity = 255;

// The system's error code for a program that Windows starts only elevated
// (its manifest asks for an administrator): CreateProcess refuses it, the
// shell can start it.
inline constexpr std::uint32_t kErrorElevationRequired = 740;

// How a start went: the program's exit code once it has ended, or the
// system's error code when it could not be started.
struct Run {
  bool started = false;
  std::int32_t exit_code = -1;
  std::uint32_t error = 0;
};

class Machine {
 public:
  virtual ~Machine() = default;

  // The names of the machine's user profiles (the subkeys of the system's
  // profile list) in the registry's order, exactly as stored. Empty when the
  // list cannot be read; the first name that cannot be read ends the list.
  virtual std::vector<std::string> ProfileNames() = 0;

  // The instrument software's Application value in profile's loaded hive:
  // the bytes the registry returns, whatever the value's type, cut before
  // their first NUL. Nothing when the hive, the key or the value is missing,
  // or when the value holds more than kValueCapacity bytes.
  virtual std::optional<std::string> ApplicationValue(const std::string& profile) = 0;

  // Full path of Treecarry's own executable file.
  virtual std::string ModulePath() = 0;

  // Starts application (a full path) with command_line and waits without a
  // time limit until it has ended.
  virtual Run RunAndWait(const std::string& application, const std::string& command_line) = 0;

  // Starts application (a full path) through the shell with arguments (the
  // command line without the program), so that Windows asks the user for
  // consent, or for an administrator's password, when the program runs only
  // elevated; waits as RunAndWait does. Not started when the user declines.
  virtual Run ShellRunAndWait(const std::string& application, const std::string& arguments) = 0;
};

}  // namespace treecarry
