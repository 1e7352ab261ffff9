// What the path rules and the window's texts need of the system: full
// paths, universal names, the system's upper case, the width of a text,
// Ferrolink's own program file, its version and its process's mark.
#pragma once

#include <cstdint>
#include <string>

namespace ferrolink {

class Names {
 public:
  virtual ~Names() = default;

  // The full path, relative to the current folder, of any length; empty when
  // there is none.
  virtual std::string FullPath(const std::string& path) = 0;
  // Ferrolink's own program file.
  virtual std::string ProgramFile() = 0;
  // The universal name (\\server\share\...) of a path on a network drive;
  // false for any other path.
  virtual bool UniversalName(const std::string& path, std::string& unc) = 0;
  // The text with every letter in upper case that the system folds when it
  // compares names without regard to case.
  virtual std::string UpperCase(const std::string& text) = 0;
  // Width in pixels of text in the main window's font. A measure, not a
  // display: the path rules shorten a path to fit a width with it, and the
  // real system owns the font the window then shows the text in.
  virtual int TextWidth(const std::string& text) = 0;
  // The file version of a program file, as its two 32-bit words (most
  // significant first); false when it has none.
  virtual bool FileVersionWords(const std::string& path, uint32_t& high, uint32_t& low) = 0;
  // This process's own short mark (its number), for names that must differ
  // between two Ferrolinks on one PC.
  virtual std::string ProcessTag() = 0;
};

}  // namespace ferrolink
