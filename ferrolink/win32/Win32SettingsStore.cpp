#include "Win32System.h"

#include <algorithm>
#include <cwchar>

#include "Win32Handles.h"

namespace ferrolink {

SettingsValue Win32SettingsStore::SettingsFilePath(std::string& path) {
  path.clear();
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(kSettingsKey).c_str(), 0, KEY_ALL_ACCESS, &key) !=
      ERROR_SUCCESS) {
    return SettingsValue::NoKey;
  }
  const std::wstring name = Wide(kSettingsValueName);
  DWORD type = 0, size = 0;
  SettingsValue result = SettingsValue::Missing;
  LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
  if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
      result = SettingsValue::OtherType;
    } else {
      std::wstring buf(size / sizeof(wchar_t) + 1, L'\0');
      size = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
      rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                            &size);
      if (rc == ERROR_SUCCESS) {
        // The text ends at the first NUL or at the data's length, whichever
        // is first.
        const size_t units = std::min<size_t>(size / sizeof(wchar_t), buf.size());
        path = Narrow(buf.data(), wcsnlen(buf.data(), units));
        result = SettingsValue::String;
      }
    }
  }
  RegCloseKey(key);
  return result;
}

std::string Win32SettingsStore::FromAnsi(const std::string& bytes) {
  if (bytes.empty()) return std::string();
  const int n = static_cast<int>(bytes.size());
  std::wstring wide(bytes.size(), L'\0');
  const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, wide.data(), n);
  return Narrow(wide.data(), static_cast<size_t>(std::max(units, 0)));
}

bool Win32SettingsStore::ToAnsi(const std::string& text, std::string& bytes) {
  bytes.clear();
  const std::wstring wide = Wide(text);
  if (wide.empty()) return true;
  const int n = static_cast<int>(wide.size());
  bytes.resize(wide.size() * 3);  // UTF-8 takes up to three bytes per unit
  // Where the ANSI code page is UTF-8 (Windows 10's "Unicode UTF-8 for
  // worldwide language support") the conversion takes neither the best-fit
  // flag nor the question whether a character was lost: every character has
  // a place there, and only an unpaired surrogate is refused.
  const bool utf8 = GetACP() == CP_UTF8;
  BOOL lost = FALSE;
  const int written = WideCharToMultiByte(
      CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, wide.data(), n, bytes.data(),
      static_cast<int>(bytes.size()), nullptr, utf8 ? nullptr : &lost);
  bytes.resize(static_cast<size_t>(std::max(written, 0)));
  return written > 0 && !lost;
}

FileRead Win32SettingsStore::DoReadWholeFile(const std::string& path, std::string& bytes) {
  return ReadWhole(path, bytes);
}

bool Win32SettingsStore::DoReplaceWholeFile(const std::string& path, const std::string& bytes) {
  return ReplaceWhole(path, bytes);
}

}  // namespace ferrolink
