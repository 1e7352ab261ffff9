// The settings files' sections and keys compare in their ANSI code page 1252
// without regard to case. On UTF-8 text the fold turns an ASCII letter into
// nothing but its capital, so ASCII tests (drive letters, device names) use
// it too; file names compare through the system's own fold.
#pragma once

#include <string>

namespace ferrolink {

// The capital of a letter of code page 1252 (the ASCII letters, the accented
// letters 0xE0-0xFE but the division sign 0xF7, and the four small letters
// whose capitals lie in 0x80-0x9F), any other character as it is.
char FoldCase(char c);

// True when two names are the same without regard to case.
bool SameText(const std::string& a, const std::string& b);

}  // namespace ferrolink
