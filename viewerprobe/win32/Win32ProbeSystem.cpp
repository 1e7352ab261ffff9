#include "Win32ProbeSystem.h"

#include <windows.h>

#include <cstring>

namespace viewerprobe {

std::string Win32ProbeSystem::EnvironmentValue(const std::string& name) {
  std::string value(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) return "";  // unset (or empty)
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    value.assign(length, '\0');  // too small: length counts the terminator
  }
}

std::uint32_t Win32ProbeSystem::FileAttributes(const std::string& path) {
  return GetFileAttributesA(path.c_str());
}

std::optional<std::int64_t> Win32ProbeSystem::FileLength(const std::string& path) {
  // Read from the directory entry, so a file that another program holds
  // open exclusively can still be measured.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                   data.nFileSizeLow);
}

bool Win32ProbeSystem::QueryVersion(OsVersionRecord& record) {
  OSVERSIONINFOA info;
  static_assert(sizeof info == sizeof record, "same layout as the platform's record");
  std::memcpy(&info, &record, sizeof info);
  // Reports 6.2 on Windows 8 and every later system to a program that does
  // not declare support for those systems, which is what the check relies on.
  if (!GetVersionExA(&info)) return false;
  std::memcpy(&record, &info, sizeof record);
  return true;
}

}  // namespace viewerprobe
