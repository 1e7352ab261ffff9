#include "Win32Machine.h"

#include <windows.h>

#include <algorithm>

namespace treecarry {

namespace {

HKEY ToHkey(KeyHandle key) {
  return reinterpret_cast<HKEY>(key);
}

}  // namespace

long Win32Machine::OpenKey(Hive hive, const std::string& path, KeyAccess access, KeyHandle& key) {
  const HKEY root = hive == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_USERS;
  const REGSAM sam =
      access == KeyAccess::EnumerateSubKeys ? KEY_ENUMERATE_SUB_KEYS : KEY_QUERY_VALUE;
  HKEY opened = nullptr;
  const LONG rc = RegOpenKeyExA(root, path.c_str(), 0, sam, &opened);
  if (rc == ERROR_SUCCESS) key = reinterpret_cast<KeyHandle>(opened);
  return rc;
}

long Win32Machine::EnumSubKey(KeyHandle key, std::uint32_t index, std::uint32_t capacity,
                              std::string& name) {
  std::string buffer(capacity, ' ');
  DWORD chars = capacity;
  const LONG rc =
      RegEnumKeyExA(ToHkey(key), index, buffer.data(), &chars, nullptr, nullptr, nullptr, nullptr);
  if (rc == ERROR_SUCCESS) name.assign(buffer.data(), std::min<DWORD>(chars, capacity));
  return rc;
}

long Win32Machine::QueryValue(KeyHandle key, const std::string& name, std::uint32_t capacity,
                              std::uint32_t& type, std::string& data) {
  std::string buffer(capacity, ' ');
  DWORD bytes = capacity;
  DWORD stored_type = type;
  const LONG rc = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &stored_type,
                                   reinterpret_cast<BYTE*>(buffer.data()), &bytes);
  if (rc == ERROR_SUCCESS) {
    type = stored_type;
    data.assign(buffer.data(), std::min<DWORD>(bytes, capacity));
  }
  return rc;
}

void Win32Machine::CloseKey(KeyHandle key) {
  RegCloseKey(ToHkey(key));
}

std::string Win32Machine::ModulePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD got = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got == 0) return "";
    if (got < path.size()) {
      path.resize(got);
      return path;
    }
    path.resize(path.size() * 2);  // truncated: try again with more room
  }
}

std::int32_t Win32Machine::RunAndWait(const std::string& application,
                                      const std::string& command_line) {
  static_assert(sizeof(STARTUPINFOA) == 68 || sizeof(void*) != 4);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // CreateProcessA may write into the command line, so it gets a copy. The
  // application name is the full path of the program, so a blank in the
  // folder can never make the platform pick another program.
  std::string line = command_line;
  if (!CreateProcessA(application.c_str(), line.data(), nullptr, nullptr, TRUE,
                      NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  const bool read = GetExitCodeProcess(process.hProcess, &code) != 0;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return read ? static_cast<std::int32_t>(code) : -1;
}

}  // namespace treecarry
