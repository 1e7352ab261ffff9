#include "Utf8Text.h"

#include <windows.h>

std::wstring WideFromUtf8(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
  return wide;
}

std::string AnsiFromUtf8(const std::string& utf8) {
  const std::wstring wide = WideFromUtf8(utf8);
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string ansi(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), n, nullptr, nullptr);
  return ansi;
}
