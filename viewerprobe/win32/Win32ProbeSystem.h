// The help-viewer check's view of the running Windows system.
#pragma once

#include "ProbeSystem.h"

namespace viewerprobe {

class Win32ProbeSystem : public ProbeSystem {
 public:
  std::string EnvironmentValue(const std::string& name) override;
  std::uint32_t FileAttributes(const std::string& path) override;
  std::optional<std::int64_t> FileLength(const std::string& path) override;
  bool QueryVersion(OsVersionRecord& record) override;
};

}  // namespace viewerprobe
