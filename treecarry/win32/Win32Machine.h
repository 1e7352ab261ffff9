// The machine Treecarry runs on, over Win32: advapi32's registry in its ANSI
// forms, the module's own path, and CreateProcessA with an unlimited wait.
#pragma once

#include "Machine.h"

namespace treecarry {

// Registry places that are read (never written): the profile list below
// HKEY_LOCAL_MACHINE, and each profile's key below HKEY_USERS.
inline constexpr char kProfileListKey[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
inline constexpr char kDirectoriesKey[] = "\\Software\\Quorlen\\Calyrix\\Directories";
inline constexpr char kApplicationValue[] = "Application";

class Win32Machine : public Machine {
 public:
  std::vector<std::string> ProfileNames() override;
  std::optional<std::string> ApplicationValue(const std::string& profile) override;
  std::string ModulePath() override;
  Run RunAndWait(const std::string& application, const std::string& command_line) override;
  Run ShellRunAndWait(const std::string& application, const std::string& arguments) override;
};

}  // namespace treecarry
