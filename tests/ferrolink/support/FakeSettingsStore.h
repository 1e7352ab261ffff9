// The settings' seam over the fake disk: the instrument software's registry
// value, whole files, and the ANSI code page 1252.
#pragma once

#include <iterator>

#include "FakeDisk.h"

namespace ferrolink::test {

class FakeSettingsStore : public WholeFiles<SettingsStore> {
 public:
  bool key_exists = true;
  SettingsValue value_kind = SettingsValue::String;
  std::string settings_value;
  SettingsValue SettingsFilePath(std::string& path) override {
    if (!key_exists) return SettingsValue::NoKey;
    path = value_kind == SettingsValue::String ? settings_value : std::string();
    return value_kind;
  }

  // Code page 1252: Latin-1, and other letters and signs in 0x80-0x9F.
  static constexpr char16_t kCp1252High[32] = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string FromAnsi(const std::string& bytes) override {
    std::u16string units;
    for (unsigned char b : bytes) {
      const char16_t high = b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : 0;
      units += high ? high : static_cast<char16_t>(b);
    }
    return Utf8FromUtf16(units);
  }
  bool ToAnsi(const std::string& text, std::string& bytes) override {
    bytes.clear();
    for (char16_t c : Utf16FromUtf8(text)) {
      const char16_t* high = std::find(std::begin(kCp1252High), std::end(kCp1252High), c);
      if (c != 0 && high != std::end(kCp1252High)) {
        bytes += static_cast<char>(0x80 + (high - kCp1252High));
      } else if (c < 0x100 && (c < 0x80 || c >= 0xA0)) {
        bytes += static_cast<char>(c);
      } else {
        return false;
      }
    }
    return true;
  }
};

}  // namespace ferrolink::test
