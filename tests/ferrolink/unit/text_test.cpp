// Names compare without regard to case in code page 1252: folder and file
// names as well as settings sections and keys.
#include "Text.h"

#include <gtest/gtest.h>

TEST(SameText, FoldsOnlyTheLettersOfCodePage1252) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"Daten", "DATEN", true},
      {"M\xE4rz", "M\xC4RZ", true},                    // a umlaut
      {"\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F", true},  // capitals below 0xA0
      {"\xF7", "\xD7", false},                         // the division and multiplication signs
      {"[", "{", false},                               // 32 apart, but no letters
      {"Daten", "Date", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ferrolink::SameText(c.a, c.b), c.same) << c.a << " / " << c.b;
  }
}
