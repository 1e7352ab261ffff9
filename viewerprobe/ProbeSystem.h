// What the help-viewer check needs from the operating system: one
// environment variable, a file's attributes and length, and the version
// record. The program uses the Win32 implementation; tests use fakes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace viewerprobe {

// Attribute bits as the platform reports them.
inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10u;

// Platform identifier of the NT family.
inline constexpr std::uint32_t kPlatformWin32Nt = 2;

// The platform's ANSI version record, member for member and byte for byte.
struct OsVersionRecord {
  std::uint32_t size;
  std::uint32_t major;
  std::uint32_t minor;
  std::uint32_t build;
  std::uint32_t platform;
  char servicePack[128];
};
static_assert(sizeof(OsVersionRecord) == 148, "the platform's record has 148 bytes");

class ProbeSystem {
 public:
  virtual ~ProbeSystem() = default;
  // Value of an environment variable; empty when it is not set.
  virtual std::string EnvironmentValue(const std::string& name) = 0;
  // Attribute bits of path, kInvalidFileAttributes when it does not exist or
  // cannot be examined.
  virtual std::uint32_t FileAttributes(const std::string& path) = 0;
  // Length of the file at path in bytes; nothing when it cannot be read.
  virtual std::optional<std::int64_t> FileLength(const std::string& path) = 0;
  // Fills record (its size member set by the caller) with the running
  // system's version; false when the query failed, leaving record as it was.
  virtual bool QueryVersion(OsVersionRecord& record) = 0;
};

}  // namespace viewerprobe
