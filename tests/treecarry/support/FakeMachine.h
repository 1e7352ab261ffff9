// A machine for the tests: a registry of keys (with subkeys in a given
// order and values with types and raw data) that answers like the real one,
// a module path, and a program start that records what it was asked to run.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "modMain.h"

namespace treecarry::test {

class FakeMachine : public Machine {
 public:
  struct Value {
    std::uint32_t type = kRegSz;
    std::string data;  // raw bytes, a closing NUL only when stored with one
  };
  struct Key {
    std::vector<std::string> subkeys;  // in enumeration order
    std::map<std::string, Value> values;
    bool denied = false;  // opening fails with access denied
  };
  struct Run {
    std::string application;
    std::string command_line;
  };

  // The key at path below hive, made when missing.
  Key& AddKey(Hive hive, const std::string& path) { return keys_[Id(hive, path)]; }

  // Lists name under the profile list, after the names listed so far.
  void AddProfile(const std::string& name) {
    AddKey(Hive::LocalMachine, kProfileListKey).subkeys.push_back(name);
  }

  // A text value stored with its closing NUL.
  void SetText(Hive hive, const std::string& path, const std::string& name,
               const std::string& text) {
    AddKey(hive, path).values[Lower(name)] = Value{kRegSz, text + '\0'};
  }
  void SetRaw(Hive hive, const std::string& path, const std::string& name, std::uint32_t type,
              const std::string& bytes) {
    AddKey(hive, path).values[Lower(name)] = Value{type, bytes};
  }

  // The Application value of profile in its loaded hive.
  void SetApplication(const std::string& profile, const std::string& text) {
    SetText(Hive::Users, profile + kDirectoriesKey, kApplicationValue, text);
  }

  long OpenKey(Hive hive, const std::string& path, KeyAccess access, KeyHandle& key) override {
    opened_.push_back(path);
    const auto it = keys_.find(Id(hive, path));
    if (it == keys_.end()) return kRegFileNotFound;
    if (it->second.denied) return kRegAccessDenied;
    key = next_handle_++;
    open_[key] = {&it->second, access};
    return kRegSuccess;
  }

  long EnumSubKey(KeyHandle key, std::uint32_t index, std::uint32_t capacity,
                  std::string& name) override {
    const auto it = open_.find(key);
    if (it == open_.end()) return kRegInvalidHandle;
    if (it->second.second != KeyAccess::EnumerateSubKeys) return kRegAccessDenied;
    const auto& subkeys = it->second.first->subkeys;
    if (index >= subkeys.size()) return kRegNoMoreItems;
    if (subkeys[index].size() + 1 > capacity) return kRegMoreData;
    name = subkeys[index];
    return kRegSuccess;
  }

  long QueryValue(KeyHandle key, const std::string& name, std::uint32_t capacity,
                  std::uint32_t& type, std::string& data) override {
    const auto it = open_.find(key);
    if (it == open_.end()) return kRegInvalidHandle;
    if (it->second.second != KeyAccess::QueryValue) return kRegAccessDenied;
    const auto& values = it->second.first->values;
    const auto v = values.find(Lower(name));
    if (v == values.end()) return kRegFileNotFound;
    if (v->second.data.size() > capacity) return kRegMoreData;
    type = v->second.type;
    data = v->second.data;
    return kRegSuccess;
  }

  void CloseKey(KeyHandle key) override { open_.erase(key); }

  std::string ModulePath() override { return module_path; }

  std::int32_t RunAndWait(const std::string& application,
                          const std::string& command_line) override {
    runs.push_back({application, command_line});
    return exit_code;
  }

  // Keys still open.
  std::size_t OpenKeys() const { return open_.size(); }
  // Every path that was asked to be opened, in order.
  const std::vector<std::string>& Opened() const { return opened_; }

  std::string module_path = "C:\\Tools\\Treecarry.exe";
  std::int32_t exit_code = 0;
  std::vector<Run> runs;

 private:
  static constexpr long kRegInvalidHandle = 6;

  // Registry names compare without regard to case.
  static std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
  }
  static std::string Id(Hive hive, const std::string& path) {
    return (hive == Hive::LocalMachine ? "HKLM\\" : "HKU\\") + Lower(path);
  }

  std::map<std::string, Key> keys_;
  std::map<KeyHandle, std::pair<Key*, KeyAccess>> open_;
  std::vector<std::string> opened_;
  KeyHandle next_handle_ = 0x100;
};

}  // namespace treecarry::test
