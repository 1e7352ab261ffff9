// What Treecarry needs of the machine it runs on: reading the registry, the
// path of its own executable, and starting a program and waiting for its end.
// The real implementation lies beside the program (Win32Machine); the tests
// use fakes with keys, values and types of their own.
#pragma once

#include <cstdint>
#include <string>

namespace treecarry {

// The registry roots that Treecarry reads below.
enum class Hive { LocalMachine, Users };

// How a key is opened: for listing its subkeys or for reading its values.
enum class KeyAccess { EnumerateSubKeys, QueryValue };

// An open registry key; only the machine that opened it knows its meaning.
using KeyHandle = std::uintptr_t;

// Registry results: 0 is success, anything else a failure.
constexpr long kRegSuccess = 0;
constexpr long kRegFileNotFound = 2;
constexpr long kRegAccessDenied = 5;
constexpr long kRegMoreData = 234;
constexpr long kRegNoMoreItems = 259;

// Registry value types as the registry stores them.
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegDword = 4;

class Machine {
 public:
  virtual ~Machine() = default;

  // Opens path below hive; on success key receives the open key.
  virtual long OpenKey(Hive hive, const std::string& path, KeyAccess access, KeyHandle& key) = 0;

  // The name of the subkey at index, in the registry's enumeration order.
  // capacity counts characters including the closing NUL; a longer name
  // fails with kRegMoreData. Past the last subkey: kRegNoMoreItems.
  virtual long EnumSubKey(KeyHandle key, std::uint32_t index, std::uint32_t capacity,
                          std::string& name) = 0;

  // The data of value name, exactly as many bytes as the registry returns
  // (a closing NUL, when stored, included). type holds the type asked for on
  // entry and receives the stored type. Data longer than capacity bytes fails
  // with kRegMoreData.
  virtual long QueryValue(KeyHandle key, const std::string& name, std::uint32_t capacity,
                          std::uint32_t& type, std::string& data) = 0;

  virtual void CloseKey(KeyHandle key) = 0;

  // Full path of Treecarry's own executable file.
  virtual std::string ModulePath() = 0;

  // Starts application (a full path) with command_line, waits without a time
  // limit until it has ended and returns its exit code; -1 when it could not
  // be started.
  virtual std::int32_t RunAndWait(const std::string& application,
                                  const std::string& command_line) = 0;
};

}  // namespace treecarry
