// What Treecarry needs of the machine it runs on: the names of its user
// profiles, one registry value per profile, the path of its own executable,
// and starting a program and waiting for its end. The real implementation
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

  // Starts application (a full path) with command_line, waits without a time
  // limit until it has ended and returns its exit code; -1 when it could not
  // be started.
  virtual std::int32_t RunAndWait(const std::string& application,
                                  const std::string& command_line) = 0;
};

}  // namespace treecarry
