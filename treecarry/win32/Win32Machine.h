// The machine Treecarry runs on, over Win32: advapi32's registry in its ANSI
// forms, the module's own path, and CreateProcessA with an unlimited wait.
#pragma once

#include "Machine.h"

namespace treecarry {

class Win32Machine : public Machine {
 public:
  long OpenKey(Hive hive, const std::string& path, KeyAccess access, KeyHandle& key) override;
  long EnumSubKey(KeyHandle key, std::uint32_t index, std::uint32_t capacity,
                  std::string& name) override;
  long QueryValue(KeyHandle key, const std::string& name, std::uint32_t capacity,
                  std::uint32_t& type, std::string& data) override;
  void CloseKey(KeyHandle key) override;
  std::string ModulePath() override;
  std::int32_t RunAndWait(const std::string& application, const std::string& command_line) override;
};

}  // namespace treecarry
