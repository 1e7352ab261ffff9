// The help-viewer check's view of the running Windows system.
#pragma once

#include "ProbeSystem.h"

namespace viewerprobe {

class Win32ProbeSystem : public ProbeSystem {
 public:
  std::string EnvironmentValue(const std::string& name) override;
  std::int64_t FileSize(const std::string& path) override;
  std::optional<WindowsVersion> Version() override;
};

}  // namespace viewerprobe
