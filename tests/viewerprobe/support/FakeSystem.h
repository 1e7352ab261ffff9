// A fake system for the help-viewer decision: environment variables, files
// (by exact path, with their sizes) and folders, and a version. Held to the
// real system by the contract in ProbeContract.h.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ProbeSystem.h"

namespace viewerprobe {

class FakeSystem : public ProbeSystem {
 public:
  std::map<std::string, std::string> environment;
  std::map<std::string, std::int64_t> files;  // path -> size
  std::vector<std::string> directories;
  std::optional<WindowsVersion> version = WindowsVersion{6, 2, kPlatformWin32Nt};  // none: fails

  int versionQueries = 0;
  std::vector<std::string> examined;

  std::string EnvironmentValue(const std::string& name) override {
    auto it = environment.find(name);
    return it == environment.end() ? "" : it->second;
  }
  std::int64_t FileSize(const std::string& path) override {
    examined.push_back(path);
    if (std::find(directories.begin(), directories.end(), path) != directories.end()) return 0;
    auto it = files.find(path);
    return it == files.end() ? 0 : it->second;
  }
  std::optional<WindowsVersion> Version() override {
    ++versionQueries;
    return version;
  }
};

}  // namespace viewerprobe
