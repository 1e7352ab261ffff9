#include "Win32ProbeSystem.h"

#include <windows.h>

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

std::int64_t Win32ProbeSystem::FileSize(const std::string& path) {
  // Read from the directory entry, so a file that another program holds
  // open exclusively can still be measured.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                   data.nFileSizeLow);
}

std::optional<WindowsVersion> Win32ProbeSystem::Version() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  // Reports 6.2 on Windows 8 and every later system to a program that does
  // not declare support for those systems, which is what the check relies on.
  if (!GetVersionExA(&info)) return std::nullopt;
  return WindowsVersion{info.dwMajorVersion, info.dwMinorVersion, info.dwPlatformId};
}

}  // namespace viewerprobe
