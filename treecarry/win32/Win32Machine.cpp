#include "Win32Machine.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

namespace treecarry {

namespace {

// Characters (closing NUL included) of a profile name that are read; more
// than any key name can hold.
constexpr DWORD kNameCapacity = 1024;

// Waits for the started process without a time limit, reads its exit code
// and closes its handles, the thread's (if any) first.
Run WaitAndClose(HANDLE process, HANDLE thread) {
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  const bool read = GetExitCodeProcess(process, &code) != 0;
  if (thread) CloseHandle(thread);
  CloseHandle(process);
  return {true, read ? static_cast<std::int32_t>(code) : -1, 0};
}

}  // namespace

std::vector<std::string> Win32Machine::ProfileNames() {
  std::vector<std::string> names;
  HKEY list = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileListKey, 0, KEY_ENUMERATE_SUB_KEYS, &list) !=
      ERROR_SUCCESS) {
    return names;
  }
  // The index is as wide as the registry's own, so a machine with any number
  // of profiles is listed to its end.
  for (DWORD index = 0;; ++index) {
    char name[kNameCapacity];
    DWORD chars = kNameCapacity;
    if (RegEnumKeyExA(list, index, name, &chars, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, std::min(chars, kNameCapacity));
  }
  RegCloseKey(list);
  return names;
}

std::optional<std::string> Win32Machine::ApplicationValue(const std::string& profile) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_USERS, (profile + kDirectoriesKey).c_str(), 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string data(kValueCapacity, ' ');
  DWORD bytes = kValueCapacity;
  const LONG rc = RegQueryValueExA(key, kApplicationValue, nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(data.data()), &bytes);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return std::nullopt;  // missing, or longer than the room
  // Only the bytes the registry returned count, cut before a NUL, so a value
  // stored without its closing NUL is just its text.
  data.resize(std::min<std::size_t>(bytes, kValueCapacity));
  return data.substr(0, data.find('\0'));
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

Run Win32Machine::RunAndWait(const std::string& application, const std::string& command_line) {
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
    return {false, -1, GetLastError()};
  }
  return WaitAndClose(process.hProcess, process.hThread);
}

Run Win32Machine::ShellRunAndWait(const std::string& application, const std::string& arguments) {
  SHELLEXECUTEINFOA shell{};
  shell.cbSize = sizeof shell;
  // The process handle to wait for; the start done before the call returns;
  // no message box of the shell's for a failure (Treecarry shows none).
  shell.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  shell.lpFile = application.c_str();
  shell.lpParameters = arguments.c_str();
  shell.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&shell)) return {false, -1, GetLastError()};
  if (!shell.hProcess) return {true, 0, 0};  // started, but by a way that gives no process
  return WaitAndClose(shell.hProcess, nullptr);
}

}  // namespace treecarry
