// What the help-viewer check needs from the operating system: one
// environment variable, the size of the viewer's file, and the system's
// version. The program uses the Win32 implementation; tests use a fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace viewerprobe {

// Platform identifier of the NT family.
inline constexpr std::uint32_t kPlatformWin32Nt = 2;

// The version the running system reports to the program.
struct WindowsVersion {
  std::uint32_t major;
  std::uint32_t minor;
  std::uint32_t platform;
};

class ProbeSystem {
 public:
  virtual ~ProbeSystem() = default;
  // Value of an environment variable; empty when it is not set.
  virtual std::string EnvironmentValue(const std::string& name) = 0;
  // Size in bytes of the file at path; 0 when no file stands there (nothing,
  // a folder, or a file whose size cannot be read).
  virtual std::int64_t FileSize(const std::string& path) = 0;
  // The running system's version; nothing when the query failed.
  virtual std::optional<WindowsVersion> Version() = 0;
};

}  // namespace viewerprobe
