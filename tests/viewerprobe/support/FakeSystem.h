// A fake system for the help-viewer decision: environment variables, files
// and directories by exact path, and a version record.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "HelpViewerCheck.h"

namespace viewerprobe {

inline OsVersionRecord Version(std::uint32_t major, std::uint32_t minor,
                               std::uint32_t platform = kPlatformWin32Nt, std::uint32_t build = 0,
                               const char* servicePack = "") {
  OsVersionRecord r;
  std::memset(&r, 0, sizeof r);
  r.size = sizeof r;
  r.major = major;
  r.minor = minor;
  r.build = build;
  r.platform = platform;
  std::strncpy(r.servicePack, servicePack, sizeof r.servicePack - 1);
  return r;
}

// A system with environment variables, files and directories (by exact
// path) and a version record; no record makes the version query fail.
class FakeSystem : public ProbeSystem {
 public:
  std::map<std::string, std::string> environment;
  std::map<std::string, std::int64_t> files;  // path -> length
  std::vector<std::string> directories;
  std::vector<std::string> unreadableLengths;  // exist, but their length cannot be read
  std::optional<OsVersionRecord> version = Version(6, 2);

  int versionQueries = 0;
  std::vector<std::string> examined;

  std::string EnvironmentValue(const std::string& name) override {
    auto it = environment.find(name);
    return it == environment.end() ? "" : it->second;
  }
  std::uint32_t FileAttributes(const std::string& path) override {
    examined.push_back(path);
    for (const std::string& d : directories) {
      if (d == path) return kFileAttributeDirectory;
    }
    return files.count(path) ? 0x20u : kInvalidFileAttributes;
  }
  std::optional<std::int64_t> FileLength(const std::string& path) override {
    for (const std::string& u : unreadableLengths) {
      if (u == path) return std::nullopt;
    }
    auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  bool QueryVersion(OsVersionRecord& record) override {
    ++versionQueries;
    // The caller hands in a zeroed record with only the size member set.
    EXPECT_EQ(record.size, 148u);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    for (std::size_t i = sizeof record.size; i < sizeof record; ++i) {
      if (bytes[i] != 0) {
        ADD_FAILURE() << "byte " << i << " of the record handed in is not zero";
        break;
      }
    }
    if (!version) return false;
    record = *version;
    return true;
  }
};

}  // namespace viewerprobe
