#include "Ini.h"

#include <algorithm>
#include <cstdint>

#include "Text.h"

namespace ferrolink {

namespace {

// The text before the line's first "="; a line without one has no key.
std::optional<std::string> KeyOf(const std::string& line) {
  const size_t eq = line.find('=');
  if (eq == std::string::npos) return std::nullopt;
  return line.substr(0, eq);
}

}  // namespace

std::optional<long long> ParseIniInteger(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;  // leading blanks, as the conversion allows
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  }
  if (i == text.size()) return std::nullopt;
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * base + digit;
    // Decimal numbers must fit a signed 32-bit integer; hexadecimal ones may
    // use all 32 bits (as $FFFFFFFF for -1).
    if (value > (base == 16 ? 0xFFFFFFFFull : 0x80000000ull)) return std::nullopt;
  }
  if (base == 10 && !negative && value > 0x7FFFFFFFull) return std::nullopt;
  long long result = base == 16 ? static_cast<int32_t>(static_cast<uint32_t>(value))
                                : static_cast<long long>(value);
  return negative ? -result : result;
}

IniFile IniFile::Parse(const std::string& bytes) {
  IniFile ini;
  Section* current = nullptr;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
    const std::string line = bytes.substr(pos, end - pos);
    if (end == bytes.size()) {
      pos = end;
    } else if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') {
      pos = end + 2;
    } else {
      pos = end + 1;
    }
    if (line.empty() || line[0] == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      const std::string name = line.substr(1, line.size() - 2);
      current = ini.FindSection(name);
      if (!current) {
        ini.sections_.push_back({name, {}});
        current = &ini.sections_.back();
      }
      continue;
    }
    if (current) current->lines.push_back(line);
  }
  return ini;
}

IniFile::Section* IniFile::FindSection(const std::string& name) {
  for (Section& s : sections_) {
    if (SameText(s.name, name)) return &s;
  }
  return nullptr;
}

const IniFile::Section* IniFile::FindSection(const std::string& name) const {
  return const_cast<IniFile*>(this)->FindSection(name);
}

std::optional<size_t> IniFile::FindKey(const Section& section, const std::string& key) {
  for (size_t i = 0; i < section.lines.size(); ++i) {
    const auto line_key = KeyOf(section.lines[i]);
    if (line_key && SameText(*line_key, key)) return i;
  }
  return std::nullopt;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& fallback) const {
  const Section* s = FindSection(section);
  if (!s) return fallback;
  const auto i = FindKey(*s, key);
  if (!i) return fallback;
  const std::string& line = s->lines[*i];
  return line.substr(line.find('=') + 1);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
  std::string text = ReadString(section, key, "");
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.replace(0, 2, "$");
  }
  const auto value = ParseIniInteger(text);
  return value ? *value != 0 : fallback;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  Section* s = FindSection(section);
  if (!s) {
    sections_.push_back({section, {}});
    s = &sections_.back();
  }
  const std::string line = key + "=" + value;
  if (const auto i = FindKey(*s, key)) {
    s->lines[*i] = line;
  } else {
    s->lines.push_back(line);
  }
}

std::string IniFile::Serialize() const {
  std::string out;
  for (const Section& s : sections_) {
    out += "[" + s.name + "]\r\n";
    for (const std::string& line : s.lines) out += line + "\r\n";
    out += "\r\n";
  }
  return out;
}

}  // namespace ferrolink
