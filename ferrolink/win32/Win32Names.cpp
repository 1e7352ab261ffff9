#include "Win32System.h"

#include <winnetwk.h>

#include <cstdio>
#include <vector>

#include "SystemDlls.h"
#include "Win32Handles.h"

namespace ferrolink {

Win32Names::Win32Names() {
  // The layout is in fixed pixels and not scaled to the screen's resolution,
  // so the font keeps its height of 11 pixels (8 points at 96 dpi) as well.
  font_ = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
  measure_dc_ = CreateCompatibleDC(nullptr);
  SelectObject(measure_dc_, font_);
}

Win32Names::~Win32Names() {
  DeleteDC(measure_dc_);
  DeleteObject(font_);
}

std::string Win32Names::FullPath(const std::string& path) {
  const std::wstring wide = Wide(path);
  return GrownPath([&](wchar_t* buffer, DWORD size) {
    return GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
  });
}

std::string Win32Names::ProgramFile() {
  return GrownPath(
      [](wchar_t* buffer, DWORD size) { return GetModuleFileNameW(nullptr, buffer, size); });
}

bool Win32Names::UniversalName(const std::string& path, std::string& unc) {
  // Only a drive letter has a universal name. The network provider is asked
  // for the drive's root, a short path, and the rest is joined to its
  // answer: a long plain path would reach the file system on the way.
  if (path.size() < 2 || path[1] != ':' || (path.size() > 2 && path[2] != '\\')) return false;
  const std::wstring wide = Wide(path.substr(0, 2) + "\\");
  // The answer holds pointers into its own block; the block grows to the
  // size the call asks for.
  std::vector<UNIVERSAL_NAME_INFOW> block(64);
  for (;;) {
    DWORD size = static_cast<DWORD>(block.size() * sizeof(UNIVERSAL_NAME_INFOW));
    const DWORD rc = system_dlls::WNetGetUniversalNameW(wide.c_str(), UNIVERSAL_NAME_INFO_LEVEL,
                                                        block.data(), &size);
    if (rc == ERROR_MORE_DATA && size > block.size() * sizeof(UNIVERSAL_NAME_INFOW)) {
      block.resize(size / sizeof(UNIVERSAL_NAME_INFOW) + 1);
      continue;
    }
    if (rc != NO_ERROR || !block[0].lpUniversalName) return false;
    unc = Narrow(block[0].lpUniversalName);
    if (!unc.empty() && unc.back() == '\\') unc.pop_back();
    unc += path.size() > 2 ? path.substr(2) : std::string("\\");
    return true;
  }
}

bool Win32Names::FileVersionWords(const std::string& path, uint32_t& high, uint32_t& low) {
  const std::wstring file = Wide(path);
  DWORD handle = 0;
  const DWORD size = system_dlls::GetFileVersionInfoSizeW(file.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> buf(size);
  if (!system_dlls::GetFileVersionInfoW(file.c_str(), 0, size, buf.data())) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  if (!system_dlls::VerQueryValueW(buf.data(), L"\\", reinterpret_cast<void**>(&fixed), &len) ||
      !fixed || len < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  high = fixed->dwFileVersionMS;
  low = fixed->dwFileVersionLS;
  return true;
}

std::string Win32Names::UpperCase(const std::string& text) {
  std::wstring wide = Wide(text);
  if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return Narrow(wide);
}

int Win32Names::TextWidth(const std::string& text) {
  const std::wstring wide = Wide(text);
  SIZE size{};
  if (!GetTextExtentPoint32W(measure_dc_, wide.c_str(), static_cast<int>(wide.size()), &size)) {
    return 0;
  }
  return size.cx;
}

std::string Win32Names::ProcessTag() {
  char tag[16];
  std::snprintf(tag, sizeof tag, "%lx", static_cast<unsigned long>(GetCurrentProcessId()));
  return tag;
}

}  // namespace ferrolink
