// INI files as Ferrolink reads and writes them: read whole, kept in memory,
// written whole. Text in the system's ANSI code page; nothing is trimmed.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ferrolink {

class IniFile {
 public:
  // Parses a file's bytes. Lines end in CR LF, CR or LF. Empty lines and
  // lines starting with ';' are skipped, as are lines before the first
  // section; "[name]" (bracket in the first column) opens a section.
  static IniFile Parse(const std::string& bytes);

  // The value of the first line of the section whose key is `key` (names
  // compared without regard to case), or `fallback`.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback) const;
  // A boolean stored as an integer (decimal, hexadecimal behind "$", "0x"
  // or "0X"): any number other than 0 is on; no number gives `fallback`.
  bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;

  // Replaces the key's line in place, or appends it to the end of its
  // section; a new section is appended after the last one.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
  }

  // The whole file: each section's name line, its lines, an empty line;
  // every line ended by CR LF.
  std::string Serialize() const;

 private:
  struct Section {
    std::string name;
    std::vector<std::string> lines;
  };
  Section* FindSection(const std::string& name);
  const Section* FindSection(const std::string& name) const;
  static std::optional<size_t> FindKey(const Section& section, const std::string& key);

  std::vector<Section> sections_;
};

// Converts an integer as the INI booleans store it: leading blanks, optional sign, then
// decimal digits or "$" and hexadecimal digits; the whole text must be the
// number and fit 32 bits.
std::optional<long long> ParseIniInteger(const std::string& text);

}  // namespace ferrolink
