// A machine for the tests: profiles in a given order, loaded hives with or
// without the Application value (raw bytes, as stored), a module path, and
// program starts, direct or through the shell, that record what they were
// asked to run and can be refused with an error code. Held to the real
// machine by the contract in MachineContract.h.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Machine.h"

namespace treecarry::test {

class FakeMachine : public Machine {
 public:
  struct Run {
    std::string application;
    std::string command_line;
  };

  // Lists name as a profile, after the names listed so far.
  void AddProfile(const std::string& name) { profiles.push_back(name); }

  // profile's loaded hive holds the instrument software's key, no value in it.
  void AddDirectoriesKey(const std::string& profile) { hives_[Lower(profile)]; }

  // The Application value of profile's loaded hive, bytes as stored.
  void SetRaw(const std::string& profile, const std::string& bytes) {
    hives_[Lower(profile)] = bytes;
  }
  // ... a text stored with its closing NUL.
  void SetApplication(const std::string& profile, const std::string& text) {
    SetRaw(profile, text + '\0');
  }

  std::vector<std::string> ProfileNames() override { return profiles; }

  std::optional<std::string> ApplicationValue(const std::string& profile) override {
    asked.push_back(profile);
    const auto it = hives_.find(Lower(profile));
    if (it == hives_.end() || !it->second) return std::nullopt;
    const std::string& bytes = *it->second;
    if (bytes.size() > kValueCapacity) return std::nullopt;
    return bytes.substr(0, bytes.find('\0'));
  }

  std::string ModulePath() override { return module_path; }

  treecarry::Run RunAndWait(const std::string& application,
                            const std::string& command_line) override {
    runs.push_back({application, command_line});
    if (start_error) return {false, -1, start_error};
    return {true, exit_code, 0};
  }

  treecarry::Run ShellRunAndWait(const std::string& application,
                                 const std::string& arguments) override {
    shell_runs.push_back({application, arguments});
    return {true, exit_code, 0};
  }

  std::vector<std::string> profiles;
  std::string module_path = "C:\\Tools\\Treecarry.exe";
  std::int32_t exit_code = 0;
  std::uint32_t start_error = 0;  // a start refused with this error code
  std::vector<Run> runs;
  std::vector<Run> shell_runs;     // the command line holds the arguments alone
  std::vector<std::string> asked;  // every profile whose value was asked for, in order

 private:
  // Registry names compare without regard to case.
  static std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
  }

  std::map<std::string, std::optional<std::string>> hives_;  // by profile; no value: nullopt
};

}  // namespace treecarry::test
